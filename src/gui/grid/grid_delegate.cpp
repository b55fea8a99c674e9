#include "gui/grid/grid_delegate.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "gui/grid/grid_colours.h"
#include "gui/grid/grid_model.h"

namespace {

QRect to_qrect(const cell_rect& r) {
  return {r.left, r.top, r.width(), r.height()};
}

}  // namespace

grid_delegate::grid_delegate(const grid_model* model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

void grid_delegate::setFont(const QFont& font) {
  font_ = font;
  const QFontMetrics fm(font);
  text_height_ = fm.height();
  for (int mode = 0; mode < 4; ++mode) {
    for (int b = 0; b < 256; ++b) {
      QString text;
      if (mode == static_cast<int>(view_mode::text)) {
        if (has_text_char(static_cast<uint8_t>(b)))
          text = model_->textChar(static_cast<uint8_t>(b));
      } else {
        char buffer[8];
        const std::string_view s =
            numeric_cell_text(static_cast<uint8_t>(b), static_cast<view_mode>(mode), buffer);
        text = QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
      }
      QStaticText& st = texts_[static_cast<size_t>(mode)][static_cast<size_t>(b)];
      st.setText(text);
      st.setTextFormat(Qt::PlainText);
      st.setPerformanceHint(QStaticText::AggressiveCaching);
      st.prepare(QTransform(), font);
      widths_[static_cast<size_t>(mode)][static_cast<size_t>(b)] = fm.horizontalAdvance(text);
    }
  }
}

void grid_delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
  paintCell(*painter, option.rect, index.row(), index.column());
}

QSize grid_delegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return option.rect.size();
}

void grid_delegate::paintCell(QPainter& painter, const QRect& section, int row, int column) const {
  const bool vertical_line = has_vertical_lines(state_.mode);
  const cell_rect r =
      paint_rect(section.x(), section.y(), section.width(), section.height(), vertical_line);
  painter.fillRect(QRect(section.x(), r.bottom, section.width(), 1), line_);
  if (vertical_line) painter.fillRect(QRect(r.right, r.top, 1, r.height()), line_);

  const xpaket* p = model_->packet(row);
  if (p == nullptr) {
    painter.fillRect(to_qrect(r), Qt::white);
    return;
  }
  const bool selected = row == state_.current_row && column == state_.current_column;
  const auto byte_index = static_cast<uint32_t>(column);
  const bool has_byte = byte_index < p->byte_length();
  const uint8_t b = has_byte ? p->bytes()[byte_index] : 0;
  if (state_.mode == view_mode::pseudo && has_byte) {
    paintPseudo(painter, r, b);
    if (selected) {
      painter.setPen(grid_colours::current_frame);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(r.left, r.top, r.width() - 1, r.height() - 1);
    }
    return;
  }
  const QColor fill = packet_colour(p->colour);
  painter.fillRect(to_qrect(r), fill);
  if (selected) {
    painter.setPen(current_frame_on(fill));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.left, r.top, r.width() - 1, r.height() - 1);
  } else if (state_.range.contains(column + 1)) {
    paintRange(painter, r, section.right(), column + 1);
  }
  if (has_byte && state_.mode != view_mode::pseudo) {
    paintText(painter, r, static_cast<int>(state_.mode), b, ink_on(fill));
  }
}

// Stripes of equal colour next to each other are filled as one rectangle; the pixels are the same.
void grid_delegate::paintPseudo(QPainter& painter, const cell_rect& r, uint8_t b) const {
  const stripes s = byte_stripes(b, r);
  if (s.width <= 0) return;
  const int top = r.top - 1;
  const int height = r.height() + 2;
  int j = 0;
  while (j < 8) {
    int k = j + 1;
    while (k < 8 && s.ones[static_cast<size_t>(k)] == s.ones[static_cast<size_t>(j)]) ++k;
    painter.fillRect(
        QRect(r.left + j * s.width, top, (k - j) * s.width, height),
        s.ones[static_cast<size_t>(j)] ? grid_colours::bit_one : grid_colours::bit_zero);
    j = k;
  }
}

// The edge line of the last column stays inside the column's own section, so that the next column
// does not paint over it where no vertical line separates them.
void grid_delegate::paintRange(QPainter& painter, const cell_rect& r, int section_right,
                               int grid_column) const {
  painter.setPen(Qt::black);
  painter.setBrush(QBrush(grid_colours::hatch, Qt::BDiagPattern));
  painter.drawRect(r.left - 1, r.top - 1, r.width() + 1, r.height() + 1);
  painter.setBrush(Qt::NoBrush);
  if (grid_column == state_.range.first) {
    painter.fillRect(QRect(r.left, r.top, 1, r.height() + 1), grid_colours::range_edge);
  } else if (grid_column == state_.range.last) {
    painter.fillRect(QRect(std::min(r.right, section_right), r.top, 1, r.height() + 1),
                     grid_colours::range_edge);
  }
}

void grid_delegate::paintText(QPainter& painter, const cell_rect& r, int mode, uint8_t b,
                              const QColor& ink) const {
  const int width = widths_[static_cast<size_t>(mode)][b];
  if (width == 0) return;
  const int x = centred_left(r.left + 2, r.right - 2, width);
  const int y = r.bottom - 2 - text_height_;
  painter.setPen(ink);
  painter.drawStaticText(x, y, texts_[static_cast<size_t>(mode)][b]);
}
