#include "gui/mainwindow/about_dialog.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <cmath>
#include <cstdlib>

#include <cstdint>

namespace {

QLabel* overlay_label(QWidget* parent, const char* name, const QString& text, int pixel_size,
                      const QRect& geometry, Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont verdana(QStringLiteral("Verdana"));
  verdana.setBold(true);
  verdana.setPixelSize(pixel_size);
  label->setFont(verdana);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  label->setAlignment(alignment);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

TfAbout::TfAbout(QWidget* owner) : TPelorin_Plugin(owner) {
  setObjectName(QStringLiteral("TfAbout"));
  setWindowTitle(QStringLiteral("о программе"));
  setFixedSize(509, 336);
  for (QWidget* base : {static_cast<QWidget*>(imgLogo), static_cast<QWidget*>(lblTitle),
                        static_cast<QWidget*>(gbParams), static_cast<QWidget*>(panProgress),
                        static_cast<QWidget*>(btnCancel), static_cast<QWidget*>(btnOk)}) {
    base->hide();
  }
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("imgPicture"));
  picture->setPixmap(about_picture());
  picture->setGeometry(0, 0, 509, 336);
  picture->lower();
  overlay_label(this, "lblName", QStringLiteral("Pelorin"), 32, QRect(250, 14, 245, 40),
                Qt::AlignRight | Qt::AlignVCenter);
  overlay_label(this, "lblPurpose", QStringLiteral("анализ и обработка сигналов"), 13,
                QRect(150, 56, 345, 20), Qt::AlignRight | Qt::AlignVCenter);
  overlay_label(this, "lblVersion", version_text(), 12, QRect(14, 14, 230, 20),
                Qt::AlignLeft | Qt::AlignVCenter);
}

PLUGIN_RESULT TfAbout::Execute(uint16_t command, PAKETS& store) {
  command_ = command;
  store_ = &store;
  RunModal();
  return pass_.result;
}

QPixmap about_picture() {
  QPixmap pixmap(509, 336);
  QPainter painter(&pixmap);
  QLinearGradient sky(0, 0, 0, 336);
  sky.setColorAt(0, QColor(18, 30, 70));
  sky.setColorAt(1, QColor(6, 10, 26));
  painter.fillRect(pixmap.rect(), sky);
  painter.setRenderHint(QPainter::Antialiasing);

  // A strip of packets in pseudo-graphics: rows of bits, some rows marked in colour.
  const QColor marks[] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(255, 255, 0),
                          QColor(0, 255, 0)};
  uint32_t seed = 0x2545F491;
  const int cell = 7;
  for (int row = 0; row < 22; ++row) {
    const int y = 110 + row * (cell + 2);
    const bool marked = row % 5 == 2;
    if (marked) {
      QColor mark = marks[(row / 5) % 4];
      mark.setAlpha(90);
      painter.fillRect(QRect(20, y - 1, 469, cell + 2), mark);
    }
    for (int bit = 0; bit < 64; ++bit) {
      seed ^= seed << 13;
      seed ^= seed >> 17;
      seed ^= seed << 5;
      const bool one = (seed & 1) != 0;
      const int fade = 255 - std::abs(bit - 32) * 5;
      const QColor on(0, 128 + fade / 3 - 40, 0, fade);
      const QColor off(40, 50, 80, fade / 2);
      painter.fillRect(QRect(24 + bit * 7, y, 6, cell), one ? on : off);
    }
  }
  // The signal the packets came from, as a wave over the strip.
  painter.setPen(QPen(QColor(120, 200, 255, 200), 2));
  QPainterPath wave;
  for (int x = 0; x <= 509; x += 3) {
    const double phase = x / 509.0 * 18.0;
    const double level = (static_cast<int>(phase) % 3 == 0 ? 1.0 : -1.0);
    const double y = 92 - 9 * level * std::sin(phase * 3.14159 * 0.5 + 0.4);
    if (x == 0) {
      wave.moveTo(x, y);
    } else {
      wave.lineTo(x, y);
    }
  }
  painter.drawPath(wave);
  painter.setPen(QColor(150, 170, 210));
  QFont small(QStringLiteral("Verdana"));
  small.setPixelSize(10);
  painter.setFont(small);
  painter.drawText(QRect(14, 310, 481, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("SIG · BIT · HDLC · IP · TCP · XTP"));
  return pixmap;
}
