#include "core/operations/cut.h"

namespace {

// Bit lengths above this cannot be stored in a packet.
constexpr int64_t longest_packet_bits = 0xFFFFFFFFll;

// Cuts one packet by the counts in bits; true when it changed.
bool cut_paket(xpaket& p, int64_t leading, int64_t trailing) {
  bool changed = false;
  if (leading > 0 && leading < int64_t{p.bit_length()}) {
    const auto n = static_cast<uint32_t>(leading);
    const uint32_t length = p.bit_length() - n;
    if (p.drop_leading(n) == 0) {
      p.resize(length);
      changed = true;
    }
  }
  if (trailing != 0) {
    const int64_t length = int64_t{p.bit_length()} - trailing;
    if (length > 0 && length <= longest_packet_bits) {
      const uint32_t before = p.bit_length();
      p.resize(static_cast<uint32_t>(length));
      changed = changed || p.bit_length() != before;
    }
  }
  return changed;
}

}  // namespace

void cut(PAKETS& store, const scope& s, cut_params params, pass& run) {
  const int64_t unit = params.bits ? 1 : 8;
  const int64_t leading = int64_t{params.start} * unit;
  const int64_t trailing = int64_t{params.end} * unit;
  run.running = true;
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    xpaket& p = *at->second;
    if (s.contains(p) && cut_paket(p, leading, trailing)) ++run.result.changed;
    ++run.result.processed;
    run.step_progress();
  }
  run.running = false;
}
