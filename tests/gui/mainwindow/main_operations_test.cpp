// The main window's commands: every row of the operation registry, reached from its menu item,
// its shortcut and its tool bar button, run on a signal, undone and redone; the Edit menu; the
// colouring commands; the quick filters' scrolling; and a double click that hands a packet to the
// protocol pane.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyleHints>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/operations/history/store_state.h"
#include "core/protocols/decode_support.h"
#include "core/protocols/traffic_frames.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/grid/grid_model.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/mainwindow/undo_history.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
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
    ui.files.push_back(file_choice{file_of(packets), 0});
    main.mLoadClick();
    ASSERT_EQ(main.store().size(), packets.size());
  }
  QString file_of(const contents& packets) {
    return QString::fromStdString(
        dir.write("s" + std::to_string(++files_) + ".sig", sig_image(packets)));
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
  QAction* action(const QString& name) {
    auto* a = main.findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name.toStdString();
    return a;
  }
  QAction* action(const char* name) { return action(QString::fromLatin1(name)); }
  // The menu that holds the item of a row.
  QMenu* menu_of(command_menu place) {
    if (place == command_menu::grid_popup) return main.findChild<QMenu*>(QStringLiteral("mPopup"));
    const char* titles[] = {"", "Файл", "Обработка", "Справка"};
    for (QAction* m : main.menuBar()->actions()) {
      if (m->text() == QString::fromUtf8(titles[static_cast<int>(place)])) return m->menu();
    }
    return nullptr;
  }
  QString panel(int i) const { return main.statusPanels()->panelText(i); }

  temp_dir dir;
  ui_capture ui;
  TfMain main;
  int files_ = 0;
};

std::string name_of(const operation_row& row) {
  return row.command.name;
}

// Stands in for every operation: notes the index and the command word it was run with.
class probe_dialog : public TPelorin_Plugin {
 public:
  explicit probe_dialog(QWidget* owner) : TPelorin_Plugin(owner) {}
  int Process() override { return 0; }
  PLUGIN_RESULT Execute(uint16_t, PAKETS&) override { return {}; }
};

TEST_F(MainOperationsTest, EveryRowIsReachableFromItsMenuItemShortcutAndButton) {
  std::vector<std::pair<int, uint16_t>> runs;
  for (int index = 0; index < operation_count; ++index) {
    main.SetOperation(index, [&runs, index](TfMain& m) {
      runs.emplace_back(index, m.commandWord());
      return std::make_unique<probe_dialog>(&m);
    });
  }
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  auto* bar = main.findChild<QToolBar*>(QStringLiteral("tToolBar"));
  int processing_rows = 0;
  for (const operation_row& row : operation_rows()) {
    if (row.menu == command_menu::none) continue;
    processing_rows += row.menu == command_menu::processing;
    const menu_command& c = row.command;
    QAction* item = action(c.name);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(menu_of(row.menu), nullptr);
    EXPECT_TRUE(menu_of(row.menu)->actions().contains(item)) << name_of(row);
    // Each way runs the row's operation with its command code; only the quick filters set the
    // drop flag, the others keep it (set before each way).
    const uint16_t word = row.drop ? static_cast<uint16_t>((*row.drop ? 0x100 : 0) | row.code)
                                   : static_cast<uint16_t>(0x100 | row.code);
    std::vector<std::function<void()>> ways = {[item] { item->trigger(); }};
    if (!c.shortcut.isEmpty())
      ways.push_back([this, &c] { QTest::keySequence(&main, c.shortcut); });
    if (c.button != nullptr) {
      QAction* button = action(c.button);
      ASSERT_NE(button, nullptr);
      EXPECT_TRUE(bar->actions().contains(button)) << c.button;
      EXPECT_EQ(button->toolTip(), QString::fromUtf8(c.tip)) << c.button;
      ways.push_back([button] { button->trigger(); });
    }
    for (const auto& way : ways) {
      runs.clear();
      main.SetCommand(0, true);
      way();
      ASSERT_EQ(runs.size(), 1u) << name_of(row);
      EXPECT_EQ(runs[0].first, row.index) << name_of(row);
      EXPECT_EQ(runs[0].second, word) << name_of(row);
    }
    // A command that replaces the signal first asks about an unsaved one; Cancel runs nothing.
    runs.clear();
    main.SetSaved(false);
    ui.questions.clear();
    ui.answers.push_back(answer::cancel);
    item->trigger();
    EXPECT_EQ(ui.questions.size(), row.asks_to_save ? 1u : 0u) << name_of(row);
    EXPECT_EQ(runs.size(), row.asks_to_save ? 0u : 1u) << name_of(row);
    ui.answers.clear();
    main.SetSaved(true);
  }
  // The processing menu holds the rows and nothing else.
  const QList<QAction*> items = menu_of(command_menu::processing)->actions();
  EXPECT_EQ(std::count_if(items.begin(), items.end(), [](QAction* a) { return !a->isSeparator(); }),
            processing_rows);
  EXPECT_TRUE(ui.messages.empty());
}

