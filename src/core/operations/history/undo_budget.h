#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The memory an undo history may hold when the user has set nothing: a quarter of the memory
// available now. The program reads it when a signal opens.
[[nodiscard]] uint64_t default_undo_budget();

// How many of the oldest steps must go so that the memory of the rest (`sizes`, oldest first)
// is within `budget`. The newest step is never counted out: one too large on its own was never
// recorded (its recorder gave up at the same budget).
[[nodiscard]] std::size_t steps_over_budget(std::span<const uint64_t> sizes, uint64_t budget);
