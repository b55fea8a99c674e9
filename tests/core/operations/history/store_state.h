#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "core/model/pakets.h"

// What undo must give back of a store: every packet's bytes, bit length and colour, in number
// order.
struct paket_state {
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  uint32_t colour = 0;
  bool operator==(const paket_state&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const paket_state& p) {
  os << '{' << p.bits << " bits, colour " << std::hex << p.colour << std::dec << ':';
  for (const uint8_t b : p.bytes) os << ' ' << static_cast<int>(b);
  return os << '}';
}

inline std::vector<paket_state> state_of(const PAKETS& store) {
  std::vector<paket_state> all;
  for (const auto& [number, p] : store) {
    all.push_back({{p->bytes(), p->bytes() + p->byte_length()}, p->bit_length(), p->colour});
  }
  return all;
}
