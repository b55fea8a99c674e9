#pragma once

#include <QColor>
#include <QFont>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <array>
#include <cstdint>

#include "core/grid/grid_layout.h"

class grid_model;

// Paints every data cell of the packet grid from the store, in the five display modes. The texts
// of the 256 byte values are laid out once per mode and font, so a paint allocates nothing.
class grid_delegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  // What a paint needs from the view; set once at the start of each paint.
  struct paint_state {
    view_mode mode = view_mode::decimal;
    column_range range;
    int current_row = -1;  // model indexes; -1 when none
    int current_column = -1;
  };

  explicit grid_delegate(const grid_model* model, QObject* parent = nullptr);

  // Lays the byte texts out again for the font.
  void setFont(const QFont& font);
  void setLineColour(const QColor& colour) { line_ = colour; }
  void setPaintState(const paint_state& state) { state_ = state; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                               const QModelIndex& index) const override;

  // Paints the cell of model row `row`, column `column` whose section rectangle is `section`.
  void paintCell(QPainter& painter, const QRect& section, int row, int column) const;

 private:
  void paintPseudo(QPainter& painter, const cell_rect& r, uint8_t b) const;
  void paintRange(QPainter& painter, const cell_rect& r, int section_right, int grid_column) const;
  void paintText(QPainter& painter, const cell_rect& r, int mode, uint8_t b,
                 const QColor& ink) const;

  const grid_model* model_;
  paint_state state_;
  QFont font_;
  QColor line_{192, 192, 192};
  // Texts of the modes decimal, hexadecimal, binary and text, indexed by byte value.
  std::array<std::array<QStaticText, 256>, 4> texts_;
  std::array<std::array<int, 256>, 4> widths_{};
  int text_height_ = 0;
};