// What the test does in a dialog so that its command changes the signal below; a dialog not
// named here is left as it opens.
const std::map<QString, std::function<void(TPelorin_Plugin&)>>& fill_ins() {
  static const std::map<QString, std::function<void(TPelorin_Plugin&)>> all = {
      {QStringLiteral("TfSigCut"),
       [](TPelorin_Plugin& d) { child<QLineEdit>(d, "edStart")->setText(QStringLiteral("1")); }},
      {QStringLiteral("TfSigEdit"),
       [](TPelorin_Plugin& d) { child<QComboBox>(d, "cbVal")->setEditText(QStringLiteral("9")); }},
      {QStringLiteral("TfSigDefrag"),
       [](TPelorin_Plugin& d) { child<QSpinBox>(d, "edBStart")->setValue(1); }},
      {QStringLiteral("TfSigSort"),
       [](TPelorin_Plugin& d) {
         child<QSpinBox>(d, "edPos")->setValue(1);
         child<QSpinBox>(d, "edVal")->setValue(1);
         child<QToolButton>(d, "btnAdd")->click();
       }},
      {QStringLiteral("TfSigFind"),
       [](TPelorin_Plugin& d) {
         child<QLineEdit>(d, "edVal")->setText(QStringLiteral("AB"));
         child<QRadioButton>(d, "rbAllMatch")->click();
       }},
  };
  return all;
}

