#include "core/model/byte_helpers.h"

void byte_to_binary(uint8_t b, char text[8]) {
  for (int j = 0; j < 8 && (b >> j) != 0; ++j) text[j] = ((b >> j) & 1) ? '1' : '0';
}
