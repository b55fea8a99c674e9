#include "core/grid/cell_text.h"

#include "core/model/byte_helpers.h"

std::string_view numeric_cell_text(uint8_t b, view_mode mode, char buffer[8]) {
  static constexpr char hex_digits[] = "0123456789ABCDEF";
  switch (mode) {
    case view_mode::decimal: {
      int n = 0;
      if (b >= 100) buffer[n++] = static_cast<char>('0' + b / 100);
      if (b >= 10) buffer[n++] = static_cast<char>('0' + b / 10 % 10);
      buffer[n++] = static_cast<char>('0' + b % 10);
      return {buffer, static_cast<size_t>(n)};
    }
    case view_mode::hexadecimal:
      buffer[0] = hex_digits[b >> 4];
      buffer[1] = hex_digits[b & 15];
      return {buffer, 2};
    case view_mode::binary:
      for (int j = 0; j < 8; ++j) buffer[j] = '0';
      byte_to_binary(b, buffer);
      return {buffer, 8};
    case view_mode::text:
    case view_mode::pseudo:
      break;
  }
  return {};
}
