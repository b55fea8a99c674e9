// The undo records of the step kinds: colours, bytes changed in place, packets taken out and put
// in, and the recorder's budget. Every operation's undo is checked once, in the contract suite.
#include "core/operations/history/undo_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/operations/colouring.h"
#include "core/operations/cut.h"
#include "core/operations/demux.h"
#include "core/operations/edit.h"
#include "core/operations/history/store_state.h"
#include "core/operations/history/undo_budget.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/in_place_pass.h"
#include "core/operations/quick_filter.h"
#include "core/operations/rebuild_pass.h"
#include "core/operations/search.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;

// A named step run as a pass, for the tables of cases below.
struct pass_case {
  std::string name;
  std::function<void(PAKETS&, pass&)> step;
};

// `count` packets; packet k holds `length` bytes k, k+1, ...; every third one red.
test_store store_of(uint32_t count, uint32_t length) {
  std::vector<bytes> packets;
  std::vector<uint32_t> colours;
  for (uint32_t k = 0; k < count; ++k) {
    bytes b(length);
    for (uint32_t i = 0; i < length; ++i) b[i] = static_cast<uint8_t>(k + i);
    packets.push_back(b);
    colours.push_back(k % 3 == 0 ? red : colour_white);
  }
  return test_store(packets, colours);
}

// Applies a step with a recorder, then checks undo, redo and undo again against the states seen.
void expect_undo_and_redo(test_store& s, const std::function<void(undo_recorder&)>& step) {
  const auto before = state_of(s.store);
  undo_recorder recorder(s.store, UINT64_MAX);
  step(recorder);
  const auto after = state_of(s.store);
  const std::unique_ptr<undo_record> record = recorder.finish(s.store);
  ASSERT_NE(record, nullptr);
  ASSERT_TRUE(record->revert(s.store));
  EXPECT_EQ(state_of(s.store), before);
  ASSERT_TRUE(record->reapply(s.store));
  EXPECT_EQ(state_of(s.store), after);
}

