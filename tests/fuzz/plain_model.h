#pragma once

// The plain side of the invariant targets: packets as byte vectors, and the conditions tested
// one by one as the help pages state them. Nothing here calls the program's logic; it only
// builds the store that the logic then works on.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/conditions.h"
#include "fuzz/fuzz_support.h"

// A packet as the plain models see it: its stored bytes (a partial last byte whole), its bit
// length and its colour.
struct plain_packet {
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  uint32_t colour = colour_white;
  bool operator==(const plain_packet&) const = default;
};
using plain_store = std::vector<plain_packet>;

// The colours the inputs choose from, by two bits.
inline constexpr uint32_t fuzz_palette[4] = {colour_white, 0x0000FF, 0xFF0000, 0x00FF00};

// Bit i: bit i mod 8, from the least significant, of byte i div 8.
[[nodiscard]] inline int plain_bit(const plain_packet& p, uint64_t i) {
  return (p.bytes[i / 8] >> (i % 8)) & 1;
}

// One condition: the packet has the byte (bit) at the position, counted from 1, and it compares
// with the value; "less" and "greater" include the value, other operators always hold.
[[nodiscard]] inline bool plain_condition(const plain_packet& p, const xsort_clause& c) {
  if (c.position == 0) return false;
  if (c.element == clause_element::bit) {
    return c.position <= p.bits && plain_bit(p, c.position - 1) == c.value;
  }
  if (c.position > p.bytes.size()) return false;
  const uint8_t d = p.bytes[c.position - 1];
  switch (c.op) {
    case clause_operator::equal:
      return d == c.value;
    case clause_operator::not_equal:
      return d != c.value;
    case clause_operator::at_most:
      return d <= c.value;
    case clause_operator::at_least:
      return d >= c.value;
    default:
      return true;
  }
}

[[nodiscard]] inline bool plain_conditions(const plain_packet& p, const CLAUSES& list) {
  return std::all_of(list.begin(), list.end(),
                     [&p](const xsort_clause& c) { return plain_condition(p, c); });
}

// What the store holds: packet by packet, as the plain models see it.
[[nodiscard]] inline plain_store plain_of(const PAKETS& store) {
  plain_store all;
  all.reserve(store.size());
  for (const auto& [number, p] : store) {
    all.push_back({{p->bytes(), p->bytes() + p->byte_length()}, p->bit_length(), p->colour});
    FUZZ_CHECK(p->byte_length() == (uint64_t{p->bit_length()} + 7) / 8);
  }
  return all;
}

// Takes packets off the input into `store` until it ends. Each starts with a header byte: bits
// 0-4 its byte count (31: a long packet, a 16-bit count and a fill byte follow, its first bytes
// still from the input), bits 5-6 its colour, bit 7 a bit length short of whole bytes. The long
// packets of one input hold a few MB in all.
inline void take_packets(fuzz_input& in, PAKETS& store) {
  size_t room = size_t{4} << 20;
  while (in.size() > 0) {
    const auto header = in.take<uint8_t>();
    std::vector<uint8_t> bytes;
    if ((header & 0x1F) == 0x1F) {
      const size_t count = std::min<size_t>(in.take<uint16_t>(), room);
      room -= count;
      bytes.assign(count, in.take<uint8_t>());
      const size_t own = std::min({bytes.size(), size_t{4}, in.size()});
      std::copy_n(in.data(), own, bytes.begin());
      in.skip(own);
    } else {
      bytes.assign(in.data(), in.data() + std::min<size_t>(header & 0x1F, in.size()));
      in.skip(bytes.size());
    }
    auto* p = new xpaket(bytes.data(), static_cast<uint32_t>(bytes.size()));
    p->colour = fuzz_palette[(header >> 5) & 3];
    if ((header & 0x80) != 0 && !bytes.empty()) {
      p->resize(static_cast<uint32_t>(8 * bytes.size() - 1 - bytes[0] % 7));
    }
    store.append(p);
  }
}