TEST_F(MainOperationsTest, EveryRowRunsMarksTheSignalUnsavedWhenItChangesItAndIsUndone) {
  const contents signal = {{1, 2, 3, 4, 5}, {1, 2, 3}, {9, 2, 3, 4, 6}, {1, 2}, {0x41, 0x42}, {7}};
  const colours painted = {white, red, white, blue, white, white};
  std::vector<change_kind> changes;
  QObject::connect(&main, &TfMain::changeApplied,
                   [&changes](change_kind kind) { changes.push_back(kind); });
  for (const operation_row& row : operation_rows()) {
    if (row.menu == command_menu::none) continue;
    const std::string name = name_of(row);
    // Cancel changes nothing; OK, with the fields the test fills in, changes what the row says.
    for (const bool ok : {false, true}) {
      // The signal is opened again only after a run that changed it.
      if (contents_now() != signal || colours_now() != painted || !main.saved()) {
        load(signal);
        paint(painted);
      }
      main.grid()->setCurrentCell(2, 1);
      main.grid()->setColumnRange(2, 3);
      // The file commands' files: another signal to open or merge, a file to save to.
      if (ok) {
        ui.files.push_back(row.code == TfSigLoader::save && row.index == op_files
                               ? file_choice{QString::fromStdString(dir.path() + "/out.sig"), 0}
                               : file_choice{file_of({{5, 5}}), 0});
      }
      changes.clear();
      ui.on_show = [&](TPelorin_Plugin& d) {
        EXPECT_EQ(d.parentWidget(), &main) << name;
        EXPECT_EQ(d.command() & 0xFF, row.code) << name;
        if (!ok) {
          d.reject();
          return;
        }
        if (const auto fill_in = fill_ins().find(d.objectName()); fill_in != fill_ins().end())
          fill_in->second(d);
        auto* ok_button = child<QToolButton>(d, "btnOk");
        if (ok_button->isVisible()) ok_button->click();
        // The statistics stay open after their run, and About until its close box: closed here.
        // The windows that start by themselves (no OK, but Cancel) close when done.
        if (d.isVisible() &&
            (ok_button->isVisible() || child<QToolButton>(d, "btnCancel")->isHidden()))
          d.reject();
      };
      action(row.command.name)->trigger();
      ui.on_show = nullptr;
      ui.files.clear();

      // One change of the row's kind, whatever it did.
      EXPECT_EQ(changes, std::vector{row.change}) << name;
      const bool packets_changed = contents_now() != signal;
      const bool anything_changed = packets_changed || colours_now() != painted;
      EXPECT_EQ(anything_changed, ok && row.change != change_kind::none) << name;
      EXPECT_EQ(packets_changed,
                ok && (row.change == change_kind::in_place || row.change == change_kind::rebuild))
          << name;
      // Changed packets make the signal unsaved, except those of a load: they are the file's.
      const bool loaded = row.index == op_files && row.code == TfSigLoader::load;
      EXPECT_EQ(main.saved(), !packets_changed || loaded) << name;
      EXPECT_EQ(panel(3),
                main.saved() ? QStringLiteral(" все сохранено") : QStringLiteral(" не сохранено"))
          << name;
      // The grid and the totals follow the packets.
      const contents now = contents_now();
      EXPECT_EQ(panel(0), QStringLiteral(" всего пакетов - %1").arg(now.size())) << name;
      size_t longest = 0;
      for (const auto& p : now) longest = std::max(longest, p.size());
      EXPECT_EQ(main.grid()->gridColumnCount(), static_cast<int>(longest) + 1) << name;

      // A change is one step of the history, named after its row; undo gives back the signal as
      // it was (and saved), redo as the command left it. A load starts a history of its own.
      QAction* undo = action("mUndo");
      EXPECT_EQ(undo->isEnabled(), anything_changed && !loaded) << name;
      if (!undo->isEnabled()) continue;
      const QString caption = QString::fromUtf8(row.command.caption);
      EXPECT_EQ(undo->text(),
                QStringLiteral("Отменить: ") + caption.front().toLower() + caption.mid(1));
      const auto after = state_of(main.store());
      const bool saved_after = main.saved();
      undo->trigger();
      EXPECT_EQ(contents_now(), signal) << name;
      EXPECT_EQ(colours_now(), painted) << name;
      EXPECT_TRUE(main.saved()) << name;
      EXPECT_EQ(panel(0), QStringLiteral(" всего пакетов - %1").arg(signal.size())) << name;
      action("mRedo")->trigger();
      EXPECT_EQ(state_of(main.store()), after) << name;
      EXPECT_EQ(main.saved(), saved_after) << name;
    }
  }
  EXPECT_TRUE(ui.messages.empty()) << ui.last_text().toStdString();
}

