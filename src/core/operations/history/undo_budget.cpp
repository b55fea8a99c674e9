#include "core/operations/history/undo_budget.h"

#include "core/model/memory_budget.h"

uint64_t default_undo_budget() {
  return available_memory() / 4;
}

std::size_t steps_over_budget(std::span<const uint64_t> sizes, uint64_t budget) {
  uint64_t total = 0;
  for (const uint64_t size : sizes) total += size;
  std::size_t dropped = 0;
  while (total > budget && dropped + 1 < sizes.size()) total -= sizes[dropped++];
  return dropped;
}
