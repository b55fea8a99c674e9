#include "core/operations/history/undo_recorder.h"

#include <algorithm>
#include <new>

#include "core/model/memory_budget.h"

namespace {

// The entry flags of a packet taken out: 0 kept by the record, 1 put back elsewhere, 2 held aside
// by the pass (neither yet).
constexpr uint32_t put_back = 1;
constexpr uint32_t held_aside = 2;

}  // namespace

undo_recorder::undo_recorder(const PAKETS& store, uint64_t limit)
    : record_(new (std::nothrow) undo_record), limit_(limit) {
  if (record_ == nullptr) {
    gave_up_ = true;
    return;
  }
  record_->size_before_ = store.size();
  const auto widest = static_cast<std::size_t>(std::min<uint64_t>(limit, SIZE_MAX));
  record_->colours_.set_limit(widest);
  record_->runs_.set_limit(widest);
  record_->bytes_.set_limit(widest);
  record_->taken_out_.set_limit(widest);
  record_->put_in_.set_limit(widest);
}

undo_recorder::~undo_recorder() = default;

std::unique_ptr<undo_record> undo_recorder::finish(const PAKETS& store) {
  if (record_ == nullptr) return nullptr;
  sync_snapshots();
  undo_record& r = *record_;
  r.states_ = states_before(snapshots_.next_number);
  // A run that no state followed.
  if (!r.runs_.empty() && r.runs_.back().state == r.states_) r.runs_.pop_back();
  r.size_after_ = store.size();
  r.rebuilt_ = !r.taken_out_.empty() || !r.put_in_.empty();
  r.colours_.shrink_to_fit();
  r.runs_.shrink_to_fit();
  r.bytes_.shrink_to_fit();
  r.taken_out_.shrink_to_fit();
  r.put_in_.shrink_to_fit();
  r.count_owned();
  if (r.memory() > limit_) {
    give_up();
    return nullptr;
  }
  return std::move(record_);
}

void undo_recorder::drop(xpaket* p) {
  if (record_ == nullptr) {
    delete p;
    return;
  }
  if (p == in_hand_) {
    if ((in_hand_flags_ & in_hand_snapped) != 0) {
      colour_changed(in_hand_number_, *p, in_hand_colour_);
    }
    in_hand_flags_ |= in_hand_dropped;
    take_out(in_hand_number_, p);
    return;
  }
  undo_record& r = *record_;
  const auto at = find_held(p);
  if (at == held_.end()) {
    delete p;  // made by the pass and never numbered
    return;
  }
  const std::size_t entry = at->entry;
  const bool snapped = at->snapped;
  const uint32_t colour = at->colour;
  held_.erase(at);
  if (snapped) colour_changed(r.taken_out_[entry].number, *p, colour);
  if (record_ == nullptr) {
    delete p;  // gave up: what was held aside is the pass's to destroy
    return;
  }
  record_->taken_out_[entry].moved = 0;
  owned_ += packet_memory(p->byte_length());
  if (over_limit()) give_up();
}

void undo_recorder::take_out(uint32_t number, xpaket* p) {
  if (record_ == nullptr || (!record_->taken_out_.has_room() && !grow_array(record_->taken_out_))) {
    delete p;
    return;
  }
  (void)record_->taken_out_.push_back({number, 0, p});
  owned_ += packet_memory(p->byte_length());
  if (over_limit()) give_up();  // destroys p with the rest
}

void undo_recorder::changing_held(const xpaket& p) {
  const auto at = find_held(&p);
  // A packet the pass made has no state before the step.
  if (at == held_.end() || at->snapped) return;
  at->snapped = snapshot(record_->taken_out_[at->entry].number, p);
  at->colour = p.colour;
}

undo_recorder::snapshot_cursor undo_recorder::open_snapshots() {
  // A live cursor has bytes from the start.
  if (record_ == nullptr || (!snapshots_.live() && !grow_snapshot(1))) return {};
  return snapshots_;
}

undo_recorder::snapshot_cursor undo_recorder::grow_snapshots(snapshot_cursor cursor, uint32_t n) {
  close_snapshots(cursor);
  if (record_ == nullptr || !grow_snapshot(n)) return {};
  return snapshots_;
}

void undo_recorder::close_snapshots(snapshot_cursor cursor) {
  if (record_ != nullptr && cursor.live()) snapshots_ = cursor;
}

undo_recorder::colour_cursor undo_recorder::open_colours() {
  if (record_ == nullptr) return {};
  record_array<undo_record::colour_entry>& colours = record_->colours_;
  return {colours.end(), colours.begin() + colours.capacity()};
}

undo_recorder::colour_cursor undo_recorder::grow_colours(colour_cursor cursor) {
  close_colours(cursor);
  if (record_ == nullptr || !grow_array(record_->colours_)) return {};
  return open_colours();
}