TEST(UndoRecord, ColouringCommandsAndTheSearchAreUndoneAndRedone) {
  const struct {
    std::string name;
    std::function<void(PAKETS&, undo_recorder&)> step;
  } cases[] = {
      {"mark", [](PAKETS& st, undo_recorder& r) { mark_paket(st, 1, blue, &r); }},
      {"unmark", [](PAKETS& st, undo_recorder& r) { unmark_paket(st, 3, &r); }},
      {"select all", [](PAKETS& st, undo_recorder& r) { select_all(st, blue, &r); }},
      {"unselect all", [](PAKETS& st, undo_recorder& r) { unselect_all(st, &r); }},
      {"unselect red", [](PAKETS& st, undo_recorder& r) { unselect_colour(st, red, &r); }},
      {"invert", [](PAKETS& st, undo_recorder& r) { invert_selection(st, red, &r); }},
      {"search colours its matches",
       [](PAKETS& st, undo_recorder& r) {
         pass run;
         run.recorder = &r;
         (void)search(st, {search_kind::text, "\x05", {0, false}, true, blue}, run);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_store s = store_of(9, 4);
    expect_undo_and_redo(s, [&](undo_recorder& r) { c.step(s.store, r); });
  }
}

TEST(UndoRecord, InPlaceRecordKeepsWhatChangedWhateverTheLengths) {
  // Packets keep, shrink, grow within their buffer and grow out of it (beyond the 16 bytes kept
  // inside the record), or stay as they are; the first ones change at the same length, so that
  // undo starts exchanging bytes inside the record and goes on in a new buffer.
  test_store s = store_of(8, 12);
  const std::vector<int> new_length = {12, 12, -1, 5, 16, 40, -1, 200};
  expect_undo_and_redo(s, [&](undo_recorder& r) {
    pass run;
    run.recorder = &r;
    change_in_place(s.store, scope{}, run, [&, k = 0](xpaket& p) mutable {
      const int length = new_length[static_cast<size_t>(k++)];
      if (length < 0) return 0;
      p.resize(static_cast<uint32_t>(8 * length));
      p.set_byte(0, 0xEE);
      return 1;
    });
  });
  // A walk that counts no change keeps nothing.
  undo_recorder recorder(s.store, UINT64_MAX);
  pass run;
  run.recorder = &recorder;
  change_in_place(s.store, scope{}, run, [](xpaket&) { return 0; });
  EXPECT_TRUE(recorder.finish(s.store)->empty());
}

// A packet whose buffer cannot grow while `fail` is set.
class stingy_paket : public xpaket {
 public:
  using xpaket::xpaket;
  bool fail = false;

 protected:
  uint8_t* new_buffer(uint32_t n) override { return fail ? nullptr : xpaket::new_buffer(n); }
};

TEST(UndoRecord, AChangeThatThrowsAfterAlteringALengthIsUndone) {
  // The 20th packet changed throws after its length changed; the map walk also drops every third
  // packet.
  const pass_case cases[] = {
      {"in place",
       [](PAKETS& st, pass& run) {
         change_in_place(st, scope{}, run, [k = 0](xpaket& p) mutable {
           p.resize(8 * 5);
           if (++k == 20) throw std::bad_alloc();
           return 1;
         });
       }},
      {"map walk",
       [](PAKETS& st, pass& run) {
         map_store(st, run, [k = 0](xpaket& p, const auto& change) mutable {
           if (k++ % 3 == 0) return false;
           change();
           p.resize(8 * 5);
           if (k == 20) throw std::bad_alloc();
           return true;
         });
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_store s = store_of(50, 12);
    const auto before = state_of(s.store);
    undo_recorder recorder(s.store, UINT64_MAX);
    pass run;
    run.recorder = &recorder;
    EXPECT_THROW(c.step(s.store, run), std::bad_alloc);
    EXPECT_EQ(s.store.size() + static_cast<std::size_t>(run.result.deleted), 50u);
    const std::unique_ptr<undo_record> record = recorder.finish(s.store);
    ASSERT_NE(record, nullptr);
    ASSERT_TRUE(record->revert(s.store));
    EXPECT_EQ(state_of(s.store), before);
  }
}

TEST(UndoRecord, AnUndoThatCannotGrowAPacketLeavesTheStoreAsItWas) {
  // Both packets were cut from 100 bytes to 10, into new buffers; undo grows packet 0, then finds
  // no buffer for packet 1 and takes packet 0 back.
  const bytes hundred(100, 0x5A);
  test_store s;
  s.store.append(new xpaket(hundred.data(), 100));
  auto* stingy = new stingy_paket(hundred.data(), 100);
  s.store.append(stingy);
  undo_recorder recorder(s.store, UINT64_MAX);
  pass run;
  run.recorder = &recorder;
  ASSERT_TRUE(cut(s.store, scope{}, {false, 0, 90}, run));
  const std::unique_ptr<undo_record> record = recorder.finish(s.store);
  const auto after = state_of(s.store);
  stingy->fail = true;
  EXPECT_FALSE(record->revert(s.store));
  EXPECT_EQ(state_of(s.store), after);
  EXPECT_TRUE(record->applied());
  stingy->fail = false;
  EXPECT_TRUE(record->revert(s.store));
  EXPECT_EQ(s.store.at(1)->byte_length(), 100u);
}

TEST(UndoRecord, AMergeIsTakenOutAndPutBackWithTheLinkTypes) {
  test_store s = store_of(3, 4);
  s.store.add_link_type(104);
  const auto before = state_of(s.store);
  const bytes merged = {1, 2, 3};
  s.store.append(new xpaket(merged.data(), 3));
  s.store.append(new xpaket(merged.data(), 2));
  s.store.add_link_type(1);
  const auto after = state_of(s.store);
  const std::unique_ptr<undo_record> record = undo_record::appended(s.store, 3, {104});
  EXPECT_FALSE(record->reapply(s.store)) << "a record in force is not applied twice";
  ASSERT_TRUE(record->revert(s.store));
  EXPECT_EQ(state_of(s.store), before);
  EXPECT_EQ(s.store.link_types(), std::vector<uint32_t>{104});
  EXPECT_FALSE(record->revert(s.store));
  ASSERT_TRUE(record->reapply(s.store));
  EXPECT_EQ(state_of(s.store), after);
  EXPECT_EQ(s.store.link_types(), (std::vector<uint32_t>{1, 104}));
  // Undone, the record owns the merged packets and destroys them with itself.
  ASSERT_TRUE(record->revert(s.store));
}

TEST(UndoRecord, ARecorderPastItsLimitGivesUpAndThePassGoesOn) {
  const pass_case cases[] = {
      {"quick filter",
       [](PAKETS& st, pass& run) {
         quick_filter(st, {filter_criterion::colour, true, 0, 0}, run);
       }},
      {"cut",
       [](PAKETS& st, pass& run) {
         cut(st, scope{}, {false, 1, 0}, run);
       }},
      {"select all", [](PAKETS& st, pass& run) { select_all(st, blue, run.recorder); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_store plain = store_of(3000, 12);
    pass unrecorded;
    c.step(plain.store, unrecorded);
    test_store s = store_of(3000, 12);
    undo_recorder recorder(s.store, 4096);
    pass run;
    run.recorder = &recorder;
    c.step(s.store, run);
    EXPECT_TRUE(recorder.gave_up());
    EXPECT_EQ(recorder.finish(s.store), nullptr);
    EXPECT_EQ(state_of(s.store), state_of(plain.store));
  }
}

TEST(UndoRecord, WhereverTheRecorderGivesUpThePassEndsAsWithoutIt) {
  // Packets of 0 to 23 bytes, some inside their records and some not, every third red. The limits
  // step through the points where the states, the runs of numbers, the old colours or the packets
  // taken out need room: the store ends the same whatever the limit, and a record that fits undoes
  // the step.
  const auto varied = [] {
    std::vector<bytes> packets;
    std::vector<uint32_t> colours;
    for (uint32_t k = 0; k < 400; ++k) {
      bytes b(k % 24);
      for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(k * 7 + i * 13 + 1);
      packets.push_back(b);
      colours.push_back(k % 3 == 0 ? red : colour_white);
    }
    return test_store(packets, colours);
  };
  const pass_case cases[] = {
      {"cut every packet",
       [](PAKETS& st, pass& run) {
         cut(st, scope{}, {false, 1, 1}, run);
       }},
      {"edit the red ones, some too short",
       [](PAKETS& st, pass& run) {
         edit(st, scope{false, red}, {false, 5, 0xEE}, run);
       }},
      {"demultiplex the red ones, the short ones deleted",
       [](PAKETS& st, pass& run) {
         demux(st, scope{false, red}, {true, 2, 9}, run);
       }},
      {"invert the selection",
       [](PAKETS& st, pass& run) { invert_selection(st, blue, run.recorder); }},
  };
  for (const auto& c : cases) {
    test_store plain = varied();
    pass unrecorded;
    c.step(plain.store, unrecorded);
    for (uint64_t limit = 256; limit <= 16384; limit += 128) {
      SCOPED_TRACE(c.name + ", limit " + std::to_string(limit));
      test_store s = varied();
      const auto before = state_of(s.store);
      undo_recorder recorder(s.store, limit);
      pass run;
      run.recorder = &recorder;
      c.step(s.store, run);
      ASSERT_EQ(state_of(s.store), state_of(plain.store));
      const std::unique_ptr<undo_record> record = recorder.finish(s.store);
      if (record == nullptr) continue;
      ASSERT_TRUE(record->revert(s.store));
      ASSERT_EQ(state_of(s.store), before);
    }
  }
}

TEST(UndoRecord, AStepOverEveryPacketKeepsItsBytesAndEightBytesAPacket) {
  // Enough packets for the record's buffers to be pages of their own.
  constexpr uint32_t count = 24000;
  const pass_case cases[] = {
      {"swap in place",
       [](PAKETS& st, pass& run) {
         change_in_place(st, scope{}, run, [](xpaket& p) {
           p.invert();
           return 1;
         });
       }},
      {"demultiplexer, which rebuilds",
       [](PAKETS& st, pass& run) {
         demux(st, scope{}, {true, 1, 4}, run);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_store s = store_of(count, 12);
    const auto before = state_of(s.store);
    undo_recorder recorder(s.store, UINT64_MAX);
    pass run;
    run.recorder = &recorder;
    c.step(s.store, run);
    const std::unique_ptr<undo_record> record = recorder.finish(s.store);
    ASSERT_NE(record, nullptr);
    EXPECT_LE(record->memory(), uint64_t{count} * (12 * 12 / 10 + 8));
    // Every packet follows the one before: the record is the states (a length of 4 bytes and the
    // bytes), give or take a page.
    EXPECT_LE(record->memory(), uint64_t{count} * (4 + 12) + 2 * 4096);
    const auto after = state_of(s.store);
    ASSERT_TRUE(record->revert(s.store));
    EXPECT_EQ(state_of(s.store), before);
    EXPECT_LE(record->memory(), uint64_t{count} * (12 * 12 / 10 + 8));
    ASSERT_TRUE(record->reapply(s.store));
    EXPECT_EQ(state_of(s.store), after);
  }
}

TEST(UndoBudget, TheOldestStepsGoUntilTheRestFits) {
  const struct {
    std::vector<uint64_t> sizes;
    uint64_t budget;
    size_t dropped;
  } cases[] = {
      {{}, 10, 0},       {{4, 4, 2}, 10, 0},  {{4, 4, 3}, 10, 1},
      {{9, 1, 1}, 2, 1}, {{5, 5, 20}, 10, 2},  // the newest alone is over: it stays
  };
  for (const auto& c : cases) EXPECT_EQ(steps_over_budget(c.sizes, c.budget), c.dropped);
}

}  // namespace
