#pragma once

// While a pass frees packet records by the hundred thousand and lets the GUI handle events
// between packets, the C library's fast free lists keep every freed record unmerged, and the
// first free of the GUI's own that reaches the top of the heap sweeps them all at once; the
// allocations after the sweep then come from the swept, cold memory. That made a dialog's pass
// cost a tenth to a half more than the same pass without events. For as long as an object of this
// class lives, the fast lists are off: each free merges with its neighbours at once, while its
// memory is still in the cache. Objects may nest; the last one to go puts back the size the lists
// had when the program started (the user's own, when GLIBC_TUNABLES set one). Where the allocator
// has no such lists, this does nothing.
class heap_merging_scope {
 public:
  heap_merging_scope();
  ~heap_merging_scope();
  heap_merging_scope(const heap_merging_scope&) = delete;
  heap_merging_scope& operator=(const heap_merging_scope&) = delete;
};