void undo_recorder::close_colours(colour_cursor cursor) {
  if (record_ == nullptr || cursor.next == nullptr) return;
  record_array<undo_record::colour_entry>& colours = record_->colours_;
  colours.resize(static_cast<std::size_t>(cursor.next - colours.begin()));
}

uint32_t undo_recorder::states_before(uint32_t next_number) const {
  const record_array<undo_record::number_run>& runs = record_->runs_;
  // Before the first run, state i is that of packet i.
  if (runs.empty()) return next_number;
  const undo_record::number_run& last = runs[runs.size() - 1];
  return last.state + (next_number - last.number);
}

bool undo_recorder::start_run(uint32_t next_number, uint32_t number) {
  const uint32_t state = states_before(next_number);
  record_array<undo_record::number_run>& runs = record_->runs_;
  // A run no state followed gives way.
  if (!runs.empty() && runs.back().state == state) {
    runs.back().number = number;
    return true;
  }
  if (!runs.has_room() && !grow_array(runs)) return false;
  (void)runs.push_back({state, number});
  return true;
}

void undo_recorder::sync_snapshots() {
  if (!snapshots_.live()) return;
  undo_record& r = *record_;
  r.bytes_.resize(static_cast<std::size_t>(snapshots_.bytes - r.bytes_.data()));
}

void undo_recorder::reload_snapshots() {
  undo_record& r = *record_;
  snapshots_.bytes = r.bytes_.data() + r.bytes_.size();
  snapshots_.bytes_end = r.bytes_.data() + std::max(r.bytes_.capacity(), slack) - slack;
}

bool undo_recorder::grow_snapshot(std::size_t bytes) {
  if (record_ == nullptr) return false;
  sync_snapshots();
  undo_record& r = *record_;
  const bool grown = r.bytes_.room() >= state_header + bytes + slack ||
                     r.bytes_.reserve(r.bytes_.size() + state_header + bytes + slack);
  // The buffer may have moved: the cursor follows it before anything reads it.
  reload_snapshots();
  if (!grown || over_limit()) {
    give_up();
    return false;
  }
  return true;
}

template <typename T>
bool undo_recorder::grow_array(record_array<T>& array) {
  if (!array.reserve(array.size() + 1) || over_limit()) {
    give_up();
    return false;
  }
  return true;
}

// The inline paths of the header grow these.
template bool undo_recorder::grow_array(record_array<undo_record::colour_entry>&);
template bool undo_recorder::grow_array(record_array<undo_record::number_run>&);
template bool undo_recorder::grow_array(record_array<undo_record::sequence_entry>&);

void undo_recorder::hold() {
  undo_record& r = *record_;
  const std::size_t entry = r.taken_out_.size();
  if (!r.taken_out_.has_room() && !grow_array(r.taken_out_)) return;
  (void)r.taken_out_.push_back({in_hand_number_, held_aside, in_hand_});
  try {
    held_.push_back({in_hand_, entry, (in_hand_flags_ & in_hand_snapped) != 0, in_hand_colour_});
  } catch (const std::bad_alloc&) {
    give_up();
  }
}

void undo_recorder::put_in(xpaket* p, uint32_t number) {
  undo_record& r = *record_;
  const auto at = find_held(p);
  uint32_t moved = 0;
  if (at != held_.end()) {
    // A packet held aside comes back elsewhere: it is in the store before and after the step.
    const std::size_t entry = at->entry;
    const bool snapped = at->snapped;
    const uint32_t colour = at->colour;
    held_.erase(at);
    if (snapped) colour_changed(r.taken_out_[entry].number, *p, colour);
    if (record_ == nullptr) return;
    r.taken_out_[entry].moved = put_back;
    moved = put_back;
  }
  if (!r.put_in_.has_room() && !grow_array(r.put_in_)) return;
  (void)r.put_in_.push_back({number, moved, p});
}

void undo_recorder::colour_changed(uint32_t number, const xpaket& p, uint32_t colour) {
  if (p.colour != colour) recolour(number, colour);
}

std::vector<undo_recorder::held>::iterator undo_recorder::find_held(const xpaket* p) {
  // A pass holds few packets aside at a time (the defragmenter one): the newest first.
  for (auto at = held_.end(); at != held_.begin();) {
    --at;
    if (at->paket == p) return at;
  }
  return held_.end();
}

void undo_recorder::give_up() {
  // The record destroys the packets taken out and kept; those held aside are still the pass's.
  record_.reset();
  snapshots_ = {};
  held_.clear();
  gave_up_ = true;
}

bool undo_recorder::over_limit() {
  // The states kept so far count: the record learns its sizes from the cursor first.
  if (snapshots_.live()) {
    sync_snapshots();
    reload_snapshots();
  }
  const undo_record& r = *record_;
  return r.colours_.memory() + r.runs_.memory() + r.bytes_.memory() + r.taken_out_.memory() +
             r.put_in_.memory() + owned_ >
         limit_;
}
