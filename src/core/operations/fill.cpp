#include "core/operations/fill.h"

#include <algorithm>

#include "core/operations/in_place_pass.h"

namespace {

// The most bytes a packet can hold: its bit length is a 32-bit number.
constexpr int64_t longest_packet_bytes = 0xFFFFFFFFll / 8;

int64_t longest_in(const PAKETS& store) {
  uint32_t longest = 0;
  for (auto at = store.begin(); at != store.end(); ++at) {
    longest = std::max(longest, at->second->byte_length());
  }
  return longest;
}

// True when the packet was padded (false also when no memory could be had for it).
bool pad(xpaket& p, uint32_t target, uint8_t value) {
  const uint32_t before = p.byte_length();
  if (before >= target) return false;
  // resize clears the unused bits of a partial last byte when it grows the packet; the fill
  // keeps them as they were stored, so they come back with that byte.
  const uint8_t last = before > 0 ? p.get_byte(before - 1) : 0;
  p.resize(target * 8);
  if (p.byte_length() != target) return false;
  if (before > 0) p.set_byte(before - 1, last);
  for (uint32_t i = before; i < target; ++i) p.set_byte(i, value);
  return true;
}

}  // namespace

void fill(PAKETS& store, const scope& s, fill_params params, pass& run) {
  const int64_t target = params.longest ? longest_in(store) : int64_t{params.target};
  // Nothing is shorter than a negative length, and nothing can be lengthened past the longest
  // packet there can be; the pass still visits and counts every packet.
  const uint32_t bytes =
      target > 0 && target <= longest_packet_bytes ? static_cast<uint32_t>(target) : 0;
  const uint8_t value = params.value;
  change_in_place(store, s, run,
                  [bytes, value](xpaket& p) { return pad(p, bytes, value) ? 1 : 0; });
}
