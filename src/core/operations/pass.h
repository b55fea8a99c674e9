#pragma once

#include <cstdint>
#include <functional>

#include "core/model/paket.h"
#include "core/operations/clause.h"

class undo_recorder;

// What an operation reports back to the main window.
struct PLUGIN_RESULT {
  bool modified = false;    // packet count or lengths may have changed: the grid is recounted
  int32_t processed = 0;    // packets visited
  int32_t changed = 0;      // packets changed in place
  int32_t deleted = 0;      // packet records destroyed
  uint32_t joined = 0;      // packets created (joined fragments, packets read)
  int32_t recoloured = 0;   // packets coloured by a selection
  bool sets_saved = false;  // the command set the saved flag itself (the file commands)
};

// The main window's rule: a result that changed, deleted or created packets makes the signal not
// saved, also when every packet visited ended in a created one (all of them fragments joined).
// The file commands, which count the packets they read or unload in the same counters, set the
// saved flag themselves.
[[nodiscard]] constexpr bool marks_unsaved(const PLUGIN_RESULT& r) {
  return !r.sets_saved && (r.changed != 0 || r.deleted != 0 || r.joined != 0);
}

// Which packets an operation works on: all, or those of one colour (white: the unselected ones),
// and of those only the ones meeting `conditions` when it is set. The list is borrowed: it must
// outlive every use of the scope.
struct scope {
  bool all = true;
  uint32_t colour = colour_white;
  const CLAUSES* conditions = nullptr;
  [[nodiscard]] bool contains(const xpaket& p) const {
    if (!all && p.colour != colour) return false;
    return conditions == nullptr || meets_all(p, *conditions);
  }
};

// The state a dialog owns during one pass: the running flag (Cancel clears it; the logic checks
// it before every packet), the counters, and the step that moves the gauge and lets the GUI
// breathe. A headless caller leaves `step` empty.
//
// The logic calls step_progress() after every packet; `step` runs on every `stride`-th of those
// calls and stands for `stride` packets. A gauge that only looks at the clock every so many
// packets sets the stride to that many and saves a call per packet; the packets stepped since the
// last call of `step` wait in pending_steps().
class pass {
 public:
  PLUGIN_RESULT result;
  bool running = false;
  std::function<void()> step;
  uint32_t stride = 1;

  void step_progress() {
    if (++pending_ < stride) return;
    pending_ = 0;
    if (step) step();
  }
  // Steps taken since `step` last ran (fewer than the stride).
  [[nodiscard]] uint32_t pending_steps() const { return pending_; }
  // Forgets them: the gauge was set anew, or they have been accounted for.
  void drop_pending_steps() { pending_ = 0; }
  // Keeps what the pass changes, for undo; set by whoever runs the pass, who owns it. The walkers
  // (in_place_pass.h, colour_pass.h, rebuild_pass.h) report to it; operations only say what they
  // change in a map or rebuild walk (the change they are handed, or changing, in
  // rebuild_pass.h) and destroy packets through delete_paket.
  undo_recorder* recorder = nullptr;

  // Destroys a packet record that the caller has taken out of (or never put into) the store, and
  // counts it; the recorder keeps it alive instead. The one place a pass destroys packets.
  void delete_paket(xpaket* p) {
    discard_paket(p);
    ++result.deleted;
  }
  // The same without counting: a record the pass held aside and does not put back.
  void discard_paket(xpaket* p);

 private:
  uint32_t pending_ = 0;
};
