#include "demodulator/core/demodulate.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {

// The even bits of x (bits 0, 2, 4, ...) packed into the low 32 bits.
uint64_t even_bits(uint64_t x) {
  x &= 0x5555555555555555ull;
  x = (x | (x >> 1)) & 0x3333333333333333ull;
  x = (x | (x >> 2)) & 0x0F0F0F0F0F0F0F0Full;
  x = (x | (x >> 4)) & 0x00FF00FF00FF00FFull;
  x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
  x = (x | (x >> 16)) & 0x00000000FFFFFFFFull;
  return x;
}

// With a symbol split into its low bit a and its high bit b, the cycle 0 -> 2 -> 3 -> 1 -> 0 is
// a Gray count: from a symbol with a = b the step flips b, otherwise it flips a. So bit k is 1
// exactly when the right one of the two bits flips and the other stays. `a` and `b` hold the low
// and high bits of 33 consecutive symbols (bit 32 is the first symbol of the next word).
uint32_t steps(uint64_t a, uint64_t b) {
  const uint64_t equal = ~(a ^ b);
  const uint64_t da = a ^ (a >> 1);
  const uint64_t db = b ^ (b >> 1);
  return static_cast<uint32_t>((equal & ~da & db) | (~equal & da & ~db));
}

unsigned symbol(std::span<const uint8_t> recording, uint64_t k) {
  return (recording[k / 4] >> (2 * (k % 4))) & 3u;
}

bool step(unsigned from, unsigned to) {
  static constexpr unsigned next[4] = {2, 0, 3, 1};
  return next[from] == to;
}

}  // namespace

void demodulate(std::span<const uint8_t> recording, std::span<uint8_t> signal) {
  const uint64_t n = recording.size();
  if (n == 0) return;
  const uint64_t produced = std::min<uint64_t>(4 * n - 1, uint64_t{signal.size()} * 8);
  // Eight recording bytes (32 symbols) and the first symbol after them give 32 output bits.
  uint64_t k = 0;
  for (; (k / 4) + 8 < n && k + 32 <= produced; k += 32) {
    uint64_t w = 0;
    std::memcpy(&w, recording.data() + k / 4, 8);
    const uint64_t next = recording[k / 4 + 8] & 3u;
    const uint64_t a = even_bits(w) | ((next & 1u) << 32);
    const uint64_t b = even_bits(w >> 1) | ((next >> 1) << 32);
    const uint32_t out = steps(a, b);
    std::memcpy(signal.data() + k / 8, &out, 4);
  }
  for (; k < produced; ++k) {
    const auto mask = static_cast<uint8_t>(1u << (k % 8));
    uint8_t& byte = signal[k / 8];
    const bool one = step(symbol(recording, k), symbol(recording, k + 1));
    byte = static_cast<uint8_t>(one ? byte | mask : byte & ~mask);
  }
}

}  // namespace tessaly
