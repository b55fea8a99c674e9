#pragma once

#include <cstdint>

#include "core/model/pakets.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/pass.h"

// Gives packet `number` (p) a colour; the recorder, when there is one, keeps the colour it had.
inline void recolour(xpaket& p, uint32_t number, uint32_t colour, undo_recorder* recorder) {
  if (recorder != nullptr && p.colour != colour) recorder->recolour(number, p.colour);
  p.colour = colour;
}

// Recolours packets for a colouring walk and keeps the colours they had, for undo, through a
// cursor the walk holds in registers: one object per walk, over before anything else reaches the
// recorder. Without a recorder it only recolours.
class colour_keeper {
 public:
  explicit colour_keeper(undo_recorder* recorder) : recorder_(recorder) {
    if (recorder_ != nullptr) cursor_ = recorder_->open_colours();
  }
  colour_keeper(const colour_keeper&) = delete;
  colour_keeper& operator=(const colour_keeper&) = delete;
  ~colour_keeper() {
    if (recorder_ != nullptr) recorder_->close_colours(cursor_);
  }

  // Gives packet `number` (p) a colour.
  void recolour(xpaket& p, uint32_t number, uint32_t colour) {
    if (recorder_ != nullptr && p.colour != colour) keep(number, p.colour);
    p.colour = colour;
  }

 private:
  void keep(uint32_t number, uint32_t old) {
    if (cursor_.next == cursor_.end) {
      cursor_ = recorder_->grow_colours(cursor_);
      if (cursor_.next == nullptr) {
        recorder_ = nullptr;  // gave up: the rest without undo
        return;
      }
    }
    *cursor_.next++ = {number, old};
  }

  undo_recorder* recorder_;
  undo_recorder::colour_cursor cursor_;
};

// The walk of the selections: every packet in scope for which `matches(p)` holds gets `colour`.
// Counters: processed (every packet visited) and recoloured. Stops before the next packet when
// run.running is cleared; run.recorder keeps the old colours. `matches` is a function object the
// compiler can see through: the selections call this once per kind of test, so the test is inlined
// into the walk.
template <typename Matches>
void colour_matching(PAKETS& store, const scope& s, Matches matches, uint32_t colour, pass& run) {
  // The counters stay local during the walk and reach run.result at the end: the step may not
  // look at them, and the walk keeps them in registers.
  int32_t processed = 0;
  int32_t recoloured = 0;
  const bool whole_store = s.all && s.conditions == nullptr;
  colour_keeper keeper(run.recorder);
  run.running = true;
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    xpaket& p = *at->second;
    if ((whole_store || s.contains(p)) && matches(p)) {
      keeper.recolour(p, at->first, colour);
      ++recoloured;
    }
    ++processed;
    run.step_progress();
  }
  run.result.processed += processed;
  run.result.recoloured += recoloured;
  run.running = false;
}
