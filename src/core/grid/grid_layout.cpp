#include "core/grid/grid_layout.h"

#include <algorithm>
#include <limits>

namespace {

// Largest grid dimension handed to the widget: well inside int, so that n + 1 never overflows.
constexpr uint32_t max_grid_dimension = static_cast<uint32_t>(std::numeric_limits<int>::max()) - 1;

int checked_dimension(uint32_t n) {
  if (n == 0) return empty_grid_size;
  if (n >= max_grid_dimension) return static_cast<int>(max_grid_dimension);
  return static_cast<int>(n) + 1;
}

}  // namespace

const char* sample_text(view_mode mode) {
  switch (mode) {
    case view_mode::decimal:
      return " 000 ";
    case view_mode::hexadecimal:
      return " DD ";
    case view_mode::binary:
      return " 00000000 ";
    case view_mode::text:
      return " 0";
    case view_mode::pseudo:
      return "00000000";
  }
  return " 000 ";
}

cell_size data_cell_size(view_mode mode, cell_size sample, bool expanded) {
  if (mode == view_mode::pseudo) return {sample.width, pseudo_row_height};
  return {sample.width, sample.height + (expanded ? 12 : 4)};
}

column_range range_after_drag(int32_t from, int32_t to) {
  if (from < to) return {from, to};
  return {};
}

int header_number_stride(int label_width, int column_width) {
  if (column_width <= 0) return 1;
  for (int power = 1; power <= 100000000; power *= 10) {
    for (const int factor : {1, 2, 5}) {
      if (int64_t{factor} * power * column_width >= label_width) return factor * power;
    }
  }
  return 1000000000;
}

cell_rect paint_rect(int x, int y, int width, int height, bool vertical_line) {
  return {x, y, x + width - (vertical_line ? 1 : 0), y + height - 1};
}

stripes byte_stripes(uint8_t b, const cell_rect& r) {
  stripes s;
  s.width = r.width() / 8;
  for (int j = 0; j < 8; ++j) s.ones[static_cast<size_t>(j)] = ((b >> j) & 1) != 0;
  return s;
}

std::string fixed_column_text(uint32_t row, uint32_t byte_length) {
  return std::to_string(row) + "  :  " + std::to_string(byte_length);
}

int grid_columns_for(uint32_t longest) {
  return checked_dimension(longest);
}

int grid_rows_for(uint32_t packets) {
  return checked_dimension(packets);
}

std::string hex_copy_text(const uint8_t* bytes, uint32_t length, column_range range) {
  uint32_t first = 0;
  uint32_t end = length;
  if (range.first >= 1 && range.last >= range.first) {
    first = std::min(static_cast<uint32_t>(range.first - 1), length);
    end = std::min(static_cast<uint32_t>(range.last), length);
  }
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(static_cast<size_t>(end - first) * 3);
  for (uint32_t i = first; i < end; ++i) {
    if (i != first) text += ' ';
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 0x0F];
  }
  return text;
}
