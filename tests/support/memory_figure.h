#pragma once

#include <cstdint>

#include "core/model/memory_budget.h"

// The memory figure the program sees for the lifetime of the object, in place of the system's.
struct memory_figure {
  explicit memory_figure(uint64_t bytes) { set_available_memory_for_testing(bytes); }
  memory_figure(const memory_figure&) = delete;
  memory_figure& operator=(const memory_figure&) = delete;
  ~memory_figure() { set_available_memory_for_testing(std::nullopt); }
};

// What memory_budget() keeps back from the figure for the rest of the program.
inline constexpr uint64_t memory_reserve = uint64_t{32} << 20;
