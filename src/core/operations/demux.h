#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

struct demux_params {
  bool keep = true;    // keep the marked byte columns; otherwise keep all but them
  uint32_t first = 0;  // first marked byte index (from 0)
  uint32_t last = 0;   // last marked byte index, at least `first`
};

// Cuts the band of byte columns first..last out of every packet in scope and renumbers the store
// from 0. All lengths are whole bytes: B is the stored byte count.
// - Keep mode: a packet with B <= first is deleted; otherwise it keeps bytes first..min(last,B-1).
// - Remove mode: a packet loses the bytes first..last it has (the bytes after the band move down);
//   one that does not reach `first` stays as it is.
// Every packet in scope that is not deleted counts as changed; packets out of scope go through
// unchanged. Counters: processed, changed, deleted; modified when changed or deleted is not 0.
// A cancelled pass keeps the packets it did not reach, in order, behind the visited ones.
void demux(PAKETS& store, const scope& s, demux_params params, pass& run);
