#pragma once

#include <cstdint>
#include <vector>

#include "demodulator/core/modulator.h"

// Builds a processed signal bit by bit (least significant bit of each byte first) together with
// the recording that demodulates into it.
class stream_builder {
 public:
  void bit(bool b) { bits_.push_back(b); }
  // The low n bits of value, least significant first; beyond 64 bits, zeros.
  void bits(uint64_t value, unsigned n) {
    for (unsigned i = 0; i < n; ++i) bit(i < 64 && ((value >> i) & 1) != 0);
  }
  void append(const std::vector<uint8_t>& bytes) {
    for (const uint8_t b : bytes) bits(b, 8);
  }
  [[nodiscard]] uint64_t size() const { return bits_.size(); }

  // The signal's bytes, padded with 0 to `bytes` bytes.
  [[nodiscard]] std::vector<uint8_t> signal(uint64_t bytes) const {
    std::vector<uint8_t> s(bytes, 0);
    for (uint64_t k = 0; k < bits_.size() && k < bytes * 8; ++k) {
      if (bits_[k]) s[k / 8] = static_cast<uint8_t>(s[k / 8] | (1u << (k % 8)));
    }
    return s;
  }
  // A recording of `bytes` bytes whose processed signal starts with these bits (as many as fit);
  // later bits are 0.
  [[nodiscard]] std::vector<uint8_t> recording(uint64_t bytes) const {
    tessaly::modulator m;
    m.put_symbol(0);
    for (const bool b : bits_) m.put_bit(b);
    while (m.symbols() < bytes * 4) m.put_bit(false);
    std::vector<uint8_t> r = m.bytes();
    r.resize(bytes);
    return r;
  }

 private:
  std::vector<bool> bits_;
};
