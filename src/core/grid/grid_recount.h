#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/model/pakets.h"

// Status texts of the recount (UTF-8).
inline constexpr const char* allocating_memory_text = " выделение памяти...";

// Totals of one pass over the store: packet count and the shortest and longest byte length. The
// minimum starts at 10000 (so a shorter store minimum above it shows as 10000), and is 1 with
// the maximum 0 for an empty store.
struct store_totals {
  uint32_t count = 0;
  uint32_t min_length = 1;
  uint32_t max_length = 0;
  bool operator==(const store_totals&) const = default;
};

// Visits every packet in number order; calls `yield` after every 1000th packet (may be empty).
[[nodiscard]] store_totals count_store(const PAKETS& store, const std::function<void()>& yield);

// " всего пакетов - " + count (status panel 0).
[[nodiscard]] std::string total_packets_text(const store_totals& t);
// " длина мин: " + min + " -  макс: " + max (status panel 1).
[[nodiscard]] std::string lengths_text(const store_totals& t);
