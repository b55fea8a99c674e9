#include "core/model/byte_helpers.h"

uint8_t reverse_bits(uint8_t b) {
  uint8_t r = 0;
  for (int j = 0; j < 8; ++j) {
    if (b & (1u << j)) r |= static_cast<uint8_t>(1u << (7 - j));
  }
  return r;
}

void byte_to_binary(uint8_t b, char text[8]) {
  for (int j = 0; j < 8 && (b >> j) != 0; ++j) text[j] = ((b >> j) & 1) ? '1' : '0';
}
