#include "core/operations/history/undo_record.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/model/memory_budget.h"
#include "core/operations/history/undo_recorder.h"

namespace {

// How far ahead of the packet it exchanges the loop asks for a packet's memory: the packets are
// far apart on the heap, and each would otherwise stall the loop.
constexpr std::size_t look_ahead = 8;

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

}  // namespace

undo_record::~undo_record() {
  for (const sequence_entry& e : applied_ ? taken_out_ : put_in_) {
    if (e.moved == 0) delete e.paket;
  }
}

bool undo_record::empty() const {
  return colours_.empty() && byte_entries_.empty() && taken_out_.empty() && put_in_.empty();
}

uint64_t undo_record::memory() const {
  return sizeof(undo_record) + colours_.memory() + byte_entries_.memory() + bytes_.memory() +
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
  if (back) {
    for (auto e = colours_.end(); e != colours_.begin();) {
      --e;
      std::swap(store.slot(e->number)->colour, e->colour);
    }
  } else {
    for (colour_entry& e : colours_) std::swap(store.slot(e.number)->colour, e.colour);
  }
}

bool undo_record::exchange_bytes(PAKETS& store) {
  const std::size_t count = byte_entries_.size();
  byte_entry* const entries = byte_entries_.data();
  uint8_t* const kept = bytes_.data();
  // While the lengths agree the bytes change places inside the buffer: nothing to allocate.
  std::size_t offset = 0;
  std::size_t i = 0;
  for (; i < count; ++i) {
    if (i + look_ahead < count) __builtin_prefetch(store.slot(entries[i + look_ahead].number));
    xpaket& p = *store.slot(entries[i].number);
    if (p.bit_length() != entries[i].bits) break;
    exchange(kept + offset, p.writable_bytes(), p.byte_length());
    if (!p.protocols.empty()) p.clear_protocols();
    offset += p.byte_length();
  }
  if (i == count) return true;
  const std::size_t in_place = i;
  const auto swap_back_in_place = [&] {
    std::size_t at = 0;
    for (std::size_t k = 0; k < in_place; ++k) {
      xpaket& p = *store.slot(entries[k].number);
      exchange(kept + at, p.writable_bytes(), p.byte_length());
      at += p.byte_length();
    }
  };
  // From the first packet whose length differs on, the store's state goes into a new buffer. A
  // packet that grows may need a new buffer of its own; one that shrinks keeps its buffer until
  // every packet is done, so that going back never needs memory.
  record_buffer other;
  other.set_limit(bytes_.limit());
  if (!other.reserve(bytes_.size()) || !other.append(kept, offset)) {
    swap_back_in_place();
    return false;
  }
  bool wasteful = false;
  for (; i < count; ++i) {
    if (i + look_ahead < count) __builtin_prefetch(store.slot(entries[i + look_ahead].number));
    xpaket& p = *store.slot(entries[i].number);
    const uint32_t bits = p.bit_length();
    if (!other.append(p.bytes(), p.byte_length())) break;
    if (!p.assign(kept + offset, entries[i].bits)) {
      other.drop_back(p.byte_length());
      break;
    }
    wasteful = wasteful || p.wastes_room();
    if (!p.protocols.empty()) p.clear_protocols();
    offset += bytes_for_bits(entries[i].bits);
    entries[i].bits = bits;
  }
  if (i < count) {
    std::size_t at = other.size();
    for (std::size_t k = i; k-- > in_place;) {
      xpaket& p = *store.slot(entries[k].number);
      at -= bytes_for_bits(entries[k].bits);
      const uint32_t bits = p.bit_length();
      (void)p.assign(other.data() + at, entries[k].bits);  // within the buffer it has
      entries[k].bits = bits;
    }
    swap_back_in_place();
    return false;
  }
  if (wasteful) {
    for (std::size_t k = in_place; k < count; ++k) store.slot(entries[k].number)->trim();
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
