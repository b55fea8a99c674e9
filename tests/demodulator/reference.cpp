#include "reference.h"

namespace reference {

namespace {

uint8_t* at(const bytes& m) {
  return const_cast<uint8_t*>(m.data());
}

bool bit_or_zero(const bytes& m, uint64_t k) {
  return k < m.size() * 8 && ((m[k / 8] >> (k % 8)) & 1) != 0;
}

uint32_t value_at(const bytes& m, uint64_t k, unsigned n) {
  uint32_t v = 0;
  for (unsigned i = 0; i < n; ++i) v |= static_cast<uint32_t>(bit_or_zero(m, k + i)) << i;
  return v;
}

bool matches(const bytes& m, uint64_t k, const sysx::bitset& pattern) {
  for (uint64_t i = 0; i < pattern.bit_size(); ++i) {
    const bool want = ((pattern.data()[i / 8] >> (i % 8)) & 1) != 0;
    if (bit_or_zero(m, k + i) != want) return false;
  }
  return true;
}

}  // namespace

bytes demodulate(const bytes& recording) {
  bytes signal(recording.size() / 2, 0);
  if (recording.empty()) return signal;
  sysx::bit_iterator in(at(recording), 0);
  const sysx::bit_iterator stop = sysx::bit_iterator(at(recording) + recording.size() - 1, 7) - 2;
  uint64_t out = 0;
  while (in < stop) {
    const unsigned s1 = (in.read() ? 1 : 0) + ((in + 1).read() ? 2 : 0);
    const unsigned s2 = ((in + 2).read() ? 1 : 0) + ((in + 3).read() ? 2 : 0);
    const bool one = (s1 == 0 && s2 == 2) || (s1 == 2 && s2 == 3) || (s1 == 3 && s2 == 1) ||
                     (s1 == 1 && s2 == 0);
    if (out < signal.size() * 8) sysx::bit_iterator(signal.data() + out / 8, out % 8).write(one);
    ++out;
    in += 2;
  }
  return signal;
}

uint64_t find(const bytes& memory, uint64_t first, const sysx::bitset& pattern) {
  const uint64_t last = memory.size() * 8 - 1;
  for (uint64_t k = first; k < (memory.size() - 1) * 8; ++k) {
    if (matches(memory, k, pattern)) return k;
  }
  return last;
}

uint64_t find_periodic(const bytes& memory, uint64_t first, const sysx::bitset& pattern,
                       uint64_t period) {
  const uint64_t last = memory.size() * 8 - 1;
  uint64_t p = first;
  while (p < last) {
    p = find(memory, p, pattern);
    if (p == last) return last;
    bool confirmed = true;
    for (uint64_t k = 1; k <= 4 && confirmed; ++k) {
      if (p + k * period > last) return last;
      confirmed = matches(memory, p + k * period, pattern);
    }
    if (confirmed) return p;
    ++p;
  }
  return last;
}

bytes packetize(const bytes& signal) {
  bytes out(2 * signal.size() + 2, 0);
  if (signal.empty()) return {0, 0};
  const sysx::bitset pattern("1010011000010101");
  const uint64_t last = signal.size() * 8 - 1;
  uint64_t in = find_periodic(signal, 0, pattern, 4800);
  uint64_t count = 16;
  if (in != last) {
    uint64_t o = 0;
    auto put16 = [&](uint32_t v) {
      for (int i = 0; i < 16; ++i, ++o)
        sysx::bit_iterator(out.data() + o / 8, o % 8).write((v >> i) & 1);
    };
    put16(12);
    unsigned n = 96;
    unsigned i = 0;
    while (in < last) {
      sysx::bit_iterator(out.data() + o / 8, o % 8).write(bit_or_zero(signal, in));
      ++in;
      ++o;
      ++count;
      if (++i == n) {
        const bool is_long = value_at(signal, in, 8) == 31;
        n = is_long ? 192 : 96;
        i = 0;
        put16(is_long ? 24 : 12);
        count += 16;
      }
    }
  }
  out.resize(count / 8);
  return out;
}

}  // namespace reference
