#include "core/operations/demux.h"

#include "core/operations/rebuild_pass.h"

namespace {

// Keep mode on a packet that reaches `first`.
void keep_band(xpaket& p, uint32_t first, uint32_t last) {
  const uint32_t bytes = p.byte_length();
  const uint32_t kept = bytes > last ? last - first + 1 : bytes - first;
  if (p.keep_bytes(first, kept)) return;
  if (first > 0) p.drop_leading(8 * first);
  p.resize(8 * kept);
}

void remove_band(xpaket& p, uint32_t first, uint32_t last) {
  const uint32_t bytes = p.byte_length();
  if (bytes > last) {
    for (uint32_t i = last + 1; i < bytes; ++i) p.set_byte(first + (i - last - 1), p.get_byte(i));
    p.resize(8 * (bytes - (last - first + 1)));
  } else if (bytes > first) {
    p.resize(8 * first);
  }
}

}  // namespace

void demux(PAKETS& store, const scope& s, demux_params params, pass& run) {
  const uint32_t first = params.first;
  const uint32_t last = params.last < first ? first : params.last;
  map_store(store, run, [&](xpaket& p, const auto& change) {
    if (!s.contains(p)) return true;
    if (params.keep) {
      if (p.byte_length() <= first) return false;
      change();
      keep_band(p, first, last);
    } else {
      if (p.byte_length() > first) change();
      remove_band(p, first, last);
    }
    ++run.result.changed;
    return true;
  });
  if (run.result.changed != 0 || run.result.deleted != 0) run.result.modified = true;
}
