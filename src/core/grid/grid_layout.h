#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/grid/cell_text.h"

// Geometry and sizing rules of the packet grid, free of any toolkit so that they can be checked
// without a widget. Grid indexes count the fixed row and column as 0: row r shows packet r - 1,
// column c shows byte c - 1.

inline constexpr int fixed_column_width = 80;  // pixels
inline constexpr int header_row_height = 16;   // pixels
inline constexpr int pseudo_row_height = 8;    // pixels, whatever the expanded flag
inline constexpr int empty_grid_size = 256;    // rows and columns of a grid over an empty store

// Text measured with the grid's font to size a mode's data columns and rows.
[[nodiscard]] const char* sample_text(view_mode mode);

struct cell_size {
  int width = 0;
  int height = 0;
  bool operator==(const cell_size&) const = default;
};

// Data column width and row height of a mode from its sample text's measured size: the sample's
// width; its height + 4, or + 12 when expanded; 8 in pseudo-graphics.
[[nodiscard]] cell_size data_cell_size(view_mode mode, cell_size sample, bool expanded);

// Vertical lines between data columns are shown in the numeric modes only.
[[nodiscard]] constexpr bool has_vertical_lines(view_mode mode) {
  return mode == view_mode::decimal || mode == view_mode::hexadecimal || mode == view_mode::binary;
}

// The marked column range; first = last = 0 means none. Signed, as the drag handler stores it.
struct column_range {
  int32_t first = 0;
  int32_t last = 0;
  [[nodiscard]] bool contains(int32_t column) const { return first <= column && column <= last; }
  bool operator==(const column_range&) const = default;
};

// Range after the user dragged header column `from` and dropped it at column `to`: from..to when
// dragged to the right, none otherwise.
[[nodiscard]] column_range range_after_drag(int32_t from, int32_t to);

// Every how many columns the header shows the column number when a number is wider than a column
// (the text view): the least of 1, 2, 5, 10, 20, 50, ... columns that hold `label_width` pixels.
[[nodiscard]] int header_number_stride(int label_width, int column_width);

// Whether the header shows the number of grid column `column` at that stride: the multiples of the
// stride, and column 1 where the stride leaves room beside it.
[[nodiscard]] constexpr bool header_numbered(int column, int stride) {
  return column % stride == 0 || (column == 1 && stride >= 5);
}

// A cell rectangle with exclusive right and bottom edges, in pixels.
struct cell_rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  [[nodiscard]] int width() const { return right - left; }
  [[nodiscard]] int height() const { return bottom - top; }
};

// The painted area of a cell whose column starts at x with `width` pixels (the row likewise): the
// last pixel row holds the horizontal line, and the last pixel column the vertical line when the
// mode shows vertical lines.
[[nodiscard]] cell_rect paint_rect(int x, int y, int width, int height, bool vertical_line);

// Left edge of a text `text_width` pixels wide centred in [left, right).
[[nodiscard]] constexpr int centred_left(int left, int right, int text_width) {
  return left + (right - left - text_width) / 2;
}

// Pseudo-graphics stripes of one byte: 8 stripes of width() / 8 pixels from the cell's left edge,
// bit 0 first; `ones[j]` tells whether stripe j is drawn in the colour of a 1.
struct stripes {
  int width = 0;
  std::array<bool, 8> ones{};
};
[[nodiscard]] stripes byte_stripes(uint8_t b, const cell_rect& r);

// Text of a fixed-column cell: the row number (packet number + 1), "  :  ", the byte length.
[[nodiscard]] std::string fixed_column_text(uint32_t row, uint32_t byte_length);

// Grid dimensions for a store as Qt wants them (int), with the store's counts checked: columns =
// longest packet + 1 and rows = packets + 1, each 256 when 0.
[[nodiscard]] int grid_columns_for(uint32_t longest);
[[nodiscard]] int grid_rows_for(uint32_t packets);

// The view state of the grid that painting reads: display mode, expanded flag and column range.
struct grid_view_state {
  view_mode mode = view_mode::decimal;
  bool expanded = false;
  column_range range;
};

// The bytes of a packet as copied text: two upper-case hex digits a byte, blank-separated. With
// a marked range only its columns (1-based) that the packet reaches; else the whole packet.
[[nodiscard]] std::string hex_copy_text(const uint8_t* bytes, uint32_t length, column_range range);
