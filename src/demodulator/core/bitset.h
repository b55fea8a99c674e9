#pragma once

#include <cstdint>
#include <string_view>

#include "demodulator/core/basic_memory.h"

namespace sysx {

// A bit pattern built from a text of '0' and '1': character j is bit j (bit j of the memory is
// bit j mod 8 of byte j div 8, least significant first); the unused bits of the last byte are 0.
class bitset : public basic_memory {
 public:
  // Throws std::invalid_argument for any character other than '0' and '1'.
  explicit bitset(std::string_view text);
  ~bitset() override;

  // Number of bits: the text's length.
  [[nodiscard]] uint64_t bit_size() const override { return bits_; }
  // The first 32 bits as a number, the first bit least significant.
  [[nodiscard]] uint32_t value() const;

 private:
  uint32_t bits_ = 0;
};

}  // namespace sysx
