// The main window's colouring commands, the quick filters, the cut, swap, fill and edit run through
// the dispatcher,
// and a double click that hands a packet to the protocol pane.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyleHints>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "core/protocols/decode_support.h"
#include "core/protocols/traffic_frames.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/grid/grid_model.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/ui_capture.h"
#include "support/temp_dir.h"

namespace {

using contents = std::vector<std::vector<uint8_t>>;
using colours = std::vector<uint32_t>;

constexpr uint32_t white = colour_white;
constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;

class MainOperationsTest : public ::testing::Test {
 protected:
  // Opens a signal of these packets through the file window, as the user would.
  void load(const contents& packets) {
    main.SetSaved(true);  // no question about the previous signal
    ui.files.push_back(
        file_choice{QString::fromStdString(dir.write("s.sig", sig_image(packets))), 0});
    main.mLoadClick();
    ASSERT_EQ(main.store().size(), packets.size());
  }
  void paint(const colours& c) {
    for (uint32_t i = 0; i < c.size(); ++i) main.store().at(i)->colour = c[i];
  }
  [[nodiscard]] colours colours_now() {
    colours c;
    for (const auto& [number, p] : main.store()) c.push_back(p->colour);
    return c;
  }
  [[nodiscard]] contents contents_now() {
    contents all;
    for (const auto& [number, p] : main.store())
      all.emplace_back(p->bytes(), p->bytes() + p->byte_length());
    return all;
  }
  QAction* action(const char* name) {
    auto* a = main.findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  QString panel(int i) const { return main.statusPanels()->panelText(i); }

  temp_dir dir;
  ui_capture ui;
  TfMain main;
};

TEST_F(MainOperationsTest, MarkAndUnmarkByKeysOnTheGrid) {
  load({{1, 2}, {3}, {4, 5, 6}});
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  main.grid()->setFocus();
  main.colours()->Choose(blue);
  main.grid()->setCurrentCell(2, 2);
  QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(colours_now(), (colours{white, blue, white}));
  main.grid()->setCurrentCell(1, 3);
  main.colours()->Choose(red);
  QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(colours_now(), (colours{white, blue, red}));
  main.grid()->setCurrentCell(1, 2);
  QTest::keyClick(&main, Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(colours_now(), (colours{white, white, red}));
  // Colouring is not a change of the signal.
  EXPECT_TRUE(main.saved());
  EXPECT_EQ(panel(3), QStringLiteral(" все сохранено"));
  // Ctrl+A selects every packet, whatever the grid itself makes of the key.
  QTest::keyClick(&main, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(colours_now(), (colours{red, red, red}));
  // The cut opens on Ctrl+F1.
  int cut_dialogs = 0;
  ui.on_show = [&](TPelorin_Plugin& d) {
    cut_dialogs += d.objectName() == QLatin1String("TfSigCut");
    d.reject();
  };
  QTest::keyClick(&main, Qt::Key_F1, Qt::ControlModifier);
  EXPECT_EQ(cut_dialogs, 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainOperationsTest, CurrentColourStaysInReachAtTheStartSize) {
  // The colour buttons sit in the tool bar itself, not behind its extension arrow.
  main.show();
  QCoreApplication::processEvents();
  Tfr_colors* frame = main.colours();
  ASSERT_TRUE(frame->isVisible());
  const QRect shown(frame->mapTo(&main, QPoint(0, 0)), frame->size());
  EXPECT_TRUE(main.rect().contains(shown)) << shown.x() << '+' << shown.width();
}

TEST_F(MainOperationsTest, MarkOnARowWithoutAPacketDoesNothing) {
  main.grid()->setCurrentCell(1, 1);  // the empty grid still has rows
  for (const char* name : {"mMark", "mUnmark"}) action(name)->trigger();
  EXPECT_TRUE(main.store().empty());
  EXPECT_TRUE(main.saved());
  // On the loaded signal an unsaved flag stays as it was.
  load({{1}, {2}});
  main.SetSaved(false);
  main.grid()->setCurrentCell(1, 2);
  action("mMark")->trigger();
  EXPECT_EQ(colours_now(), (colours{white, red}));
  EXPECT_FALSE(main.saved());
}

TEST_F(MainOperationsTest, ViewMenuColouringAndItsButtons) {
  struct row {
    const char* action;
    uint32_t current;
    colours before;
    colours after;
  };
  const row rows[] = {
      {"mSelAll", blue, {white, red, blue}, {blue, blue, blue}},
      {"btnSelAll", red, {white, red, blue}, {red, red, red}},
      {"mUnselall", red, {white, red, blue}, {white, white, white}},
      {"btnUnselAll", red, {blue, red, blue}, {white, white, white}},
      {"mUnselCur", blue, {white, red, blue}, {white, red, white}},
      {"btnUnselCur", red, {red, red, blue}, {white, white, blue}},
      {"mInvertSel", red, {white, red, blue}, {red, white, white}},
  };
  load({{1}, {2, 3}, {4}});
  for (const row& r : rows) {
    main.colours()->Choose(r.current);
    for (bool saved : {true, false}) {
      main.SetSaved(saved);
      paint(r.before);
      QAction* a = action(r.action);
      ASSERT_TRUE(a->isEnabled()) << r.action;
      a->trigger();
      EXPECT_EQ(colours_now(), r.after) << r.action;
      EXPECT_EQ(main.saved(), saved) << r.action;
    }
  }
  EXPECT_EQ(contents_now(), (contents{{1}, {2, 3}, {4}}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainOperationsTest, CutMarksTheSignalUnsavedOnlyWhenAPacketChanged) {
  struct row {
    const char* trigger;
    const char* start;
    const char* end;
    contents after;
    bool saved;
    const char* lengths;  // status panel 1 after the run
    int columns;
  };
  const row rows[] = {
      {"mCut", "2", "0", {{3, 4, 5}, {3}, {3, 4, 5}, {1, 2}}, false, " длина мин: 1 -  макс: 3", 4},
      {"btnCut",
       "9",
       "9",
       {{1, 2, 3, 4, 5}, {1, 2, 3}, {1, 2, 3, 4, 5}, {1, 2}},
       true,
       " длина мин: 2 -  макс: 5",
       6},
      {"mCut",
       "0",
       "-1",
       {{1, 2, 3, 4, 5, 0}, {1, 2, 3, 0}, {1, 2, 3, 4, 5, 0}, {1, 2, 0}},
       false,
       " длина мин: 3 -  макс: 6",
       7},
  };
  for (const row& r : rows) {
    load({{1, 2, 3, 4, 5}, {1, 2, 3}, {1, 2, 3, 4, 5}, {1, 2}});
    ASSERT_TRUE(main.saved());
    ui.on_show = [&](TPelorin_Plugin& d) {
      ASSERT_EQ(d.objectName(), QStringLiteral("TfSigCut"));
      d.findChild<QLineEdit*>(QStringLiteral("edStart"))->setText(QString::fromLatin1(r.start));
      d.findChild<QLineEdit*>(QStringLiteral("edEnd"))->setText(QString::fromLatin1(r.end));
      d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
    };
    action(r.trigger)->trigger();
    ui.on_show = nullptr;
    EXPECT_EQ(contents_now(), r.after) << r.start << '/' << r.end;
    EXPECT_EQ(main.saved(), r.saved) << r.start << '/' << r.end;
    EXPECT_EQ(panel(3),
              r.saved ? QStringLiteral(" все сохранено") : QStringLiteral(" не сохранено"));
    // Lengths changed in place: the grid and the totals follow them.
    EXPECT_EQ(panel(1), QString::fromUtf8(r.lengths)) << r.start << '/' << r.end;
    EXPECT_EQ(main.grid()->gridColumnCount(), r.columns) << r.start << '/' << r.end;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainOperationsTest, CancelledCutChangesNothing) {
  load({{1, 2, 3}});
  ui.on_show = [](TPelorin_Plugin& d) {
    d.findChild<QLineEdit*>(QStringLiteral("edStart"))->setText(QStringLiteral("1"));
    d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click();
  };
  action("mCut")->trigger();
  EXPECT_EQ(contents_now(), (contents{{1, 2, 3}}));
  EXPECT_TRUE(main.saved());
}

TEST_F(MainOperationsTest, StatisticsCountTheCurrentColumnAndChangeNothing) {
  load({{1, 2, 3}, {1, 5}, {1, 2}});
  main.grid()->setCurrentCell(2, 1);
  int rows_shown = -1;
  ui.on_show = [&](TPelorin_Plugin& d) {
    ASSERT_EQ(d.objectName(), QStringLiteral("TfSigStat"));
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
    rows_shown = d.findChild<QTableView*>(QStringLiteral("tGrid"))->model()->rowCount();
    d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click();
  };
  action("mStat")->trigger();
  ui.on_show = nullptr;
  EXPECT_EQ(rows_shown, 2);  // byte 2: the values 2 and 5
  EXPECT_EQ(contents_now(), (contents{{1, 2, 3}, {1, 5}, {1, 2}}));
}

TEST_F(MainOperationsTest, FindOpensTheSearchAndFindNextRepeatsIt) {
  QSettings(QStringLiteral("Quillmark"), QStringLiteral("Pelorin"))
      .remove(QStringLiteral("Plugins/SigSearch"));
  load({{1, 2}, {0x41, 0x42, 0x43}, {3}, {9, 0x41, 0x42}});
  main.grid()->setCurrentCell(1, 1);
  int dialogs = 0;
  ui.on_show = [&](TPelorin_Plugin& d) {
    ++dialogs;
    ASSERT_EQ(d.objectName(), QStringLiteral("TfSigFind"));
    d.findChild<QLineEdit*>(QStringLiteral("edVal"))->setText(QStringLiteral("AB"));
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  };
  action("mFind")->trigger();
  EXPECT_EQ(main.grid()->currentRow(), 2);
  EXPECT_EQ(main.grid()->currentColumn(), 1);
  EXPECT_EQ(main.grid()->viewMode(), view_mode::text);
  EXPECT_TRUE(action("btnText")->isChecked());
  action("mFindNext")->trigger();
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(main.grid()->currentRow(), 4);
  EXPECT_EQ(main.grid()->currentColumn(), 2);
  EXPECT_TRUE(main.saved());
  EXPECT_TRUE(ui.messages.empty());

  // Every match coloured: the status bar tells how many, until the next operation.
  ui.on_show = [&](TPelorin_Plugin& d) {
    d.findChild<QRadioButton*>(QStringLiteral("rbAllMatch"))->click();
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  };
  action("mFind")->trigger();
  EXPECT_EQ(colours_now(), (colours{white, red, white, red}));
  EXPECT_EQ(panel(TStatusBar::note_panel), QStringLiteral(" найдено и выделено пакетов: 2"));
  ui.on_show = [](TPelorin_Plugin& d) { d.reject(); };
  action("mFind")->trigger();
  EXPECT_EQ(panel(TStatusBar::note_panel), QString());
}

TEST_F(MainOperationsTest, TheSecondClickOfADoubleClickOnOkStaysOutOfTheGrid) {
  // A long interval, so that the test's own pace cannot split the double click.
  QStyleHints* hints = QGuiApplication::styleHints();
  const int interval = hints->mouseDoubleClickInterval();
  hints->setMouseDoubleClickInterval(10000);
  load(contents(4, std::vector<uint8_t>(8, 1)));
  main.show();
  main.grid()->setCurrentCell(1, 1);
  QWidget* cells = main.grid()->viewport();
  const QPoint under_ok = main.grid()->visualRect(main.grid()->gridModel()->index(3, 4)).center();
  // OK lies over cell (5, 4) of the grid; the swap's pass is short and closes the dialog at the
  // first click.
  ui.on_show = [&](TPelorin_Plugin& d) {
    auto* ok = d.findChild<QToolButton*>(QStringLiteral("btnOk"));
    d.move(d.pos() + cells->mapToGlobal(under_ok) - ok->mapToGlobal(ok->rect().center()));
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
  };
  action("mSwap")->trigger();
  EXPECT_FALSE(main.saved());
  QTest::mouseDClick(cells, Qt::LeftButton, {}, under_ok);
  EXPECT_EQ(main.grid()->currentRow(), 1);
  EXPECT_EQ(main.grid()->currentColumn(), 1);
  // A click elsewhere is the user's next click.
  const QPoint elsewhere = main.grid()->visualRect(main.grid()->gridModel()->index(1, 2)).center();
  QTest::mouseClick(cells, Qt::LeftButton, {}, elsewhere);
  EXPECT_EQ(main.grid()->currentRow(), 2);
  EXPECT_EQ(main.grid()->currentColumn(), 3);
  hints->setMouseDoubleClickInterval(interval);
}

TEST_F(MainOperationsTest, SwapFillAndEditRunFromTheirMenuItems) {
  struct row {
    const char* item;
    const char* dialog;
    std::function<void(TPelorin_Plugin&)> set;
    contents after;
    int columns;
  };
  const row rows[] = {
      {"mSwap",
       "TfSigSwap",
       [](TPelorin_Plugin& d) { d.findChild<QRadioButton*>(QStringLiteral("rbSwap"))->click(); },
       {{2, 1, 3}, {1}},
       4},
      {"mFill",
       "TfSigFill",
       [](TPelorin_Plugin& d) {
         d.findChild<QRadioButton*>(QStringLiteral("rbTo"))->click();
         d.findChild<QLineEdit*>(QStringLiteral("edFillTo"))->setText(QStringLiteral("4"));
         d.findChild<QLineEdit*>(QStringLiteral("edVal"))->setText(QStringLiteral("7"));
       },
       {{1, 2, 3, 7}, {1, 7, 7, 7}},
       5},
      // The position opens at the current byte column (2).
      {"mEdit",
       "TfSigEdit",
       [](TPelorin_Plugin& d) {
         EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("edPos"))->value(), 2);
         d.findChild<QComboBox*>(QStringLiteral("cbVal"))->setEditText(QStringLiteral("9"));
       },
       {{1, 9, 3}, {1}},
       4},
  };
  for (const row& r : rows) {
    load({{1, 2, 3}, {1}});
    main.grid()->setCurrentCell(2, 1);
    QString opened;
    ui.on_show = [&](TPelorin_Plugin& d) {
      opened = d.objectName();
      r.set(d);
      d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
    };
    action(r.item)->trigger();
    ui.on_show = nullptr;
    EXPECT_EQ(opened, QString::fromLatin1(r.dialog)) << r.item;
    EXPECT_EQ(contents_now(), r.after) << r.item;
    EXPECT_FALSE(main.saved()) << r.item;
    EXPECT_EQ(main.grid()->gridColumnCount(), r.columns) << r.item;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainOperationsTest, QuickFiltersFromThePopupRenumberAndRecount) {
  struct row {
    const char* item;
    int column, row;
    colours before;
    contents after;
    bool saved;
  };
  const contents signal = {{1, 2, 3, 4, 5}, {1, 2, 3}, {9, 2, 3, 4, 6}, {1, 2}};
  const row rows[] = {
      {"mLeaveLen", 1, 1, {white, white, white, white}, {signal[0], signal[2]}, false},
      {"mDropLen", 3, 2, {white, white, white, white}, {signal[0], signal[2], signal[3]}, false},
      {"mLeave", 4, 1, {white, white, white, white}, {signal[0], signal[2]}, false},
      // Packets without a byte in the current column are kept by the throw-out filter.
      {"mDrop", 5, 1, {white, white, white, white}, {signal[1], signal[2], signal[3]}, false},
      {"mLeaveMarked", 5, 2, {red, blue, red, white}, {signal[1]}, false},
      {"mDropMarked", 5, 1, {red, blue, red, white}, {signal[1], signal[3]}, false},
      // Nothing deleted: the signal stays saved.
      {"mLeaveMarked", 1, 1, {white, white, white, white}, signal, true},
  };
  for (const row& r : rows) {
    load(signal);
    paint(r.before);
    main.grid()->setCurrentCell(r.column, r.row);
    ui.modal_runs = 0;
    action(r.item)->trigger();
    EXPECT_EQ(ui.modal_runs, 1) << r.item;
    EXPECT_EQ(contents_now(), r.after) << r.item;
    EXPECT_EQ(main.saved(), r.saved) << r.item;
    EXPECT_EQ(panel(0), QStringLiteral(" всего пакетов - %1").arg(r.after.size())) << r.item;
    EXPECT_EQ(main.grid()->gridRowCount(), static_cast<int>(r.after.size()) + 1) << r.item;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainOperationsTest, QuickFilterScrollsBackToTheFirstRowWhateverIsLeft) {
  // Packet 150 is the only one of its length: "leave this length" keeps one row of 200.
  contents signal(200, std::vector<uint8_t>(4, 1));
  signal[149] = std::vector<uint8_t>(7, 2);
  for (const char* item : {"mLeaveLen", "mDropLen"}) {
    load(signal);
    main.grid()->setCurrentCell(1, 150);
    ASSERT_GT(main.grid()->firstVisibleRow(), 1);
    action(item)->trigger();
    EXPECT_EQ(main.grid()->firstVisibleRow(), 1) << item;
    EXPECT_EQ(main.store().size(), std::string(item) == "mLeaveLen" ? 1u : 199u) << item;
  }
}

TEST_F(MainOperationsTest, QuickFilterOnAnEmptySignalDoesNothing) {
  main.grid()->setCurrentCell(1, 1);
  action("mLeaveLen")->trigger();
  EXPECT_TRUE(main.store().empty());
  EXPECT_TRUE(main.saved());
  EXPECT_TRUE(ui.messages.empty());
}

// The tree as text, two blanks of indent a level.
std::string tree_text(const QTreeWidget& tree) {
  std::string text;
  auto add = [&text](auto&& self, const QTreeWidgetItem* item, int depth) -> void {
    text += std::string(static_cast<size_t>(2 * depth), ' ') + item->text(0).toStdString() + '\n';
    for (int i = 0; i < item->childCount(); ++i) self(self, item->child(i), depth + 1);
  };
  for (int t = 0; t < tree.topLevelItemCount(); ++t) add(add, tree.topLevelItem(t), 0);
  return text;
}

TEST_F(MainOperationsTest, DoubleClickOnARowShowsItsPacketInTheProtocolPane) {
  const traffic_frame& frame = traffic_frames[0];
  load({{0x45, 0x00}, from_hex(frame.hex), {1}});
  main.mViewWProtoClick();
  main.resize(900, 500);
  main.show();
  auto* tree = main.findChild<QWidget*>(QStringLiteral("fAnalyser"))->findChild<QTreeWidget*>();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->topLevelItemCount(), 0);

  TPacketGrid* grid = main.grid();
  const QRect cell = grid->visualRect(grid->model()->index(1, 2));  // row 2, column 3
  ASSERT_TRUE(grid->viewport()->rect().contains(cell.center()));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  EXPECT_EQ(grid->currentRow(), 2);
  EXPECT_EQ(tree_text(*tree), frame.tree);
  EXPECT_TRUE(main.saved());

  // Another row replaces the tree.
  const QRect first = grid->visualRect(grid->model()->index(0, 0));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
  EXPECT_EQ(tree_text(*tree), "пакет\n  root\n  неизвестный протокол\n");

  // A filter that removes packets empties the tree: its packet may be gone.
  grid->setCurrentCell(1, 3);
  action("mDropLen")->trigger();
  ASSERT_EQ(main.store().size(), 2u);
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  // So does a load, and the pane can be widened from its start width.
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
  ASSERT_GT(tree->topLevelItemCount(), 0);
  load({{1, 2}});
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  auto* pane = main.findChild<QWidget*>(QStringLiteral("tpProto"));
  EXPECT_EQ(pane->width(), 251);
  EXPECT_GT(pane->maximumWidth(), 251);
}

}  // namespace

TEST_F(MainOperationsTest, SelectionByLengthColoursAndLeavesTheSignalSaved) {
  load({{1, 2, 3, 4, 5}, {1, 2, 3}, {1}});
  int maximum = 0;
  ui.on_show = [&](TPelorin_Plugin& d) {
    ASSERT_EQ(d.objectName(), QStringLiteral("TfSortLen"));
    auto* edVal = d.findChild<QSpinBox*>(QStringLiteral("edVal"));
    maximum = edVal->maximum();
    d.findChild<QComboBox*>(QStringLiteral("cbOp"))->setCurrentIndex(3);  // "больше"
    edVal->setValue(3);
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  };
  action("mSelLen")->trigger();
  ui.on_show = nullptr;
  EXPECT_EQ(maximum, main.grid()->gridColumnCount() + 1);
  EXPECT_EQ(colours_now(), (colours{red, red, white}));
  EXPECT_TRUE(main.saved());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainOperationsTest, SelectionByValuesStartsAtTheCurrentColumn) {
  load({{69, 2, 3}, {70, 2, 3}, {69}});
  main.grid()->setCurrentCell(3, 1);
  int position = 0;
  ui.on_show = [&](TPelorin_Plugin& d) {
    ASSERT_EQ(d.objectName(), QStringLiteral("TfSigSort"));
    auto* edPos = d.findChild<QSpinBox*>(QStringLiteral("edPos"));
    position = edPos->value();
    edPos->setValue(1);
    d.findChild<QSpinBox*>(QStringLiteral("edVal"))->setValue(69);
    d.findChild<QToolButton*>(QStringLiteral("btnAdd"))->click();
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  };
  action("mSelVal")->trigger();
  ui.on_show = nullptr;
  EXPECT_EQ(position, 3);
  EXPECT_EQ(colours_now(), (colours{red, white, red}));
  EXPECT_TRUE(main.saved());
  EXPECT_TRUE(ui.messages.empty());
}
