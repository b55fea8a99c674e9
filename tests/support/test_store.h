#pragma once

#include <cstdint>
#include <vector>

#include "core/model/pakets.h"

// A store built from byte vectors in a test; it destroys its packets with it.
struct test_store {
  test_store() = default;
  explicit test_store(const std::vector<std::vector<uint8_t>>& packets,
                      const std::vector<uint32_t>& colours = {}) {
    for (size_t i = 0; i < packets.size(); ++i) {
      auto* p = new xpaket(packets[i].data(), static_cast<uint32_t>(packets[i].size()));
      if (i < colours.size()) p->colour = colours[i];
      store.append(p);
    }
  }
  test_store(const test_store&) = delete;
  test_store& operator=(const test_store&) = delete;
  ~test_store() { unload_store(store); }

  [[nodiscard]] xpaket& operator[](uint32_t number) { return *store.at(number); }

  // The stored bytes of packet `number`.
  [[nodiscard]] std::vector<uint8_t> packet(uint32_t number) const {
    const xpaket* p = store.at(number);
    return {p->bytes(), p->bytes() + p->byte_length()};
  }
  // The stored bytes of every packet, in number order.
  [[nodiscard]] std::vector<std::vector<uint8_t>> contents() const {
    std::vector<std::vector<uint8_t>> all;
    for (const auto& [number, p] : store)
      all.emplace_back(p->bytes(), p->bytes() + p->byte_length());
    return all;
  }
  [[nodiscard]] std::vector<const xpaket*> pointers() const {
    std::vector<const xpaket*> all;
    for (const auto& [number, p] : store) all.push_back(p);
    return all;
  }
  // True when the numbers are 0..size-1.
  [[nodiscard]] bool numbered_from_zero() const {
    uint32_t expected = 0;
    for (const auto& entry : store) {
      if (entry.first != expected++) return false;
    }
    return true;
  }

  PAKETS store;
};
