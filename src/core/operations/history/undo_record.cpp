#include "core/operations/history/undo_record.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "core/model/memory_budget.h"
#include "core/operations/history/undo_recorder.h"

namespace {

// How far ahead of the packet it exchanges the loop asks for a packet's memory: the packets are
// far apart on the heap, and each would otherwise stall the loop.
constexpr std::size_t look_ahead = 32;

std::size_t bytes_for_bits(uint32_t bits) {
  return (std::size_t{bits} + 7) / 8;
}

// Exchanges n bytes between a and b (which do not overlap); runs of up to 16 without a loop.
void exchange(uint8_t* a, uint8_t* b, std::size_t n) {
  if (n <= 16) {
    uint8_t held[16];
    copy_bytes(held, a, n);
    copy_bytes(a, b, n);
    copy_bytes(b, held, n);
  } else {
    std::swap_ranges(a, a + n, b);
  }
}

// Small packets go over in pieces of this size.
constexpr std::size_t chunk_bytes = xpaket::inline_bytes;

// Exchanges the n bytes at `kept` with p's. When 16 bytes may be read at `kept` (`roomy`) and
// p's bytes lie inside its record, p's side goes over in one piece. The buffer's side takes
// exactly n bytes: the next state's bytes, read next, must not wait for this write.
inline __attribute__((always_inline)) void exchange(uint8_t* kept, xpaket& p, std::size_t n,
                                                    bool roomy) {
  uint8_t* const theirs = p.writable_bytes();
  if (roomy && n <= chunk_bytes && p.bytes_inside()) {
    // Straight from memory to memory: a copy through the stack would wait for its own writes.
    uint8_t ours_now[chunk_bytes];
    std::memcpy(ours_now, kept, chunk_bytes);
    copy_bytes(kept, theirs, n);
    std::memcpy(theirs, ours_now, chunk_bytes);
  } else {
    exchange(kept, theirs, n);
  }
}

// Calls visit(i, p) for the states i in [from, to) in order, p being the packet of state i in
// `store`, until visit returns false; returns the state it stopped at (`to` when none). The
// packets of a run of numbers are consecutive slots, asked for a few ahead of the visit.
template <typename Visit>
uint32_t visit_states(PAKETS& store, const record_array<undo_record::number_run>& runs,
                      uint32_t from, uint32_t to, Visit visit) {
  // Before the first run, state i is packet i.
  undo_record::number_run run{0, 0};
  const undo_record::number_run* next = runs.begin();
  while (next != runs.end() && next->state <= from) run = *next++;
  const std::size_t size = store.size();
  uint32_t i = from;
  while (i < to) {
    const uint32_t run_end = next != runs.end() && next->state < to ? next->state : to;
    uint32_t number = run.number + (i - run.state);
    xpaket** slot = &store.slot(number);
    for (; i < run_end; ++i, ++number, ++slot) {
      if (number + look_ahead < size) prefetch_paket(slot[look_ahead]);
      if (!visit(i, **slot)) return i;
    }
    if (next != runs.end()) run = *next++;
  }
  return to;
}

// The bit length a state starts with.
uint32_t bits_of_state(const uint8_t* state) {
  uint32_t bits = 0;
  std::memcpy(&bits, state, undo_record::state_header);
  return bits;
}

}  // namespace

undo_record::~undo_record() {
  for (const sequence_entry& e : applied_ ? taken_out_ : put_in_) {
    if (e.moved == 0) delete e.paket;
  }
}

bool undo_record::empty() const {
  return colours_.empty() && states_ == 0 && taken_out_.empty() && put_in_.empty();
}

uint64_t undo_record::memory() const {
  return sizeof(undo_record) + colours_.memory() + runs_.memory() + bytes_.memory() +
         taken_out_.memory() + put_in_.memory() + (applied_ ? owned_applied_ : owned_reverted_);
}

bool undo_record::revert(PAKETS& store) {
  if (!applied_ || store.size() != size_after_) return false;
  if (rebuilt_) {
    PAKETS before;
    if (!renumber(store, true, before) || !exchange_bytes(before)) return false;
    exchange_colours(before, true);
    store.swap_entries(before);
  } else {
    if (!exchange_bytes(store)) return false;
    exchange_colours(store, true);
  }
  if (link_types_) store.swap_link_types(*link_types_);
  applied_ = false;
  return true;
}

bool undo_record::reapply(PAKETS& store) {
  if (applied_ || store.size() != size_before_) return false;
  PAKETS after;
  if (rebuilt_ && !renumber(store, false, after)) return false;
  if (!exchange_bytes(store)) return false;
  exchange_colours(store, false);
  if (rebuilt_) store.swap_entries(after);
  if (link_types_) store.swap_link_types(*link_types_);
  applied_ = true;
  return true;
}

void undo_record::exchange_colours(PAKETS& store, bool back) {
  // Newest first going back, oldest first going forth: a packet recoloured twice comes out right.
  // The packets of the entries a few ahead are asked for before they are reached.
  colour_entry* const first = colours_.begin();
  colour_entry* const last = colours_.end();
  constexpr auto ahead = static_cast<std::ptrdiff_t>(look_ahead);
  if (back) {
    for (colour_entry* e = last; e != first;) {
      --e;
      if (e - first >= ahead) prefetch_paket(store.slot(e[-ahead].number));
      std::swap(store.slot(e->number)->colour, e->colour);
    }
  } else {
    for (colour_entry* e = first; e != last; ++e) {
      if (last - e > ahead) prefetch_paket(store.slot(e[ahead].number));
      std::swap(store.slot(e->number)->colour, e->colour);
    }
  }
}

