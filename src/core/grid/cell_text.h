#pragma once

#include <cstdint>
#include <string_view>

// Display modes of the grid, in the order of the View menu.
enum class view_mode : int { decimal = 0, hexadecimal = 1, binary = 2, text = 3, pseudo = 4 };

// The text of one data byte in the numeric modes, written into `buffer` (at least 8 characters):
// decimal without leading zeros, two upper-case hex digits, or 8 bits with bit 0 first. Returns
// the text; empty for the text and pseudo-graphics modes, which are drawn differently.
[[nodiscard]] std::string_view numeric_cell_text(uint8_t b, view_mode mode, char buffer[8]);

// Whether the text mode shows a character for the byte (bytes 0..32 stay empty).
[[nodiscard]] constexpr bool has_text_char(uint8_t b) {
  return b > 32;
}
