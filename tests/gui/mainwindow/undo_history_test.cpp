// The history over the step records: the budget drops the oldest steps and the saved state moves
// with them; colourings keep the signal saved; a step without a record empties the history.
#include "gui/mainwindow/undo_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/operations/colouring.h"
#include "core/operations/cut.h"
#include "core/operations/history/undo_record.h"
#include "core/operations/history/undo_recorder.h"
#include "support/test_store.h"

namespace {

std::vector<std::vector<uint8_t>> packets_of_12(size_t count) {
  return std::vector<std::vector<uint8_t>>(count, std::vector<uint8_t>(12, 0x5A));
}

// Runs one step with a recorder limited to the history's budget and hands its record over.
bool record(TUndoHistory& history, PAKETS& store, const std::function<void(pass&)>& step,
            bool colours_only = false) {
  undo_recorder recorder(store, history.Budget());
  pass run;
  run.recorder = &recorder;
  step(run);
  return history.Record(recorder.finish(store), QStringLiteral("обрезка"), colours_only);
}

void cut_one_byte(PAKETS& store, pass& run) {
  cut(store, scope{}, {false, 1, 0}, run);
}

TEST(UndoHistory, TheOldestStepsGoPastTheBudgetAndTheSavedStateMovesWithThem) {
  test_store s(packets_of_12(100));
  TUndoHistory history(s.store);
  history.SetBudget(UINT64_MAX);
  record(history, s.store, [&](pass& run) { cut_one_byte(s.store, run); });
  const uint64_t step_memory = history.Memory();
  const auto after_first = s.contents();
  history.SetBudget(step_memory * 5 / 2);
  record(history, s.store, [&](pass& run) { cut_one_byte(s.store, run); });
  history.MarkSaved();
  record(history, s.store, [&](pass& run) { cut_one_byte(s.store, run); });
  EXPECT_EQ(history.Steps(), 2);
  EXPECT_FALSE(history.Saved());
  ASSERT_TRUE(history.Undo());
  EXPECT_TRUE(history.Saved());
  ASSERT_TRUE(history.Undo());
  EXPECT_FALSE(history.Saved());
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(s.contents(), after_first);
  ASSERT_TRUE(history.Redo());
  EXPECT_TRUE(history.Saved());
}

TEST(UndoHistory, ColouringsKeepTheSignalSavedAndAStepWithoutARecordEmptiesTheHistory) {
  test_store s(packets_of_12(100));
  TUndoHistory history(s.store);
  history.SetBudget(UINT64_MAX);
  record(
      history, s.store, [&](pass& run) { select_all(s.store, 0xFF, run.recorder); }, true);
  EXPECT_TRUE(history.Saved());
  // Too large for a budget of nothing: a colouring keeps the signal saved, a cut does not.
  history.SetBudget(0);
  EXPECT_FALSE(record(
      history, s.store, [&](pass& run) { unselect_all(s.store, run.recorder); }, true));
  EXPECT_EQ(history.Steps(), 0);
  EXPECT_TRUE(history.Saved());
  EXPECT_FALSE(record(history, s.store, [&](pass& run) { cut_one_byte(s.store, run); }));
  EXPECT_FALSE(history.Saved());
}

}  // namespace
