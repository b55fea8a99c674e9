#include "core/operations/swap.h"

#include <cstdint>
#include <utility>

#include "core/model/byte_helpers.h"
#include "core/operations/in_place_pass.h"

namespace {

void reverse_paket(xpaket& p) {
  uint8_t* const bytes = p.writable_bytes();
  const uint32_t n = p.byte_length();
  for (uint32_t i = 0; i < n; ++i) bytes[i] = reverse_bits(bytes[i]);
}

// Returns the number of pairs exchanged.
int32_t swap_paket(xpaket& p) {
  uint8_t* const bytes = p.writable_bytes();
  const uint32_t even = p.byte_length() & ~1u;
  for (uint32_t i = 0; i < even; i += 2) std::swap(bytes[i], bytes[i + 1]);
  return static_cast<int32_t>(even / 2);
}

}  // namespace

void swap(PAKETS& store, const scope& s, swap_params params, pass& run) {
  if (params.mode == swap_mode::reverse_bits) {
    change_in_place(store, s, run, [](xpaket& p) {
      reverse_paket(p);
      return 1;
    });
  } else {
    change_in_place(store, s, run, [](xpaket& p) { return swap_paket(p); });
  }
}
