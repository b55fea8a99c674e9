#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>

#include "demodulator/core/basic_memory.h"

namespace sysx {

// A bit position in memory: a byte pointer and a bit 0..7 of that byte (mask 1 << bit). The next
// position after bit 7 is bit 0 of the next byte. The iterator borrows the memory and is valid
// while the memory is.
class bit_iterator {
 public:
  bit_iterator() = default;
  bit_iterator(uint8_t* byte, unsigned bit) : byte_(byte), bit_(bit) {}

  // Bit 0 of the first byte.
  [[nodiscard]] static bit_iterator first(const basic_memory& m) { return {m.data(), 0}; }
  // The last bit itself (bit 7 of the last byte), not one past it. The memory must not be empty.
  [[nodiscard]] static bit_iterator last(const basic_memory& m) {
    return {m.data() + m.byte_size() - 1, 7};
  }

  [[nodiscard]] uint8_t* byte() const { return byte_; }
  [[nodiscard]] unsigned bit() const { return bit_; }

  [[nodiscard]] bool read() const { return ((*byte_ >> bit_) & 1u) != 0; }
  void write(bool value) const {
    const auto mask = static_cast<uint8_t>(1u << bit_);
    *byte_ = value ? static_cast<uint8_t>(*byte_ | mask) : static_cast<uint8_t>(*byte_ & ~mask);
  }

  bit_iterator& operator++() {
    if (++bit_ == 8) {
      bit_ = 0;
      ++byte_;
    }
    return *this;
  }
  bit_iterator& operator--() {
    if (bit_-- == 0) {
      bit_ = 7;
      --byte_;
    }
    return *this;
  }
  bit_iterator& operator+=(uint64_t n) {
    const uint64_t total = bit_ + n;
    byte_ += static_cast<std::ptrdiff_t>(total / 8);
    bit_ = static_cast<unsigned>(total % 8);
    return *this;
  }
  bit_iterator& operator-=(uint64_t n) {
    const uint64_t back = (7 - bit_) + n;
    byte_ -= static_cast<std::ptrdiff_t>(back / 8);
    bit_ = 7 - static_cast<unsigned>(back % 8);
    return *this;
  }
  [[nodiscard]] friend bit_iterator operator+(bit_iterator i, uint64_t n) { return i += n; }
  [[nodiscard]] friend bit_iterator operator-(bit_iterator i, uint64_t n) { return i -= n; }
  // Bits from b to a (a must lie in the same memory).
  [[nodiscard]] friend int64_t operator-(const bit_iterator& a, const bit_iterator& b) {
    return (a.byte_ - b.byte_) * 8 + (static_cast<int64_t>(a.bit_) - b.bit_);
  }

  friend bool operator==(const bit_iterator&, const bit_iterator&) = default;
  friend std::strong_ordering operator<=>(const bit_iterator& a, const bit_iterator& b) {
    if (auto c = std::compare_three_way{}(a.byte_, b.byte_); c != 0) return c;
    return a.bit_ <=> b.bit_;
  }

 private:
  uint8_t* byte_ = nullptr;
  unsigned bit_ = 0;
};

}  // namespace sysx
