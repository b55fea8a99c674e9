// The contract of every operation's logic half, run against each of them:
// - every packet visited counts as processed, and a full pass visits them all;
// - the running flag ends clear, and the numbers stay 0..n-1;
// - Cancel keeps every packet not visited, unchanged and in its order, behind the visited ones;
// - packets outside the scope come out untouched;
// - nothing leaks (the sanitizer build checks the packets a pass destroys or creates);
// - with an undo recorder, undo gives back the store as it was and redo the store the pass left,
//   after a full pass and after Cancel alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "core/operations/cut.h"
#include "core/operations/history/store_state.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/operation_contract.h"
#include "core/operations/quick_filter.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;

// Packets of lengths 0..23 with varied bytes; every third one red, every fifth blue.
test_store varied_store(size_t count) {
  std::vector<bytes> packets;
  std::vector<uint32_t> colours;
  for (size_t k = 0; k < count; ++k) {
    bytes b(k % 24);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(k * 7 + i * 13 + 1);
    packets.push_back(b);
    colours.push_back(k % 3 == 0 ? red : k % 5 == 0 ? blue : colour_white);
  }
  return test_store(packets, colours);
}

struct snapshot {
  bytes content;
  uint32_t colour;
  bool operator==(const snapshot&) const = default;
};

std::map<const xpaket*, snapshot> snapshots(const PAKETS& store) {
  std::map<const xpaket*, snapshot> all;
  for (const auto& [number, p] : store) {
    all[p] = {bytes(p->bytes(), p->bytes() + p->byte_length()), p->colour};
  }
  return all;
}

TEST_P(OperationContract, AFullPassVisitsEveryPacketAndEndsClear) {
  test_store s = varied_store(60);
  pass run;
  GetParam().run(s.store, scope{}, run);
  EXPECT_EQ(run.result.processed, 60);
  EXPECT_FALSE(run.running);
  EXPECT_TRUE(s.numbered_from_zero());
}

TEST_P(OperationContract, CancelKeepsTheUnvisitedPacketsInOrder) {
  for (const int32_t stop_after : {1, 17, 59}) {
    test_store s = varied_store(60);
    const std::vector<const xpaket*> before = s.pointers();
    const auto was = snapshots(s.store);
    pass run;
    int32_t steps = 0;
    run.step = [&] {
      if (++steps == stop_after) run.running = false;
    };
    GetParam().run(s.store, scope{}, run);
    const int32_t visited = stop_after;
    EXPECT_EQ(run.result.processed, visited) << stop_after;
    EXPECT_FALSE(run.running);
    EXPECT_TRUE(s.numbered_from_zero());
    // The unvisited packets close the store, in their order, untouched.
    const std::vector<const xpaket*> after = s.pointers();
    const size_t rest = before.size() - static_cast<size_t>(visited);
    ASSERT_GE(after.size(), rest) << stop_after;
    const auto now = snapshots(s.store);
    for (size_t i = 0; i < rest; ++i) {
      const xpaket* p = before[static_cast<size_t>(visited) + i];
      ASSERT_EQ(after[after.size() - rest + i], p) << stop_after << " at " << i;
      EXPECT_EQ(now.at(p), was.at(p)) << stop_after << " at " << i;
    }
  }
}

TEST_P(OperationContract, PacketsOutsideTheScopeStayUntouched) {
  if (!GetParam().scoped) GTEST_SKIP() << "the operation takes no scope";
  for (const scope& sc : {scope{false, red}, scope{false, colour_white}}) {
    test_store s = varied_store(60);
    const auto was = snapshots(s.store);
    std::vector<const xpaket*> outside;
    for (const auto& [number, p] : s.store) {
      if (!sc.contains(*p)) outside.push_back(p);
    }
    pass run;
    GetParam().run(s.store, sc, run);
    EXPECT_EQ(run.result.processed, 60);
    // Still there, in their order, with their bytes and colours.
    std::vector<const xpaket*> kept;
    for (const xpaket* p : s.pointers()) {
      if (std::find(outside.begin(), outside.end(), p) != outside.end()) kept.push_back(p);
    }
    EXPECT_EQ(kept, outside);
    const auto now = snapshots(s.store);
    for (const xpaket* p : outside) EXPECT_EQ(now.at(p), was.at(p));
  }
}

TEST_P(OperationContract, UndoGivesBackTheStoreAndRedoTheResult) {
  // A full pass on every packet, and passes cancelled early and late on one colour's packets; the
  // last one's record is destroyed undone, the others' redone.
  struct variant {
    int32_t stop_after;  // 0: no Cancel
    scope sc;
  };
  for (const variant& v : {variant{0, scope{}}, variant{3, scope{false, red}},
                           variant{41, scope{false, colour_white}}}) {
    test_store s = varied_store(60);
    s[5].resize(13);  // a length of bits that are not whole bytes
    s.store.add_link_type(104);
    const auto before = state_of(s.store);
    undo_recorder recorder(s.store, UINT64_MAX);
    pass run;
    run.recorder = &recorder;
    int32_t steps = 0;
    run.step = [&] {
      if (++steps == v.stop_after) run.running = false;
    };
    GetParam().run(s.store, v.sc, run);
    const auto after = state_of(s.store);
    const std::unique_ptr<undo_record> record = recorder.finish(s.store);
    ASSERT_NE(record, nullptr);
    ASSERT_TRUE(record->revert(s.store));
    EXPECT_EQ(state_of(s.store), before) << v.stop_after;
    EXPECT_EQ(s.store.link_types(), std::vector<uint32_t>{104});
    ASSERT_TRUE(record->reapply(s.store));
    EXPECT_EQ(state_of(s.store), after) << v.stop_after;
    if (v.stop_after == 41) {
      ASSERT_TRUE(record->revert(s.store));
    }
  }
}

// The operations. Each joins with one line.
INSTANTIATE_TEST_SUITE_P(
    Cut, OperationContract,
    ::testing::Values(operation_case{"bytes",
                                     [](PAKETS& st, const scope& sc, pass& run) {
                                       cut(st, sc, {false, 1, 1}, run);
                                     }},
                      operation_case{"bits",
                                     [](PAKETS& st, const scope& sc, pass& run) {
                                       cut(st, sc, {true, 3, 0}, run);
                                     }}),
    case_name);

INSTANTIATE_TEST_SUITE_P(QuickFilter, OperationContract,
                         ::testing::Values(operation_case{
                             "keep_length",
                             [](PAKETS& st, const scope&, pass& run) {
                               quick_filter(st, {filter_criterion::length, false, 1, 0}, run);
                             },
                             false}),
                         case_name);

}  // namespace
