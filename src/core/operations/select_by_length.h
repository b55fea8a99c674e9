#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// The comparisons of a length selection, in the order of the dialog's list. "Less" and "greater"
// include the number itself.
enum class length_operator : uint8_t { equal = 0, not_equal = 1, at_most = 2, at_least = 3 };

struct length_selection {
  length_operator op = length_operator::equal;  // any other value matches every packet
  uint32_t length = 1;                          // in bytes
  uint32_t colour = 0x0000FF;                   // given to every match (red by default)
};

// True when a packet of `byte_length` bytes satisfies the comparison. Inline: with `op` known,
// the walk's test folds to the one comparison.
[[nodiscard]] constexpr bool length_matches(uint32_t byte_length, length_operator op,
                                            uint32_t length) {
  switch (op) {
    case length_operator::equal:
      return byte_length == length;
    case length_operator::not_equal:
      return byte_length != length;
    case length_operator::at_most:
      return byte_length <= length;
    case length_operator::at_least:
      return byte_length >= length;
  }
  return true;
}

// Colours every packet in scope whose byte count (bits rounded up to whole bytes) satisfies the
// comparison. Nothing is uncoloured; a packet that already has the colour counts again.
//
// Counters: processed (packets visited) and recoloured. Stops before the next packet when
// run.running is cleared; the packets visited so far stay coloured.
void select_by_length(PAKETS& store, const scope& s, length_selection params, pass& run);
