#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <string>
#include <vector>

#include "core/operations/quick_filter.h"
#include "gui/grid/packet_grid.h"
#include "gui/operations/quick_filter_window.h"
#include "gui/ui_capture.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

// A grid over the store, small enough to scroll, with the current cell at (column, row).
struct grid_on {
  grid_on(PAKETS& store, int column, int row) {
    grid.resize(120, 80);
    grid.setStore(&store);
    grid.RecountPackets();
    grid.setCurrentCell(column, row);
  }
  ~grid_on() { grid.setStore(nullptr); }
  grid_on(const grid_on&) = delete;
  grid_on& operator=(const grid_on&) = delete;
  TPacketGrid grid;
};

}  // namespace

TEST(QuickFilterWindow, BorderlessProgressWindow) {
  test_store s;
  grid_on g(s.store, 1, 1);
  TfSigInline window(nullptr);
  window.SetGrid(&g.grid);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("отбор"));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window.size(), QSize(281, 57));
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
            QStringLiteral("Отбор..."));
  EXPECT_TRUE(window.findChild<QToolButton*>(QStringLiteral("btnOk"))->isHidden());
  EXPECT_TRUE(window.findChild<QGroupBox*>(QStringLiteral("gbParams"))->isHidden());
  EXPECT_EQ(window.findChild<QTimer*>(QStringLiteral("tTimer"))->interval(), 10);
}

TEST(QuickFilterWindow, RunsTheFilterOnTheCurrentCellAndScrollsHome) {
  struct row {
    std::string name;
    uint16_t command;
    int column;
    int row;
    contents expected;
  };
  const auto word = quick_filter_command;
  const row rows[] = {
      {"drop this byte keeps short packets",
       word(filter_criterion::byte, true),
       4,
       1,
       {{1, 2, 3}, {1, 2}}},
      {"drop this colour", word(filter_criterion::colour, true), 5, 1, {}},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({{1, 2, 3, 4, 5}, {1, 2, 3}, {9, 2, 3, 4, 6}, {1, 2}});
    grid_on g(s.store, r.column, r.row);
    g.grid.setFirstVisibleRow(3);
    g.grid.setFirstVisibleColumn(3);
    TfSigInline window(nullptr);
    window.SetGrid(&g.grid);
    const PLUGIN_RESULT result = window.Execute(r.command, s.store);
    EXPECT_EQ(s.contents(), r.expected) << r.name;
    EXPECT_EQ(result.processed, 4) << r.name;
    EXPECT_EQ(result.deleted, static_cast<int32_t>(4 - r.expected.size())) << r.name;
    EXPECT_EQ(result.modified, r.expected.size() != 4) << r.name;
    EXPECT_EQ(window.result(), QDialog::Accepted) << r.name;
    EXPECT_EQ(g.grid.firstVisibleRow(), 1) << r.name;
    EXPECT_EQ(g.grid.firstVisibleColumn(), 1) << r.name;
    EXPECT_EQ(ui.modal_runs, 1);
  }
}

TEST(QuickFilterWindow, AByteFilterWithoutAByteLeavesTheViewAlone) {
  ui_capture ui;
  test_store s({{1, 2}, {1}, {1, 2, 3}, {4}, {5}, {6}});
  grid_on g(s.store, 3, 1);  // packet 0 has no byte 3
  g.grid.setFirstVisibleRow(2);
  g.grid.setFirstVisibleColumn(2);
  TfSigInline window(nullptr);
  window.SetGrid(&g.grid);
  const PLUGIN_RESULT result =
      window.Execute(quick_filter_command(filter_criterion::byte, false), s.store);
  EXPECT_EQ(result.processed, 0);
  EXPECT_EQ(s.store.size(), 6u);
  EXPECT_EQ(g.grid.firstVisibleRow(), 2);
  EXPECT_EQ(g.grid.firstVisibleColumn(), 2);
}

TEST(QuickFilterWindow, ARowWithoutAPacketDoesNothingAndTheTimerCloses) {
  ui_capture ui;
  test_store s;
  grid_on g(s.store, 2, 1);
  TfSigInline window(nullptr);
  window.SetGrid(&g.grid);
  const PLUGIN_RESULT result =
      window.Execute(quick_filter_command(filter_criterion::colour, true), s.store);
  EXPECT_TRUE(s.store.empty());
  EXPECT_EQ(result.processed, 0);
  EXPECT_FALSE(result.modified);
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST(QuickFilterWindow, CancelKeepsTheUnvisitedPacketsInOrder) {
  // 20000 packets alternating one and two bytes; keep the length of packet 0 (one byte).
  std::vector<bytes> many;
  for (int i = 0; i < 20000; ++i) many.push_back(i % 2 == 0 ? bytes{1} : bytes{2, 2});
  ui_capture ui;
  test_store s(many);
  const auto before = s.pointers();
  grid_on g(s.store, 1, 1);
  TfSigInline window(nullptr);
  window.SetGrid(&g.grid);
  window.setEventInterval(0);
  ui.on_show = [](TPelorin_Plugin& d) {
    // Runs at the pass's first look at the events: after the activation has started the pass.
    QTimer::singleShot(1, &d,
                       [&d] { d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click(); });
  };
  const PLUGIN_RESULT result =
      window.Execute(quick_filter_command(filter_criterion::length, false), s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  std::vector<const xpaket*> expected;
  for (int32_t i = 0; i < result.processed; i += 2) expected.push_back(before[i]);
  expected.insert(expected.end(), before.begin() + result.processed, before.end());
  EXPECT_EQ(s.pointers(), expected);
  EXPECT_TRUE(s.numbered_from_zero());
  EXPECT_EQ(result.deleted, result.processed / 2);
  EXPECT_EQ(window.result(), QDialog::Rejected);
}
