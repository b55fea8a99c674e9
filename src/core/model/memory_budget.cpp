#include "core/model/memory_budget.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "core/model/paket.h"

namespace {

std::atomic<bool> overridden{false};
std::atomic<uint64_t> override_bytes{0};

// MemAvailable in bytes from /proc/meminfo; nullopt when the file or the line is missing.
std::optional<uint64_t> meminfo_available() {
  std::FILE* f = std::fopen("/proc/meminfo", "re");
  if (f == nullptr) return std::nullopt;
  std::optional<uint64_t> result;
  char line[256];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    unsigned long long kib = 0;
    if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
      result = uint64_t{kib} * 1024;
      break;
    }
  }
  std::fclose(f);
  return result;
}

}  // namespace

uint64_t available_memory() {
  if (overridden.load()) return override_bytes.load();
  if (const std::optional<uint64_t> bytes = meminfo_available()) return *bytes;
  const long pages = ::sysconf(_SC_AVPHYS_PAGES);
  const long page = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page <= 0) return UINT64_MAX;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(page);
}

uint64_t memory_budget() {
  constexpr uint64_t reserve = uint64_t{32} << 20;
  const uint64_t available = available_memory();
  return available > reserve ? available - reserve : 0;
}

bool fits_memory_budget(uint64_t bytes) {
  return bytes == 0 || bytes <= memory_budget();
}

void set_available_memory_for_testing(std::optional<uint64_t> bytes) {
  override_bytes.store(bytes.value_or(0));
  overridden.store(bytes.has_value());
}

uint64_t packet_memory(uint64_t bytes) {
  // Allocator header and rounding of one allocation.
  constexpr uint64_t header = 16;
  // The store's entry for the packet (a map node or a slot with its share of growth).
  constexpr uint64_t entry = 48;
  uint64_t cost = sizeof(xpaket) + header + entry;
  if (bytes > 16) cost += bytes + header;
  return cost;
}
