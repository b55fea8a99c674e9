#include "core/operations/fill.h"

#include <algorithm>
#include <limits>

#include "core/model/memory_budget.h"
#include "core/operations/in_place_pass.h"

namespace {

// The most bytes a packet can hold: its bit length is a 32-bit number.
constexpr int64_t longest_packet_bytes = 0xFFFFFFFFll / 8;

enum class pad_outcome { unchanged, padded, failed };

pad_outcome pad(xpaket& p, int64_t target, uint8_t value) {
  const uint32_t before = p.byte_length();
  if (target <= int64_t{before}) return pad_outcome::unchanged;
  if (target > longest_packet_bytes) return pad_outcome::failed;
  const auto bytes = static_cast<uint32_t>(target);
  // resize keeps every old byte whole and adds zero bytes; a failed one keeps the packet.
  p.resize(bytes * 8);
  if (p.byte_length() != bytes) return pad_outcome::failed;
  std::fill(p.writable_bytes() + before, p.writable_bytes() + bytes, value);
  return pad_outcome::padded;
}

}  // namespace

int64_t fill_target(const PAKETS& store, fill_params params) {
  if (!params.longest) return params.target;
  uint32_t longest = 0;
  for (const auto& entry : store) longest = std::max(longest, entry.second->byte_length());
  return longest;
}

uint64_t fill_growth(const PAKETS& store, const scope& s, fill_params params) {
  const int64_t target = fill_target(store, params);
  if (target <= 0) return 0;
  // Allocator header of a new buffer.
  constexpr uint64_t header = 16;
  constexpr uint64_t unbounded = std::numeric_limits<uint64_t>::max();
  uint64_t growth = 0;
  for (const auto& [number, p] : store) {
    if (int64_t{p->byte_length()} >= target || !s.contains(*p)) continue;
    if (target > longest_packet_bytes) return unbounded;
    const uint64_t one = static_cast<uint64_t>(target) + header;
    growth = growth > unbounded - one ? unbounded : growth + one;
  }
  return growth;
}

bool fill_fits_memory(const PAKETS& store, const scope& s, fill_params params) {
  return fits_memory_budget(fill_growth(store, s, params));
}

bool fill(PAKETS& store, const scope& s, fill_params params, pass& run) {
  const int64_t target = fill_target(store, params);
  const uint8_t value = params.value;
  return change_in_place(store, s, run, [target, value](xpaket& p) {
    switch (pad(p, target, value)) {
      case pad_outcome::unchanged:
        return 0;
      case pad_outcome::padded:
        return 1;
      case pad_outcome::failed:
        break;
    }
    return -1;
  });
}
