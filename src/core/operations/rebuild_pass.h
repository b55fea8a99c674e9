#pragma once

#include <cassert>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/pass.h"

// The new numbering that a rebuild pass (below) builds while it walks the store. It is written
// into the store's own slots behind the walk, the way std::remove_if compacts a sequence: the
// slots already visited are reused for the packets kept or created, so a pass that deletes
// packets allocates nothing. Only packets that would overtake the walk (more created than visited
// so far) wait in a side list; the store then keeps room for all of them, so that finishing the
// numbering never needs memory and cannot fail.
class new_numbering {
 public:
  // The recorder, when set, learns the new number of every packet.
  explicit new_numbering(PAKETS& store, undo_recorder* recorder = nullptr)
      : store_(store), recorder_(recorder) {}
  new_numbering(const new_numbering&) = delete;
  new_numbering& operator=(const new_numbering&) = delete;

  // Gives p the next new number. Throws std::bad_alloc only when p has to wait in the side list;
  // p is then not taken.
  void append(xpaket* p) {
    const uint32_t number = size();
    // In place only behind the walk, and only while nothing waits, so that the order holds.
    if (written_ < consumed_ && waiting_.empty()) {
      // written_ < consumed_ <= size(). A packet that keeps its number leaves its slot clean.
      xpaket*& slot = store_.slot(written_++);
      if (slot != p) slot = p;
    } else {
      wait(p);
    }
    if (recorder_ != nullptr) recorder_->placed(p, number);
  }
  // Packets numbered so far.
  [[nodiscard]] uint32_t size() const { return written_ + static_cast<uint32_t>(waiting_.size()); }

  // For rebuild_store: the walk has handed out the packet of the next slot.
  void consume() { ++consumed_; }
  // Makes the new numbering the store's: the packets of the slots from `unreached` on, which
  // the walk did not reach, follow it in their old order. Allocates nothing, except when a
  // visit that threw (its packet `in_hand`) had numbered a packet into that packet's own slot
  // after all: `in_hand` then needs a slot of its own, just before the unreached ones.
  void finish(uint32_t unreached, xpaket* in_hand = nullptr);

 private:
  // The side list's half of append.
  void wait(xpaket* p);

  PAKETS& store_;
  undo_recorder* recorder_;
  uint32_t written_ = 0;          // packets numbered in place
  uint32_t consumed_ = 0;         // slots whose packet the walk has handed out
  std::vector<xpaket*> waiting_;  // numbered after the in-place ones, in order
};

// The pass of the operations that delete or create packets: it walks the store in packet-number
// order while run.running is set and renumbers from 0. Packets are moved by pointer, never copied.
//
// visit(p, next) receives the packet p and owns it: it appends p (or whatever replaces it) with
// next.append(...), or destroys it with run.delete_paket(p). It may also append new packets, and
// hold p aside to append or destroy it later (run.discard_paket when it is not counted as deleted).
// A change of p's bytes, length or colour is announced with changing(run, p) first, and may only
// reach p during its visit or while it is held aside.
// After each visit the pass raises run.result.processed and calls run.step_progress().
//
// close(next) runs once after the walk, whether it ran to the end or was cancelled; an operation
// that holds packets of its own (an open group) appends them there.
//
// The packets the walk did not reach (Cancel) follow the new numbering in their old order, so a
// cancelled pass loses nothing. If visit throws, it must have left p alone (neither appended nor
// destroyed): p then counts as not reached and follows whatever was appended, the store is
// renumbered the same way and the exception goes on.
//
// With run.recorder set, the recorder learns what the pass took out, put in and changed.
//
// While the pass runs, the entries between the new numbering and the walk may name packets that
// were destroyed or moved: nothing may read the store (a grid repaint, say) until it returns.
// How many packets ahead the walk asks for a packet's memory.
constexpr uint32_t rebuild_look_ahead = 16;

template <typename Visit, typename Close>
void rebuild_store(PAKETS& store, pass& run, Visit&& visit, Close&& close) {
  undo_recorder* const recorder = run.recorder;
  new_numbering next(store, recorder);
  const auto count = static_cast<uint32_t>(store.size());
  uint32_t at = 0;            // the next slot the walk reaches
  xpaket* in_hand = nullptr;  // the packet of slot `at` while it is visited
  run.running = true;
  try {
    while (at < count && run.running) {
      if (count - at > rebuild_look_ahead) prefetch_paket(store.slot(at + rebuild_look_ahead));
      in_hand = store.slot(at);
      next.consume();
      if (recorder != nullptr) recorder->visit(at, in_hand);
      visit(in_hand, next);
      if (recorder != nullptr) recorder->visited();
      in_hand = nullptr;
      ++at;
      ++run.result.processed;
      run.step_progress();
    }
    close(next);
  } catch (...) {
    if (recorder != nullptr) recorder->visit_failed();
    next.finish(at, in_hand);
    run.running = false;
    throw;
  }
  next.finish(at);
  run.running = false;
}

