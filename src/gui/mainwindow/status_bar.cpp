#include "gui/mainwindow/status_bar.h"

#include <QPainter>
#include <QStyle>

#include "gui/mainwindow/tool_icons.h"

namespace {

struct panel_look {
  int width;            // at least this many pixels
  bool bevel;           // drawn sunken
  const char* longest;  // the widest text the panel shows: the panel grows to hold it
};

constexpr std::array<panel_look, TStatusBar::panel_count> panels{{
    {150, true, " всего пакетов - 10000000"},
    {170, true, " длина мин: 10000 -  макс: 65535"},
    {260, true, " пакет 1000000 : байт 999 - биты с 7985 по 7992"},
    {106, true, " все сохранено"},
    {28, false, " dec:"},
    {30, true, " 255"},
    {30, false, " hex:"},
    {28, true, " FF"},
    {26, false, " bin:"},
    {64, true, " 00000000"},
    {33, false, " text:"},
    {18, true, " Щ"},
    {50, false, ""},
}};

// Room around a panel's text: the bevel and a pixel of air on each side.
constexpr int text_padding = 6;
// Panel 3 draws its icon in the first 20 pixels.
constexpr int icon_room = 20;

constexpr int panel_gap = 2;

}  // namespace

TStatusBar::TStatusBar(QWidget* parent)
    : QWidget(parent),
      saved_icon_(tool_icon(QStringLiteral("saved"))),
      unsaved_icon_(tool_icon(QStringLiteral("unsaved"))) {
  setObjectName(QStringLiteral("tBar"));
  texts_[4] = QStringLiteral(" dec:");
  texts_[6] = QStringLiteral(" hex:");
  texts_[8] = QStringLiteral(" bin:");
  texts_[10] = QStringLiteral(" text:");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TStatusBar::setPanelText(int panel, const QString& text) {
  if (panel < 0 || panel >= panel_count || texts_[panel] == text) return;
  texts_[panel] = text;
  update(panelRect(panel));
}

QString TStatusBar::panelText(int panel) const {
  if (panel == saved_panel) return savedText();
  if (panel < 0 || panel >= panel_count) return {};
  return texts_[panel];
}

void TStatusBar::setSaved(bool saved) {
  saved_ = saved;
  update(panelRect(saved_panel));
}

QString TStatusBar::savedText() const {
  return saved_ ? QStringLiteral(" все сохранено") : QStringLiteral(" не сохранено");
}

int TStatusBar::panelWidth(int panel) const {
  const panel_look& look = panels[panel];
  const int text = fontMetrics().horizontalAdvance(QString::fromUtf8(look.longest)) + text_padding +
                   (panel == saved_panel ? icon_room : 0);
  return std::max(look.width, text);
}

QRect TStatusBar::panelRect(int panel) const {
  int x = 0;
  for (int i = 0; i < panel; ++i) x += panelWidth(i) + panel_gap;
  const int width =
      panel == panel_count - 1 ? std::max(panelWidth(panel), this->width() - x) : panelWidth(panel);
  return QRect(x, 2, width, height() - 3);
}

QSize TStatusBar::sizeHint() const {
  int width = 0;
  for (int i = 0; i < panel_count; ++i) width += panelWidth(i) + panel_gap;
  return QSize(width, std::max(fontMetrics().height(), 16) + 7);
}

QSize TStatusBar::minimumSizeHint() const {
  return QSize(0, sizeHint().height());
}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const QColor shadow = palette().color(QPalette::Mid);
  const QColor light = palette().color(QPalette::Light);
  for (int i = 0; i < panel_count; ++i) {
    const QRect r = panelRect(i);
    if (panels[i].bevel) {
      painter.setPen(shadow);
      painter.drawLine(r.topLeft(), r.topRight());
      painter.drawLine(r.topLeft(), r.bottomLeft());
      painter.setPen(light);
      painter.drawLine(r.bottomLeft(), r.bottomRight());
      painter.drawLine(r.topRight(), r.bottomRight());
    }
    if (i == saved_panel) {
      tBarDrawPanel(painter, r);
      continue;
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect text_rect = r.adjusted(1, 0, -2, 0);
    painter.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(texts_[i], Qt::ElideRight, text_rect.width()));
  }
}

void TStatusBar::tBarDrawPanel(QPainter& painter, const QRect& rect) {
  const QIcon& icon = saved_ ? saved_icon_ : unsaved_icon_;
  icon.paint(&painter, QRect(rect.left() + 2, rect.top() + (rect.height() - 16) / 2, 16, 16));
  const QRect text_rect(rect.left() + 20, rect.top(), rect.width() - 22, rect.height());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   fontMetrics().elidedText(savedText(), Qt::ElideRight, text_rect.width()));
}
