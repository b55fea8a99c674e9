#include "demodulator/core/modulator.h"

namespace tessaly {

void modulator::put_symbol(unsigned s) {
  s &= 3u;
  if (symbols_ % 4 == 0) bytes_.push_back(0);
  bytes_.back() = static_cast<uint8_t>(bytes_.back() | (s << (2 * (symbols_ % 4))));
  ++symbols_;
  previous_ = s;
}

void modulator::put_bit(bool bit) {
  static constexpr unsigned next[4] = {2, 0, 3, 1};
  put_symbol(bit ? next[previous_] : previous_);
}

void modulator::put_bits(uint64_t value, unsigned n) {
  for (unsigned i = 0; i < n; ++i) put_bit(((value >> i) & 1u) != 0);
}

void modulator::put_bytes(std::span<const uint8_t> bytes) {
  for (const uint8_t b : bytes) put_bits(b, 8);
}

}  // namespace tessaly
