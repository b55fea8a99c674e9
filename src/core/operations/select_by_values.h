#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/conditions.h"
#include "core/operations/pass.h"

// Colours every packet in scope that meets all `conditions` (tested in list order, the first
// failing one ends the test) with `colour`. The pass works on its own copy of the list. Nothing
// is uncoloured; a packet that already has the colour counts again. An empty list matches every
// packet in scope (the dialog does not run a pass for it).
//
// Counters: processed (packets visited) and recoloured. Stops before the next packet when
// run.running is cleared; the packets visited so far stay coloured.
void select_by_values(PAKETS& store, const scope& s, const CLAUSES& conditions, uint32_t colour,
                      pass& run);
