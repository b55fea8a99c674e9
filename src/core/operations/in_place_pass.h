#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/pass.h"

// The walk of the operations that change packets in place (cut, swap, fill, edit): `change(p)`
// runs on every packet in scope, in number order, and returns how many changes to count (none
// only when p is as it was), or a negative number to stop the pass at p (p then does not count as
// processed, and may have changed). Counters:
// processed (every packet visited) and changed. Stops before the next packet when run.running is
// cleared. With run.recorder set, the recorder keeps the state from before of every packet that
// change(p) altered. Returns false when change stopped the pass.
template <typename Change>
bool change_in_place(PAKETS& store, const scope& s, pass& run, Change change) {
  undo_recorder* const recorder = run.recorder;
  bool completed = true;
  run.running = true;
  if (recorder == nullptr) {
    for (auto at = store.begin(); at != store.end() && run.running; ++at) {
      xpaket& p = *at->second;
      if (s.contains(p)) {
        const int32_t changes = change(p);
        if (changes < 0) {
          completed = false;
          break;
        }
        run.result.changed += changes;
      }
      ++run.result.processed;
      run.step_progress();
    }
    run.running = false;
    return completed;
  }
  // The same walk keeping the state of every packet before its change, dropped again when the
  // change counted none. The cursor stays in registers; it goes back to the recorder at the end.
  undo_recorder::snapshot_cursor kept = recorder->open_snapshots();
  try {
    for (auto at = store.begin(); at != store.end() && run.running; ++at) {
      xpaket& p = *at->second;
      if (s.contains(p)) {
        const uint32_t n = p.byte_length();
        const uint32_t colour = p.colour;
        if (kept.entry != nullptr && !kept.fits(n)) kept = recorder->grow_snapshots(kept, n);
        if (kept.entry != nullptr) kept.keep(at->first, p);
        const int32_t changes = change(p);
        if (changes == 0 && kept.entry != nullptr) kept.drop_last(n);
        if (p.colour != colour) {
          recorder->recolour(at->first, colour);
          if (!recorder->active()) kept = {};  // it gave up, and its buffers with it
        }
        if (changes < 0) {
          completed = false;
          break;
        }
        run.result.changed += changes;
      }
      ++run.result.processed;
      run.step_progress();
    }
  } catch (...) {
    recorder->close_snapshots(kept);
    run.running = false;
    throw;
  }
  recorder->close_snapshots(kept);
  run.running = false;
  return completed;
}
