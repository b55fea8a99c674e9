#pragma once

#include <cstdint>
#include <vector>

#include "core/model/pakets.h"

// The store the operation benchmarks work on: `count` packets of `length` bytes. Byte 0 of packet k
// is k mod 2, so a filter on that byte deletes every second packet; the other bytes vary.
inline void fill_store(PAKETS& store, uint32_t count, uint32_t length) {
  std::vector<uint8_t> b(length);
  for (uint32_t k = 0; k < count; ++k) {
    if (length > 0) b[0] = static_cast<uint8_t>(k & 1);
    for (uint32_t i = 1; i < length; ++i) b[i] = static_cast<uint8_t>(k + i);
    store.append(new xpaket(b.data(), length));
  }
}

// The same packets as plain vectors, for the baselines.
inline void fill_plain(std::vector<std::vector<uint8_t>>& store, uint32_t count, uint32_t length) {
  store.clear();
  store.reserve(count);
  std::vector<uint8_t> b(length);
  for (uint32_t k = 0; k < count; ++k) {
    if (length > 0) b[0] = static_cast<uint8_t>(k & 1);
    for (uint32_t i = 1; i < length; ++i) b[i] = static_cast<uint8_t>(k + i);
    store.push_back(b);
  }
}
