#pragma once

#include <cstdint>

#include "demodulator/core/bit_iterator.h"
#include "demodulator/core/bitset.h"

namespace sysx {

// Value of `n` bits (n <= 32) read from `at`: the first bit read is the least significant. Bits
// at or past `end` (one past the memory's last byte) count as 0.
[[nodiscard]] uint32_t read_value(bit_iterator at, unsigned n, const uint8_t* end);

// First position from `first` on at which the pattern's bits follow one another in memory, or
// `last` when there is none. Positions in the byte that holds `last` are not tested; the memory
// ends with that byte and bits past it count as 0. Throws std::invalid_argument for a pattern
// of more than 32 bits.
[[nodiscard]] bit_iterator find(bit_iterator first, bit_iterator last, const bitset& pattern);

// First position p found as above at which the pattern occurs again at p + k * period for
// k = 1 .. confirmations, or `last` when there is none. A confirmation that would start past
// `last` ends the search with `last`; a candidate whose confirmation fails is skipped by one bit.
[[nodiscard]] bit_iterator find(bit_iterator first, bit_iterator last, const bitset& pattern,
                                uint64_t period, unsigned confirmations = 4);

}  // namespace sysx
