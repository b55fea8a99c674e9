#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/pass.h"

namespace in_place_detail {

// How many packets ahead the walk asks for a packet's memory: the packets lie far apart on the
// heap, and each would otherwise stall the walk when it reaches it.
constexpr std::ptrdiff_t look_ahead = 8;

// The walk, with or without keeping the states; `kept` is the recorder's cursor while recording,
// held in registers.
template <bool recording, typename Change>
bool walk(PAKETS& store, const scope& s, pass& run, Change& change) {
  undo_recorder* const recorder = run.recorder;
  undo_recorder::snapshot_cursor kept;
  if constexpr (recording) kept = recorder->open_snapshots();
  bool completed = true;
  try {
    const auto end = store.end();
    for (auto at = store.begin(); at != end && run.running; ++at) {
      if (end - at > look_ahead) __builtin_prefetch(at[look_ahead].second);
      xpaket& p = *at->second;
      if (s.contains(p)) {
        int32_t changes = 0;
        if constexpr (recording) {
          // The state before the change, dropped again when the change counted none.
          const uint32_t n = p.byte_length();
          const uint32_t colour = p.colour;
          if (kept.entry != nullptr && !kept.fits(n)) kept = recorder->grow_snapshots(kept, n);
          if (kept.entry != nullptr) kept.keep(at->first, p);
          changes = change(p);
          if (changes == 0 && kept.entry != nullptr) kept.drop_last(n);
          if (p.colour != colour) {
            recorder->recolour(at->first, colour);
            if (!recorder->active()) kept = {};  // it gave up, and its buffers with it
          }
        } else {
          changes = change(p);
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
    if constexpr (recording) recorder->close_snapshots(kept);
    throw;
  }
  if constexpr (recording) recorder->close_snapshots(kept);
  return completed;
}

}  // namespace in_place_detail

// The walk of the operations that change packets in place (cut, swap, fill, edit): `change(p)`
// runs on every packet in scope, in number order, and returns how many changes to count (none
// only when p is as it was), or a negative number to stop the pass at p (p then does not count as
// processed, and may have changed). Counters: processed (every packet visited) and changed.
// Stops before the next packet when run.running is cleared. With run.recorder set, the recorder
// keeps the state from before of every packet that change(p) altered. Returns false when change
// stopped the pass.
template <typename Change>
bool change_in_place(PAKETS& store, const scope& s, pass& run, Change change) {
  // Clear again however the walk ends.
  struct running_flag {
    pass& of;
    ~running_flag() { of.running = false; }
  } const flag{run};
  run.running = true;
  return run.recorder == nullptr ? in_place_detail::walk<false>(store, s, run, change)
                                 : in_place_detail::walk<true>(store, s, run, change);
}
