#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/pass.h"

namespace in_place_detail {

// How many packets ahead the walk asks for a packet's memory: the packets lie far apart on the
// heap, and each would otherwise stall the walk when it reaches it.
constexpr std::ptrdiff_t look_ahead = 16;

inline void ask_ahead(PAKETS::iterator at, PAKETS::iterator end) {
  if (end - at > look_ahead) prefetch_paket(at[look_ahead].second);
}

// The walk from `at` on, keeping nothing.
template <typename Change>
bool walk(PAKETS::iterator at, PAKETS::iterator end, const scope& s, pass& run, Change& change) {
  for (; at != end && run.running; ++at) {
    ask_ahead(at, end);
    xpaket& p = *at->second;
    if (s.contains(p)) {
      const int32_t changes = change(p);
      if (changes < 0) return false;
      run.result.changed += changes;
    }
    ++run.result.processed;
    run.step_progress();
  }
  return true;
}

// The walk keeping the state from before of every packet it changes. The cursor lives in
// registers; should the recorder give up, the walk goes on without it.
template <typename Change>
bool walk_recording(PAKETS& store, const scope& s, pass& run, Change& change) {
  undo_recorder& recorder = *run.recorder;
  undo_recorder::snapshot_cursor kept = recorder.open_snapshots();
  if (!kept.live()) return walk(store.begin(), store.end(), s, run, change);
  // By number over the slots: fewer values for the loop to hold than with iterators.
  const auto count = static_cast<uint32_t>(store.size());
  xpaket* const* const slots = count != 0 ? &store.slot(0) : nullptr;
  uint32_t at = 0;
  try {
    for (; at < count && run.running; ++at) {
      if (count - at > look_ahead) prefetch_paket(slots[at + look_ahead]);
      xpaket& p = *slots[at];
      if (s.contains(p)) {
        // The state before the change, dropped again when the change counted none.
        const uint32_t n = p.byte_length();
        if (!kept.fits(n)) {
          kept = recorder.grow_snapshots(kept, n);
          if (!kept.live()) break;  // p on without states
        }
        if (!kept.keep(recorder, at, p, n)) {
          kept = {};
          break;
        }
        // A change that throws may have altered p before: its state stays.
        const int32_t changes = change(p);
        if (changes == 0) kept.drop_last(n);
        if (changes < 0) {
          recorder.close_snapshots(kept);
          return false;
        }
        run.result.changed += changes;
      }
      ++run.result.processed;
      run.step_progress();
    }
  } catch (...) {
    recorder.close_snapshots(kept);
    throw;
  }
  recorder.close_snapshots(kept);
  return kept.live() || walk(store.begin() + at, store.end(), s, run, change);
}

}  // namespace in_place_detail

// The walk of the operations that change packets in place (cut, swap, fill, edit): `change(p)`
// runs on every packet in scope, in number order, and returns how many changes to count (none
// only when p is as it was), or a negative number to stop the pass at p (p then does not count as
// processed, and may have changed). It changes bytes and lengths, never colours. Counters:
// processed (every packet visited) and changed. Stops before the next packet when run.running is
// cleared. With run.recorder set, the recorder keeps the state from before of every packet that
// change(p) altered. Returns false when change stopped the pass.
template <typename Change>
bool change_in_place(PAKETS& store, const scope& s, pass& run, Change change) {
  // Clear again however the walk ends.
  struct running_flag {
    pass& of;
    ~running_flag() { of.running = false; }
  } const flag{run};
  run.running = true;
  return run.recorder == nullptr ? in_place_detail::walk(store.begin(), store.end(), s, run, change)
                                 : in_place_detail::walk_recording(store, s, run, change);
}
