#include "gui/grid/grid_header.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "gui/grid/grid_colours.h"
#include "gui/grid/grid_model.h"

cell_rect paint_fixed_cell(QPainter& painter, const QRect& section, const QColor& face,
                           const QColor& line) {
  const cell_rect r = paint_rect(section.x(), section.y(), section.width(), section.height(), true);
  painter.fillRect(QRect(section.x(), r.bottom, section.width(), 1), line);
  painter.fillRect(QRect(r.right, section.y(), 1, section.height()), line);
  painter.fillRect(QRect(r.left, r.top, r.width(), r.height()), face);
  return r;
}

grid_header::grid_header(Qt::Orientation orientation, const grid_model* model,
                         const grid_view_state* view, QWidget* parent)
    : QHeaderView(orientation, parent), model_(model), view_(view) {
  setSectionResizeMode(QHeaderView::Fixed);
  setHighlightSections(false);
  setMinimumSectionSize(1);
  if (orientation == Qt::Horizontal) {
    setFixedHeight(header_row_height);
  } else {
    setFixedWidth(fixed_column_width);
  }
}

QSize grid_header::sizeHint() const {
  if (orientation() == Qt::Horizontal) return {length(), header_row_height};
  return {fixed_column_width, length()};
}

void grid_header::drawFixedText(QPainter& painter, const cell_rect& r, const QString& text,
                                const QColor& background, bool bold) {
  if (text.isEmpty()) return;
  // A text wider than its cell (a five-digit column number, a long number : length pair) is drawn
  // in a font small enough to fit, down to a legible least size; what still sticks out is clipped.
  painter.save();
  if (bold) {
    QFont heavy = painter.font();
    heavy.setBold(true);
    painter.setFont(heavy);
  }
  const int room = r.width() - 2;
  int width = painter.fontMetrics().horizontalAdvance(text);
  if (width > room && room > 0) {
    QFont smaller = painter.font();
    const bool points = smaller.pointSizeF() > 0;
    const qreal least = points ? 4.5 : 6;
    const qreal step = points ? 0.5 : 1;
    qreal size = points ? smaller.pointSizeF() : smaller.pixelSize();
    size = std::max(least, std::floor(size * room / width / step) * step);
    while (true) {
      if (points) {
        smaller.setPointSizeF(size);
      } else {
        smaller.setPixelSize(static_cast<int>(size));
      }
      painter.setFont(smaller);
      width = painter.fontMetrics().horizontalAdvance(text);
      if (width <= room || size <= least) break;
      size = std::max(least, size - step);
    }
    painter.setClipRect(QRect(r.left, r.top, r.width(), r.height()));
  }
  const QFontMetrics fm = painter.fontMetrics();
  const int x = centred_left(r.left, r.right, width);
  const int y = r.bottom - fm.height();
  painter.fillRect(QRect(x, y, width, fm.height()), background);
  painter.setPen(ink_on(background));
  painter.drawText(x, y + fm.ascent(), text);
  painter.restore();
}

void grid_header::paintEvent(QPaintEvent* event) {
  QHeaderView::paintEvent(event);
  if (orientation() != Qt::Horizontal || view_->mode != view_mode::text || count() == 0) return;
  QPainter painter(viewport());
  painter.setFont(font());
  const int width = defaultSectionSize();
  const int stride = header_number_stride(
      painter.fontMetrics().horizontalAdvance(QString::number(count())) + 4, width);
  // The numbers whose span meets the area: a span reaches half a stride to either side.
  const int reach = (stride + 1) / 2 * width;
  const int first = std::max(0, visualIndexAt(std::max(event->rect().left() - reach, 0)));
  int last = visualIndexAt(event->rect().right() + reach);
  if (last < 0) last = count() - 1;
  const QColor face = palette().color(QPalette::Button);
  for (int visual = first; visual <= last; ++visual) {
    const int column = logicalIndex(visual) + 1;
    if (!header_numbered(column, stride)) continue;
    const QRect section(sectionViewportPosition(column - 1), 0, width, height());
    const cell_rect own =
        paint_rect(section.x(), section.y(), section.width(), section.height(), true);
    const int centre = (own.left + own.right) / 2;
    const int half = stride * width / 2;
    const cell_rect span{centre - half, own.top, centre + half, own.bottom};
    const bool marked = view_->range.contains(column);
    drawFixedText(painter, span, QString::number(column),
                  marked ? grid_colours::range_header : face, marked);
  }
}

void grid_header::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  const QColor face = palette().color(QPalette::Button);
  const QColor line = palette().color(QPalette::Mid);
  if (orientation() == Qt::Horizontal) {
    const int column = logicalIndex + 1;
    // A marked column's whole header shows the mark, its number in the ink that reads on it.
    const bool marked = view_->range.contains(column);
    const cell_rect r =
        paint_fixed_cell(*painter, rect, marked ? grid_colours::range_header : face, line);
    if (view_->mode == view_mode::text) return;
    drawFixedText(*painter, r, QString::number(column), marked ? grid_colours::range_header : face,
                  marked);
    return;
  }
  const xpaket* p = model_->packet(logicalIndex);
  if (p == nullptr) {
    const cell_rect r = paint_fixed_cell(*painter, rect, face, line);
    painter->fillRect(QRect(r.left, r.top, r.width(), r.height()), grid_colours::beyond_last);
    return;
  }
  const cell_rect r = paint_fixed_cell(*painter, rect, face, line);
  if (view_->mode == view_mode::pseudo) return;
  drawFixedText(*painter, r,
                QString::fromStdString(
                    fixed_column_text(static_cast<uint32_t>(logicalIndex) + 1, p->size(true))),
                face);
}