bool undo_record::exchange_bytes(PAKETS& store) {
  const uint32_t count = states_;
  uint8_t* const kept = bytes_.data();
  // The offsets below this one have 16 bytes of the buffer from them on.
  const std::size_t roomy_below =
      bytes_.capacity() >= chunk_bytes ? bytes_.capacity() - chunk_bytes + 1 : 0;
  // While the lengths agree the bytes change places inside the buffer: nothing to allocate.
  std::size_t offset = 0;  // of the next state
  uint32_t i = visit_states(store, runs_, 0, count, [&](uint32_t, xpaket& p) {
    if (bits_of_state(kept + offset) != p.bit_length()) return false;
    ask_to_write(kept, offset + undo_recorder::write_ahead);
    const std::size_t at = offset + state_header;
    exchange(kept + at, p, p.byte_length(), at < roomy_below);
    if (!p.protocols.empty()) p.clear_protocols();
    offset = at + p.byte_length();
    return true;
  });
  if (i == count) return true;
  const uint32_t in_place = i;
  const std::size_t in_place_bytes = offset;
  const auto swap_back_in_place = [&] {
    std::size_t at = state_header;
    visit_states(store, runs_, 0, in_place, [&](uint32_t, xpaket& p) {
      exchange(kept + at, p, p.byte_length(), at < roomy_below);
      at += p.byte_length() + state_header;
      return true;
    });
  };
  // From the first packet whose length differs on, the store's states go into a new buffer. A
  // packet that grows may need a new buffer of its own; one that shrinks keeps its buffer until
  // every packet is done, so that going back never needs memory.
  record_buffer other;
  other.set_limit(bytes_.limit());
  if (!other.reserve(bytes_.size() + chunk_bytes) || !other.append(kept, offset)) {
    swap_back_in_place();
    return false;
  }
  bool wasteful = false;
  i = visit_states(store, runs_, i, count, [&](uint32_t, xpaket& p) {
    const uint32_t bits = p.bit_length();
    const uint32_t n = p.byte_length();
    const uint32_t kept_bits = bits_of_state(kept + offset);
    const std::size_t from = offset + state_header;
    // Room for p's state and a piece of chunk_bytes at its bytes.
    const std::size_t need = state_header + n + chunk_bytes;
    if (other.room() < need && !other.reserve(other.size() + need)) return false;
    uint8_t* const to = other.data() + other.size();
    std::memcpy(to, &bits, state_header);
    if (p.bytes_inside() && kept_bits > 0 && kept_bits <= 8 * chunk_bytes && from < roomy_below) {
      // A small packet that stays small: each side goes over in one piece.
      std::memcpy(to + state_header, p.bytes(), chunk_bytes);
      p.take_inside(kept + from, kept_bits);
    } else {
      copy_bytes(to + state_header, p.bytes(), n);
      if (!p.assign(kept + from, kept_bits)) return false;
      wasteful = wasteful || p.wastes_room();
    }
    other.resize(other.size() + state_header + n);
    if (!p.protocols.empty()) p.clear_protocols();
    offset = from + bytes_for_bits(kept_bits);
    return true;
  });
  if (i < count) {
    // Every packet changed so far takes back the state it gave the new buffer.
    std::size_t at = in_place_bytes;
    visit_states(store, runs_, in_place, i, [&](uint32_t, xpaket& p) {
      const uint32_t previous = bits_of_state(other.data() + at);
      (void)p.assign(other.data() + at + state_header, previous);  // within the buffer it has
      at += state_header + bytes_for_bits(previous);
      return true;
    });
    swap_back_in_place();
    return false;
  }
  if (wasteful) {
    visit_states(store, runs_, in_place, count, [](uint32_t, xpaket& p) {
      p.trim();
      return true;
    });
  }
  other.shrink_to_fit();
  bytes_ = std::move(other);
  return true;
}

bool undo_record::renumber(const PAKETS& store, bool to_before, PAKETS& result) const {
  const record_array<sequence_entry>& out = to_before ? put_in_ : taken_out_;
  const record_array<sequence_entry>& in = to_before ? taken_out_ : put_in_;
  const uint64_t size = to_before ? size_before_ : size_after_;
  try {
    result.reserve(size);
    const sequence_entry* drop = out.begin();
    const sequence_entry* add = in.begin();
    for (const auto& [number, p] : store) {
      if (drop != out.end() && drop->number == number) {
        ++drop;
        continue;
      }
      for (; add != in.end() && add->number == result.size(); ++add) result.append(add->paket);
      result.append(p);
    }
    for (; add != in.end(); ++add) result.append(add->paket);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return result.size() == size;
}

void undo_record::count_owned() {
  owned_applied_ = 0;
  owned_reverted_ = 0;
  for (const sequence_entry& e : taken_out_) {
    if (e.moved == 0) owned_applied_ += packet_memory(e.paket->byte_length());
  }
  for (const sequence_entry& e : put_in_) {
    if (e.moved == 0) owned_reverted_ += packet_memory(e.paket->byte_length());
  }
}

std::unique_ptr<undo_record> undo_record::appended(const PAKETS& store, std::size_t first,
                                                   std::vector<uint32_t> link_types) {
  auto record = std::unique_ptr<undo_record>(new (std::nothrow) undo_record);
  if (!record) return nullptr;
  if (link_types != store.link_types()) record->link_types_ = std::move(link_types);
  record->rebuilt_ = true;
  record->size_before_ = first;
  record->size_after_ = store.size();
  if (!record->put_in_.reserve(store.size() - first)) return nullptr;
  for (auto at = store.begin() + static_cast<std::ptrdiff_t>(first); at != store.end(); ++at) {
    (void)record->put_in_.push_back({at->first, 0, at->second});
  }
  record->count_owned();
  return record;
}