// A rebuild is about to change p in place: the packet visited, or one held aside since. The
// recorder keeps its state from before.
inline void changing(pass& run, const xpaket& p) {
  if (run.recorder != nullptr) run.recorder->changing(p);
}

template <typename Visit>
void rebuild_store(PAKETS& store, pass& run, Visit&& visit) {
  rebuild_store(store, run, std::forward<Visit>(visit), [](new_numbering&) {});
}

namespace map_detail {

// The walk of map_store from slot `at` on, keeping nothing: `next` has numbered the packets that
// stay among those before.
template <typename Visit>
void walk(PAKETS& store, pass& run, Visit& visit, new_numbering& next, uint32_t& at) {
  const auto count = static_cast<uint32_t>(store.size());
  const auto change = [] {};
  for (; at < count && run.running; ++at) {
    if (count - at > rebuild_look_ahead) prefetch_paket(store.slot(at + rebuild_look_ahead));
    xpaket* const p = store.slot(at);
    next.consume();
    if (visit(*p, change)) {
      next.append(p);
    } else {
      run.delete_paket(p);
    }
    ++run.result.processed;
    run.step_progress();
  }
}

// The same keeping the state from before of every packet that announces a change, and the
// packets dropped. The cursor lives in registers; should the recorder give up, the walk goes on
// without it.
template <typename Visit>
void walk_recording(PAKETS& store, pass& run, Visit& visit, new_numbering& next, uint32_t& at) {
  undo_recorder& recorder = *run.recorder;
  undo_recorder::snapshot_cursor kept = recorder.open_snapshots();
  const auto count = static_cast<uint32_t>(store.size());
  try {
    for (; at < count && run.running && kept.live(); ++at) {
      if (count - at > rebuild_look_ahead) prefetch_paket(store.slot(at + rebuild_look_ahead));
      xpaket* const p = store.slot(at);
      next.consume();
      bool snapped = false;
      [[maybe_unused]] const uint32_t colour = p->colour;
      const auto change = [&] {
        if (snapped || !kept.live()) return;
        snapped = true;
        const uint32_t n = p->byte_length();
        if (!kept.fits(n)) {
          kept = recorder.grow_snapshots(kept, n);
          if (!kept.live()) return;  // p on without its state; the rest without states
        }
        if (!kept.keep(recorder, at, *p, n)) kept = {};
      };
      const bool stays = visit(*p, change);
      assert(p->colour == colour);
      if (stays) {
        next.append(p);
      } else {
        // The record keeps p; it may give up there, taking the cursor's bytes with it.
        recorder.close_snapshots(kept);
        recorder.take_out(at, p);
        ++run.result.deleted;
        kept = recorder.open_snapshots();
      }
      ++run.result.processed;
      run.step_progress();
    }
  } catch (...) {
    recorder.close_snapshots(kept);
    throw;
  }
  recorder.close_snapshots(kept);
}

}  // namespace map_detail

// The pass of the operations that change or drop each packet on its own, without holding any
// aside or making new ones (the demultiplexer). It walks the store in packet-number order while
// run.running is set and renumbers the packets that stay from 0.
//
// visit(p, change) returns whether p stays; a packet dropped is destroyed and counted as deleted.
// Before it first changes p's bytes or length, visit calls change(); it never changes p's colour.
// After each visit the pass raises run.result.processed and calls run.step_progress(). The packets
// the walk did not reach (Cancel) follow the new numbering in their old order. If visit throws,
// p (which may have changed since change()) counts as not reached and the exception goes on.
//
// With run.recorder set, the recorder keeps the state from before of every packet announced, and
// the packets dropped.
template <typename Visit>
void map_store(PAKETS& store, pass& run, Visit&& visit) {
  new_numbering next(store);
  uint32_t at = 0;  // the next slot the walk reaches
  run.running = true;
  try {
    if (run.recorder != nullptr) map_detail::walk_recording(store, run, visit, next, at);
    // Also the rest after the recorder gave up.
    map_detail::walk(store, run, visit, next, at);
  } catch (...) {
    next.finish(at);
    run.running = false;
    throw;
  }
  next.finish(at);
  run.running = false;
}
