#include "core/protocols/field_format.h"

#include <cstdio>

std::string hex_text(uint32_t value) {
  char buffer[12];
  const int n = std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(value));
  return {buffer, static_cast<std::size_t>(n)};
}

std::string dotted_address(std::span<const uint8_t> d, std::size_t at) {
  std::string text;
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(d[at + i]);
  }
  return text;
}
