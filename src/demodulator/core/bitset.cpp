#include "demodulator/core/bitset.h"

#include <stdexcept>

namespace sysx {

bitset::bitset(std::string_view text) {
  bits_ = static_cast<uint32_t>(text.size());
  size_ = (bits_ + 7) / 8;
  data_ = size_ == 0 ? nullptr : new uint8_t[size_]();
  for (uint32_t j = 0; j < bits_; ++j) {
    const char c = text[j];
    if (c == '1') {
      data_[j / 8] = static_cast<uint8_t>(data_[j / 8] | (1u << (j % 8)));
    } else if (c != '0') {
      delete[] data_;
      data_ = nullptr;
      size_ = 0;
      bits_ = 0;
      throw std::invalid_argument("bitset::constructing with non-binary string");
    }
  }
}

bitset::~bitset() {
  delete[] data_;
}

uint32_t bitset::value() const {
  uint32_t v = 0;
  for (uint32_t i = 0; i < size_ && i < 4; ++i) v |= static_cast<uint32_t>(data_[i]) << (8 * i);
  return bits_ >= 32 ? v : v & ((1u << bits_) - 1);
}

}  // namespace sysx
