#include "core/model/block.h"

#include <algorithm>
#include <bit>
#include <cstring>

xblock::~xblock() {
  data_ = nullptr;
  bit_length_ = 0;
  byte_length_ = 0;
}

uint32_t xblock::size(bool in_bytes) const {
  return in_bytes ? byte_length_ : bit_length_;
}

void xblock::set_bit(uint32_t i) {
  if (data_ != nullptr && i < bit_length_) data_[i >> 3] |= static_cast<uint8_t>(1u << (i & 7));
}

void xblock::clear_bit(uint32_t i) {
  if (data_ != nullptr && i < bit_length_) data_[i >> 3] &= static_cast<uint8_t>(~(1u << (i & 7)));
}

void xblock::set_byte(uint32_t i, uint8_t v) {
  if (data_ != nullptr && i < byte_length_) data_[i] = v;
}

int xblock::get_bit(uint32_t i) const {
  if (data_ == nullptr || i >= bit_length_) return 0;
  return (data_[i >> 3] >> (i & 7)) & 1;
}

uint8_t xblock::get_byte(uint32_t i) const {
  if (data_ == nullptr || byte_length_ == 0) return 0;
  return i < byte_length_ ? data_[i] : data_[0];
}

uint32_t xblock::find_pattern(std::string_view text, uint32_t start) {
  return find_bit_pattern(data_, byte_length_, bit_length_, text, start);
}

uint32_t parse_bit_pattern(std::string_view text, uint32_t& bits) {
  if (text.empty() || text.size() > 32) return 0;
  bits = 0;
  for (size_t j = 0; j < text.size(); ++j) {
    if (text[j] == '1') {
      bits |= 1u << j;
    } else if (text[j] != '0') {
      return 0;
    }
  }
  return static_cast<uint32_t>(text.size());
}

namespace {

// Up to 64 bits from byte `first` on (byte first in the low bits), without touching bytes past
// byte_length.
uint64_t window_at(const uint8_t* data, uint32_t byte_length, uint64_t first) {
  if constexpr (std::endian::native == std::endian::little) {
    if (first + 8 <= byte_length) {
      uint64_t w = 0;
      std::memcpy(&w, data + first, sizeof w);
      return w;
    }
  }
  uint64_t w = 0;
  for (uint64_t k = 0; k < 8 && first + k < byte_length; ++k)
    w |= uint64_t{data[first + k]} << (8 * k);
  return w;
}

}  // namespace

uint32_t find_bit_pattern(const uint8_t* data, uint32_t byte_length, uint32_t bit_length,
                          std::string_view text, uint32_t start) {
  uint32_t pattern = 0;
  const uint32_t len = parse_bit_pattern(text, pattern);
  if (len == 0 || data == nullptr) return npos;
  if (uint64_t{start} + len > bit_length) return npos;
  const uint64_t mask = len == 32 ? 0xFFFFFFFFull : ((1ull << len) - 1);
  const uint64_t last = uint64_t{bit_length} - len;  // the last place a match can start
  // One 64-bit load serves every start whose len bits lie inside it: 33 starts or more.
  uint64_t p = start;
  while (p <= last) {
    const uint64_t base = p & ~uint64_t{7};
    const uint64_t w = window_at(data, byte_length, base >> 3);
    const uint64_t stop = std::min<uint64_t>(64 - len, last - base);
    for (uint64_t j = p - base; j <= stop; ++j) {
      if (((w >> j) & mask) == pattern) return static_cast<uint32_t>(base + j);
    }
    p = base + stop + 1;
  }
  return npos;
}
