#include "core/operations/edit.h"

#include "core/operations/in_place_pass.h"

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
  change_in_place(store, s, run, [&params](xpaket& p) { return write(p, params) ? 1 : 0; });
}
