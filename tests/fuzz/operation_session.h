#pragma once

// One run of an operation in the operation targets: the scope and the Cancel point taken off the
// input, the store and its plain copy, and the check of the result against a plain model.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/operations/history/undo_record.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/pass.h"
#include "fuzz/plain_model.h"

// Up to three conditions of any kind: bit or byte, any position up to 255, any operator (those
// beyond the list hold always).
inline CLAUSES take_conditions(fuzz_input& in) {
  CLAUSES list(in.take<uint8_t>() % 4);
  for (xsort_clause& c : list) {
    const auto kind = in.take<uint8_t>();
    c.element = (kind & 1) != 0 ? clause_element::bit : clause_element::byte;
    c.op = static_cast<clause_operator>((kind & 0x80) != 0 ? kind >> 1 : (kind >> 1) & 3);
    c.position = in.take<uint8_t>();
    c.value = in.take<uint8_t>();
    if (c.element == clause_element::bit) c.value &= 1;
  }
  return list;
}

// A count up to 254, or the largest there is.
inline uint32_t take_count(fuzz_input& in) {
  const auto n = in.take<uint8_t>();
  return n == 255 ? UINT32_MAX : n;
}

[[nodiscard]] inline bool in_scope(const plain_packet& p, const scope& s) {
  return (s.all || p.colour == s.colour) &&
         (s.conditions == nullptr || plain_conditions(p, *s.conditions));
}

// One run: the store, its plain copy as it was, and the pass, whose step presses Cancel after
// the `cancel_at`-th packet. Recorded for undo, the run also undoes and redoes its step.
class session {
 public:
  explicit session(fuzz_input& in) : cancel_at_(in.take<uint8_t>()) {
    const auto kind = in.take<uint8_t>();
    s.all = (kind & 3) == 0 || (kind & 3) == 3;
    s.colour = (kind & 3) == 1 ? colour_white : fuzz_palette[(kind >> 2) & 3];
    if ((kind & 0x10) != 0) {
      conditions_ = take_conditions(in);
      s.conditions = &conditions_;
    }
    run.step = [this] {
      if (++steps_ == cancel_at_) run.running = false;
    };
  }
  session(const session&) = delete;
  session& operator=(const session&) = delete;
  ~session() { unload_store(store); }

  // Records the step for undo: `how` 0 not at all, 15 without a limit, otherwise within 16 << how
  // bytes, where the recorder may give up anywhere.
  void record(uint32_t how) { record_ = how % 16; }
  // Takes the rest of the input as the packets.
  void load(fuzz_input& in) {
    take_packets(in, store);
    before = plain_of(store);
    if (record_ != 0) {
      recorder_.emplace(store, record_ == 15 ? UINT64_MAX : uint64_t{16} << record_);
      run.recorder = &*recorder_;
    }
  }
  // The packets a pass that steps after every packet visits.
  [[nodiscard]] uint32_t visited() const {
    const auto n = static_cast<uint32_t>(before.size());
    return cancel_at_ == 0 ? n : std::min<uint32_t>(n, cancel_at_);
  }
  [[nodiscard]] bool cancelled_after(uint32_t steps) const { return steps == cancel_at_; }

  // The store and every counter are what the model says; a record of the step, unless the recorder
  // gave up, takes the store back to the state before and forth again.
  void expect(const plain_store& after, const PLUGIN_RESULT& r) {
    FUZZ_CHECK(!run.running);
    FUZZ_CHECK(plain_of(store) == after);
    FUZZ_CHECK(run.result.modified == r.modified);
    FUZZ_CHECK(run.result.processed == r.processed);
    FUZZ_CHECK(run.result.changed == r.changed);
    FUZZ_CHECK(run.result.deleted == r.deleted);
    FUZZ_CHECK(run.result.joined == r.joined);
    FUZZ_CHECK(run.result.recoloured == r.recoloured);
    if (!recorder_) return;
    run.recorder = nullptr;
    const std::unique_ptr<undo_record> record = recorder_->finish(store);
    FUZZ_CHECK((record == nullptr) == recorder_->gave_up());
    if (record == nullptr) return;
    FUZZ_CHECK(record->revert(store));
    FUZZ_CHECK(plain_of(store) == before);
    FUZZ_CHECK(record->reapply(store));
    FUZZ_CHECK(plain_of(store) == after);
  }

  scope s;
  PAKETS store;
  plain_store before;
  pass run;

 private:
  uint8_t cancel_at_;
  uint32_t steps_ = 0;
  CLAUSES conditions_;
  uint32_t record_ = 0;
  std::optional<undo_recorder> recorder_;
};
