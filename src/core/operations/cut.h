#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

struct cut_params {
  bool bits = false;  // counts in bits; otherwise in bytes
  int32_t start = 0;  // units cut from the start
  int32_t end = 0;    // units cut from the end (the dialog and the CLI keep it 0 in bit mode)
};

// Shortens every packet in scope in place: first the leading cut, then the trailing cut on the
// length that is left.
// - Leading count L (bits): when 0 < L < length, the first L bits go; otherwise (L at or beyond
//   the length, or negative) the packet keeps its start.
// - Trailing count T (bits): the new length is length - T when that is above 0; so a count at or
//   beyond the length changes nothing, and a negative count appends -T zero bits.
// A packet counts as changed once, whichever cut changed it. No packet becomes empty, none is
// deleted, renumbered or recoloured.
//
// Counters: processed (packets visited, in scope or not) and changed. Stops before the next
// packet when run.running is cleared; the packets visited so far stay cut. Returns false when
// a packet could not get the buffer its new length needs (memory ran out): the pass stops at
// that packet, which keeps its old length and is not counted; the packets before it stay cut.
bool cut(PAKETS& store, const scope& s, cut_params params, pass& run);

// Bytes of new buffers a cut with these parameters allocates for packets in scope: nonzero only
// for a negative trailing count, which grows every packet.
[[nodiscard]] uint64_t cut_growth(const PAKETS& store, const scope& s, cut_params params);

// Whether the memory available (available_memory(), less a reserve) covers cut_growth. Callers
// ask before the pass and refuse the parameters otherwise.
[[nodiscard]] bool cut_fits_memory(const PAKETS& store, const scope& s, cut_params params);
