#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessaly {

// The inverse of demodulate: builds a symbol stream whose demodulation gives chosen bits. Each bit
// appends one symbol: one step along 0 -> 2 -> 3 -> 1 -> 0 from the previous symbol for a 1, the
// same symbol again for a 0. Symbols are packed four to a byte, the first in bits 0-1.
class modulator {
 public:
  // `previous` is the symbol the stream continues from; it is not emitted.
  explicit modulator(unsigned previous = 0) : previous_(previous & 3u) {}

  // Appends a symbol as it is (the next bit then steps from it).
  void put_symbol(unsigned s);
  void put_bit(bool bit);
  // The low `n` bits of `value`, least significant first.
  void put_bits(uint64_t value, unsigned n);
  void put_bytes(std::span<const uint8_t> bytes);

  [[nodiscard]] uint64_t symbols() const { return symbols_; }
  // The packed symbols; a last partial byte has 0 in its unused symbols.
  [[nodiscard]] const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  unsigned previous_;
  uint64_t symbols_ = 0;
  std::vector<uint8_t> bytes_;
};

}  // namespace tessaly
