#include "core/grid/grid_recount.h"

#include <algorithm>

namespace {
constexpr uint32_t min_length_start = 10000;
constexpr uint32_t yield_every = 1000;
}  // namespace

store_totals count_store(const PAKETS& store, const std::function<void()>& yield) {
  store_totals t;
  if (store.empty()) return t;
  t.min_length = min_length_start;
  uint32_t visited = 0;
  for (const auto& [number, p] : store) {
    const uint32_t length = p != nullptr ? p->size(true) : 0;
    t.max_length = std::max(t.max_length, length);
    t.min_length = std::min(t.min_length, length);
    ++visited;
    if (visited % yield_every == 0 && yield) yield();
  }
  t.count = visited;
  return t;
}

std::string total_packets_text(const store_totals& t) {
  return " всего пакетов - " + std::to_string(t.count);
}

std::string lengths_text(const store_totals& t) {
  return " длина мин: " + std::to_string(t.min_length) +
         " -  макс: " + std::to_string(t.max_length);
}
