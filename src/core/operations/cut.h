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
// packet when run.running is cleared; the packets visited so far stay cut.
void cut(PAKETS& store, const scope& s, cut_params params, pass& run);
