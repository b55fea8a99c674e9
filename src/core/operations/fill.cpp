#include "core/operations/fill.h"

#include <algorithm>
#include <limits>

#include "core/model/memory_budget.h"

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
  run.running = true;
  const int64_t target = fill_target(store, params);
  bool ok = true;
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    xpaket& p = *at->second;
    if (s.contains(p)) {
      const pad_outcome outcome = pad(p, target, params.value);
      if (outcome == pad_outcome::failed) {
        ok = false;
        break;
      }
      if (outcome == pad_outcome::padded) ++run.result.changed;
    }
    ++run.result.processed;
    run.step_progress();
  }
  run.running = false;
  return ok;
}
