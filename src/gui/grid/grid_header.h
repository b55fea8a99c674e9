#pragma once

#include <QHeaderView>

#include "core/grid/grid_layout.h"

class grid_model;

// The fixed row (horizontal: column numbers) or fixed column (vertical: "row  :  length") of the
// packet grid, painted as button-face cells with fixed lines. Reads the grid's view state, which
// must outlive the header.
class grid_header : public QHeaderView {
  Q_OBJECT

 public:
  grid_header(Qt::Orientation orientation, const grid_model* model, const grid_view_state* view,
              QWidget* parent = nullptr);

  [[nodiscard]] QSize sizeHint() const override;

  // Paints a fixed cell's text: opaque on `background` in the ink that stands out on it (bold when
  // asked), centred, on the bottom edge of `r`.
  static void drawFixedText(QPainter& painter, const cell_rect& r, const QString& text,
                            const QColor& background, bool bold = false);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  // In the text view, where a number is wider than a column, the numbers of every few columns
  // stand over their column and its unnumbered neighbours.
  void paintEvent(QPaintEvent* event) override;

 private:
  const grid_model* model_;
  const grid_view_state* view_;
};

// Paints a fixed cell's face and lines and returns its inner rectangle.
cell_rect paint_fixed_cell(QPainter& painter, const QRect& section, const QColor& face,
                           const QColor& line);
