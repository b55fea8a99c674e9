#include "demodulator/core/find.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace sysx {

namespace {

// Up to 8 bytes from p, little-endian; bytes at or past end are 0.
uint64_t load_word(const uint8_t* p, const uint8_t* end) {
  uint64_t w = 0;
  if (p >= end) return 0;
  const auto available = static_cast<size_t>(end - p);
  std::memcpy(&w, p, available < 8 ? available : 8);
  return w;  // the byte order of the machine is little-endian (x86-64, arm64)
}

uint32_t mask_of(unsigned n) {
  return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1;
}

uint32_t checked_bits(const bitset& pattern) {
  if (pattern.bit_size() > 32) throw std::invalid_argument("find::value size above 32 bits");
  return static_cast<uint32_t>(pattern.bit_size());
}

// Bit offsets relative to `base`, so that no pointer is formed outside the memory.
struct search_range {
  const uint8_t* base;
  const uint8_t* end;  // one past the last byte
  uint64_t first;      // first position to test
  uint64_t limit;      // first position not tested: bit 0 of the last byte
};

// Position of the first match at or after r.first and before r.limit, or r.limit.
uint64_t scan(const search_range& r, unsigned n, uint32_t value) {
  const uint32_t mask = mask_of(n);
  uint64_t q = r.first / 8;
  const uint64_t q_end = r.limit / 8;
  if (n >= 16) {
    // Every placement of the pattern covers the whole byte after its first one: the value that
    // byte must hold decides which of the 8 placements in a byte can match at all.
    std::array<uint8_t, 256> placements{};
    for (unsigned b = 0; b < 8; ++b) {
      placements[((uint64_t{value} << b) >> 8) & 0xFF] |= static_cast<uint8_t>(1u << b);
    }
    for (; q < q_end; ++q) {
      const uint8_t next = r.base + q + 1 < r.end ? r.base[q + 1] : 0;
      unsigned candidates = placements[next];
      if (candidates == 0) continue;
      const uint64_t w = load_word(r.base + q, r.end);
      for (unsigned b = 0; candidates != 0; ++b, candidates >>= 1) {
        if ((candidates & 1) == 0 || q * 8 + b < r.first) continue;
        if (((w >> b) & mask) == value) return q * 8 + b;
      }
    }
    return r.limit;
  }
  for (; q < q_end; ++q) {
    const uint64_t w = load_word(r.base + q, r.end);
    for (unsigned b = 0; b < 8; ++b) {
      if (q * 8 + b >= r.first && ((w >> b) & mask) == value) return q * 8 + b;
    }
  }
  return r.limit;
}

bit_iterator at_offset(const uint8_t* base, uint64_t bits) {
  return {const_cast<uint8_t*>(base) + bits / 8, static_cast<unsigned>(bits % 8)};
}

}  // namespace

uint32_t read_value(bit_iterator at, unsigned n, const uint8_t* end) {
  return static_cast<uint32_t>((load_word(at.byte(), end) >> at.bit()) & mask_of(n));
}

bit_iterator find(bit_iterator first, bit_iterator last, const bitset& pattern) {
  const unsigned n = checked_bits(pattern);
  if (!(first < last)) return last;
  const search_range r{first.byte(), last.byte() + 1, first.bit(),
                       static_cast<uint64_t>(last.byte() - first.byte()) * 8};
  if (r.first >= r.limit) return last;
  const uint64_t p = scan(r, n, pattern.value());
  return p == r.limit ? last : at_offset(r.base, p);
}

bit_iterator find(bit_iterator first, bit_iterator last, const bitset& pattern, uint64_t period,
                  unsigned confirmations) {
  const unsigned n = checked_bits(pattern);
  const uint32_t value = pattern.value();
  if (!(first < last)) return last;
  const uint8_t* base = first.byte();
  const uint8_t* end = last.byte() + 1;
  const uint64_t last_bit = static_cast<uint64_t>(last - first) + first.bit();
  search_range r{base, end, first.bit(), static_cast<uint64_t>(last.byte() - base) * 8};
  while (r.first < last_bit) {
    const uint64_t p = r.first >= r.limit ? r.limit : scan(r, n, value);
    if (p == r.limit) return last;
    bool confirmed = true;
    for (unsigned k = 1; k <= confirmations && confirmed; ++k) {
      const uint64_t c = p + k * period;
      if (c > last_bit) return last;
      confirmed = read_value(at_offset(base, c), n, end) == value;
    }
    if (confirmed) return at_offset(base, p);
    r.first = p + 1;
  }
  return last;
}

}  // namespace sysx
