#pragma once

#include <cstdint>
#include <optional>

// Memory the process may still take before the system has to take it back by force: the
// kernel's MemAvailable figure, or the free physical pages where that is not known. Loads and
// operations that grow the store check it first and stop cleanly instead of meeting the
// out-of-memory killer.
[[nodiscard]] uint64_t available_memory();

// What the store may still grow by: available_memory() less a reserve for the rest of the
// program (0 when even the reserve is not there).
[[nodiscard]] uint64_t memory_budget();

// Whether growing the store by `bytes` stays within memory_budget(). Operations that grow packets
// ask before their pass and refuse what does not fit.
[[nodiscard]] bool fits_memory_budget(uint64_t bytes);

// Replaces the figure (tests); nullopt returns to the system's figure.
void set_available_memory_for_testing(std::optional<uint64_t> bytes);

// What one packet of `bytes` bytes costs in the store: its record, the store's entry and the
// allocator's headers, and its own buffer when the bytes do not fit in the record.
[[nodiscard]] uint64_t packet_memory(uint64_t bytes);
