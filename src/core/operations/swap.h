#pragma once

#include "core/model/pakets.h"
#include "core/operations/pass.h"

enum class swap_mode {
  reverse_bits,  // the eight bits of every byte in mirror order
  swap_bytes,    // bytes 0 and 1, 2 and 3, ... exchanged
};

struct swap_params {
  swap_mode mode = swap_mode::reverse_bits;
};

// Rearranges the stored bytes of every packet in scope in place. All stored bytes take part, the
// partly used last byte included; the bit length never changes, so after a bit reversal the used
// bits of a partial last byte may have moved into its unused part.
// - reverse_bits: every packet in scope counts as changed, an empty one too.
// - swap_bytes: with an odd byte count the last byte stays; changed is raised once for every pair
//   exchanged, so a packet of one byte does not count.
//
// Counters: processed (packets visited, in scope or not) and changed. Stops before the next
// packet when run.running is cleared; the packets visited so far stay rearranged.
void swap(PAKETS& store, const scope& s, swap_params params, pass& run);
