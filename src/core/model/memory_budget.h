#pragma once

#include <cstdint>
#include <optional>

// Memory the process may still take before the system has to take it back by force: the
// kernel's MemAvailable figure, or the free physical pages where that is not known. Loads and
// operations that grow the store check it first and stop cleanly instead of meeting the
// out-of-memory killer.
[[nodiscard]] uint64_t available_memory();

// Replaces the figure (tests); nullopt returns to the system's figure.
void set_available_memory_for_testing(std::optional<uint64_t> bytes);

// What one packet of `bytes` bytes costs in the store: its record, the store's entry and the
// allocator's headers, and its own buffer when the bytes do not fit in the record.
[[nodiscard]] uint64_t packet_memory(uint64_t bytes);
