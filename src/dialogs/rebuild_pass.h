#pragma once

#include <utility>

#include "dialogs/pass.h"
#include "model/pakets.h"

// The pass of the operations that delete or create packets: it walks the store in packet-number
// order while run.running is set and builds the new numbering in a second store, which the store
// takes at the end. Packets are moved by pointer, never copied.
//
// visit(p, next) receives the packet p and owns it: it appends p (or whatever replaces it) to
// `next` with next.append(...), or destroys it with run.delete_paket(p). It may also append new
// packets. After each visit the pass raises run.result.processed and calls run.step_progress().
//
// close(next) runs once after the walk, whether it ran to the end or was cancelled; an operation
// that holds packets of its own (an open group) appends them there.
//
// The packets the walk did not reach (Cancel) follow the new numbering in their old order, so a
// cancelled pass loses nothing. If visit throws, it must have left p as it was (neither appended
// nor destroyed): p then counts as not reached, the store is rebuilt the same way and the
// exception goes on.
template <typename Visit, typename Close>
void rebuild_store(PAKETS& store, pass& run, Visit&& visit, Close&& close) {
  PAKETS next;
  auto at = store.begin();
  run.running = true;
  try {
    while (at != store.end() && run.running) {
      visit(at->second, next);
      ++at;
      ++run.result.processed;
      run.step_progress();
    }
    close(next);
  } catch (...) {
    for (; at != store.end(); ++at) next.append(at->second);
    store = next;
    run.running = false;
    throw;
  }
  for (; at != store.end(); ++at) next.append(at->second);
  store = next;
  run.running = false;
}

template <typename Visit>
void rebuild_store(PAKETS& store, pass& run, Visit&& visit) {
  rebuild_store(store, run, std::forward<Visit>(visit), [](PAKETS&) {});
}