TEST_F(MainOperationsTest, EditMenuUndoesAndRedoesByItsKeysAndTheSavedPanelFollows) {
  load({{1, 2}, {3}, {4, 5, 6}});
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QStringList menus;
  for (QAction* m : main.menuBar()->actions()) menus << m->text();
  EXPECT_EQ(menus.mid(0, 3),
            (QStringList{QStringLiteral("Файл"), QStringLiteral("Правка"), QStringLiteral("Вид")}));
  // The two buttons follow the file buttons, greyed while there is nothing to undo or redo.
  const QList<QAction*> buttons = main.findChild<QToolBar*>(QStringLiteral("tToolBar"))->actions();
  const qsizetype merge = buttons.indexOf(action("btnMerge"));
  EXPECT_EQ(buttons.indexOf(action("btnUndo")), merge + 2);  // after a separator
  EXPECT_EQ(buttons.indexOf(action("btnRedo")), merge + 3);
  QAction* undo = action("mUndo");
  QAction* redo = action("mRedo");
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить"));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_FALSE(action("btnUndo")->isEnabled());
  EXPECT_FALSE(redo->isEnabled());

  // A colouring keeps the signal saved; a filter that drops packet 3's length does not.
  main.grid()->setFocus();
  QTest::keyClick(&main, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(undo->text(), QStringLiteral("Отменить: выделить все пакеты"));
  EXPECT_TRUE(action("btnUndo")->isEnabled());
  main.grid()->setCurrentCell(1, 3);
  action("mDropLen")->trigger();
  EXPECT_EQ(contents_now(), (contents{{1, 2}, {3}}));
  EXPECT_EQ(panel(3), QStringLiteral(" не сохранено"));
  // The filter's window had the keyboard for a while: the window manager gives it back.
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

  QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(contents_now(), (contents{{1, 2}, {3}, {4, 5, 6}}));
  EXPECT_EQ(panel(3), QStringLiteral(" все сохранено"));
  EXPECT_EQ(redo->text(), QStringLiteral("Повторить: выкинуть пакеты этой длины"));
  main.grid()->setCurrentCell(1, 3);
  QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(contents_now(), (contents{{1, 2}, {3}}));
  EXPECT_EQ(main.grid()->currentRow(), 2);  // the current cell stays within the packets
  EXPECT_EQ(panel(3), QStringLiteral(" не сохранено"));
  QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(colours_now(), (colours{white, white, white}));
  EXPECT_FALSE(undo->isEnabled());
  QTest::keyClick(&main, Qt::Key_Y, Qt::ControlModifier);
  QTest::keyClick(&main, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(contents_now(), (contents{{1, 2}, {3}}));

  // A save makes the state after the filter the saved one; the history stays.
  ui.files.push_back(file_choice{QString::fromStdString(dir.path() + "/saved.sig"), 0});
  action("mSave")->trigger();
  main.activateWindow();
  EXPECT_EQ(panel(3), QStringLiteral(" все сохранено"));
  undo->trigger();
  EXPECT_EQ(panel(3), QStringLiteral(" не сохранено"));
  redo->trigger();
  EXPECT_EQ(panel(3), QStringLiteral(" все сохранено"));
  // Opening a signal starts an empty history.
  load({{7}});
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_TRUE(ui.messages.empty()) << ui.last_text().toStdString();
}

TEST_F(MainOperationsTest, TheUndoBudgetComesFromTheSettingsAndAStepPastItSaysSo) {
  QSettings(QStringLiteral("Quillmark"), QStringLiteral("Pelorin"))
      .setValue(QString::fromLatin1(TfMain::undo_budget_key), 3);
  load({{1, 2}, {3}, {4, 5, 6}});
  QSettings(QStringLiteral("Quillmark"), QStringLiteral("Pelorin"))
      .remove(QString::fromLatin1(TfMain::undo_budget_key));
  EXPECT_EQ(main.history().Budget(), uint64_t{3} << 20);
  main.mSelAllClick();
  ASSERT_TRUE(action("mUndo")->isEnabled());
  // A budget too small for the next step: it runs, the history is gone, the status bar says so.
  main.history().SetBudget(1);
  main.grid()->setCurrentCell(1, 2);
  action("mDropLen")->trigger();
  EXPECT_EQ(contents_now(), (contents{{1, 2}, {4, 5, 6}}));
  EXPECT_FALSE(action("mUndo")->isEnabled());
  EXPECT_EQ(panel(TStatusBar::note_panel), TfMain::not_undoable_text());
  EXPECT_EQ(panel(3), QStringLiteral(" не сохранено"));
}

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
  std::vector<change_kind> changes;
  QObject::connect(&main, &TfMain::changeApplied,
                   [&changes](change_kind kind) { changes.push_back(kind); });
  load({{1}, {2, 3}, {4}});
  for (const row& r : rows) {
    main.colours()->Choose(r.current);
    for (bool saved : {true, false}) {
      main.SetSaved(saved);
      paint(r.before);
      changes.clear();
      QAction* a = action(r.action);
      ASSERT_TRUE(a->isEnabled()) << r.action;
      a->trigger();
      EXPECT_EQ(colours_now(), r.after) << r.action;
      EXPECT_EQ(main.saved(), saved) << r.action;
      // Each is one change of colours.
      EXPECT_EQ(changes, std::vector{change_kind::colours}) << r.action;
    }
  }
  EXPECT_EQ(contents_now(), (contents{{1}, {2, 3}, {4}}));
  EXPECT_TRUE(ui.messages.empty());
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
  // A text match switches the main window's view, its tool bar included.
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
