#include "core/operations/edit.h"

namespace {

bool write(xpaket& p, const edit_params& params) {
  if (params.bits) {
    if (params.position >= p.bit_length()) return false;
    if (params.value != 0) {
      p.set_bit(params.position);
    } else {
      p.clear_bit(params.position);
    }
    return true;
  }
  if (params.position >= p.byte_length()) return false;
  p.writable_bytes()[params.position] = params.value;
  return true;
}

}  // namespace

void edit(PAKETS& store, const scope& s, edit_params params, pass& run) {
  run.running = true;
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    xpaket& p = *at->second;
    if (s.contains(p) && write(p, params)) ++run.result.changed;
    ++run.result.processed;
    run.step_progress();
  }
  run.running = false;
}
