#pragma once

#include <cstdint>
#include <vector>

#include "demodulator/core/bit_iterator.h"
#include "demodulator/core/bitset.h"

// The demodulator written the plain way, one bit at a time with the bit iterator, step by step
// as the program is meant to work. The fast code must give the same bytes.
namespace reference {

using bytes = std::vector<uint8_t>;

[[nodiscard]] bytes demodulate(const bytes& recording);
// Position (bit offset from the first bit) found, or the offset of the last bit for none.
[[nodiscard]] uint64_t find(const bytes& memory, uint64_t first, const sysx::bitset& pattern);
[[nodiscard]] uint64_t find_periodic(const bytes& memory, uint64_t first,
                                     const sysx::bitset& pattern, uint64_t period);
// The packet file of a processed signal.
[[nodiscard]] bytes packetize(const bytes& signal);

}  // namespace reference
