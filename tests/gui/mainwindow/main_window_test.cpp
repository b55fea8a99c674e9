#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include <string>
#include <vector>

#include "gui/dialogs/basic_logger.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/files/file_window.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/ui_capture.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

// An operation that reports a fixed result and changes nothing.
class fixed_result_dialog : public TPelorin_Plugin {
 public:
  fixed_result_dialog(QWidget* owner, PLUGIN_RESULT r) : TPelorin_Plugin(owner), r_(r) {}
  int Process() override { return 0; }
  PLUGIN_RESULT Execute(uint16_t, PAKETS&) override { return r_; }

 private:
  PLUGIN_RESULT r_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void load(const std::vector<bytes>& packets) {
    choose(dir.write("signal.sig", sig_image(packets)));
    main.mLoadClick();
  }
  void choose(const std::string& path, int filter = 0) {
    ui.files.push_back(file_choice{QString::fromStdString(path), filter});
  }
  QString panel(int i) const { return main.statusPanels()->panelText(i); }
  // Runs a fake operation with the result under index 3.
  void run_result(const PLUGIN_RESULT& r) {
    main.SetOperation(3, [r](TfMain& m) { return std::make_unique<fixed_result_dialog>(&m, r); });
    main.RunOperation(3);
  }

  temp_dir dir;
  ui_capture ui;
  TfMain main;
};

TEST_F(MainWindowTest, StartUpState) {
  TPacketGrid* grid = main.grid();
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Pelorin"));
  EXPECT_EQ(grid->viewMode(), view_mode::decimal);
  EXPECT_FALSE(grid->expanded());
  EXPECT_TRUE(grid->scrollBars());
  EXPECT_FALSE(main.protocolPane());
  EXPECT_FALSE(main.findChild<QWidget*>(QStringLiteral("tpProto"))->isVisibleTo(&main));
  EXPECT_NE(main.findChild<QWidget*>(QStringLiteral("fAnalyser")), nullptr);
  EXPECT_EQ(main.findChild<QAction*>(QStringLiteral("mLoad"))->shortcut(),
            QKeySequence(QKeySequence::Open));
  EXPECT_EQ(main.findChild<QAction*>(QStringLiteral("mSave"))->shortcut(),
            QKeySequence(QKeySequence::Save));
  EXPECT_TRUE(main.saved());
  EXPECT_EQ(panel(3), QStringLiteral(" все сохранено"));
  EXPECT_EQ(panel(0), QStringLiteral(" всего пакетов - 0"));
  EXPECT_EQ(panel(1), QStringLiteral(" длина мин: 1 -  макс: 0"));
  EXPECT_EQ(grid->gridColumnCount(), 256);
  EXPECT_EQ(grid->gridRowCount(), 256);
  EXPECT_TRUE(main.findChild<QAction*>(QStringLiteral("btnDec"))->isChecked());
  EXPECT_FALSE(main.findChild<QAction*>(QStringLiteral("btnAnalyz"))->isChecked());
  EXPECT_FALSE(main.findChild<QAction*>(QStringLiteral("mExpanded"))->isChecked());
  EXPECT_TRUE(main.findChild<QAction*>(QStringLiteral("mScroll"))->isChecked());
  EXPECT_EQ(main.colours()->ChosenColour(), 0x0000FFu);
  EXPECT_EQ(main.findChild<QLabel*>(QStringLiteral("lblCurcolor"))->text(),
            QStringLiteral(" текущий цвет: "));
}

TEST_F(MainWindowTest, ToolBarButtonsHaveDistinctIconsAndTheirTips) {
  auto* bar = main.findChild<QToolBar*>(QStringLiteral("tToolBar"));
  QSet<QByteArray> pictures;
  int buttons = 0;
  for (QAction* action : bar->actions()) {
    if (!action->objectName().startsWith(QLatin1String("btn"))) continue;
    ++buttons;
    ASSERT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
    const QImage image = action->icon().pixmap(16, 16).toImage();
    pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                               static_cast<qsizetype>(image.sizeInBytes())));
    if (action->objectName() != QLatin1String("btnHelp")) {
      EXPECT_FALSE(action->toolTip().isEmpty()) << action->objectName().toStdString();
    }
    EXPECT_TRUE(action->text().isEmpty() || action->text() == action->toolTip());
  }
  EXPECT_EQ(buttons, 26);
  EXPECT_EQ(pictures.size(), buttons);
  EXPECT_EQ(main.findChild<QAction*>(QStringLiteral("btnSortLen"))->toolTip(),
            QStringLiteral("сортировка по длинам"));
}

TEST_F(MainWindowTest, ViewButtonsFormOneStickyGroupAndFollowTheMenu) {
  const char* buttons[] = {"btnDec", "btnHex", "btnBin", "btnText", "btnPseudo"};
  const char* items[] = {"mViewDec", "mViewHex", "mViewBin", "mViewText", "mViewPseudo"};
  for (int i = 4; i >= 0; --i) {
    main.findChild<QAction*>(QString::fromLatin1(items[i]))->trigger();
    EXPECT_EQ(static_cast<int>(main.grid()->viewMode()), i);
    for (int j = 0; j < 5; ++j) {
      EXPECT_EQ(main.findChild<QAction*>(QString::fromLatin1(buttons[j]))->isChecked(), i == j);
    }
  }
  main.findChild<QAction*>(QStringLiteral("btnBin"))->trigger();
  EXPECT_EQ(main.grid()->viewMode(), view_mode::binary);
  EXPECT_EQ(main.findChild<QAction*>(QStringLiteral("mViewBin"))->shortcut(),
            QKeySequence(Qt::SHIFT | Qt::Key_F3));
  auto* analyz = main.findChild<QAction*>(QStringLiteral("btnAnalyz"));
  analyz->trigger();
  EXPECT_TRUE(main.protocolPane());
  EXPECT_TRUE(analyz->isChecked());
  EXPECT_TRUE(main.findChild<QAction*>(QStringLiteral("mViewWProto"))->isChecked());
  main.mViewWProtoClick();
  EXPECT_FALSE(analyz->isChecked());
}

TEST_F(MainWindowTest, DispatcherRule) {
  struct row {
    PLUGIN_RESULT result;
    bool marks_unsaved;
  };
  auto result = [](int processed, int changed, int deleted, uint32_t joined, int recoloured,
                   bool sets_saved = false) {
    PLUGIN_RESULT r;
    r.processed = processed;
    r.changed = changed;
    r.deleted = deleted;
    r.joined = joined;
    r.recoloured = recoloured;
    r.sets_saved = sets_saved;
    return r;
  };
  const row rows[] = {
      {result(5, 1, 0, 0, 0), true},         // changed in place
      {result(5, 0, 2, 0, 0), true},         // deleted
      {result(5, 0, 0, 3, 0), true},         // joined fragments
      {result(4, 0, 4, 4, 0), true},         // every packet visited ended in a joined one
      {result(7, 0, 3, 7, 0, true), false},  // a load, which sets the flag itself
      {result(9, 0, 0, 0, 4), false},        // only coloured
      {result(0, 0, 0, 0, 0), false},        // nothing
  };
  for (const row& r : rows) {
    main.SetSaved(true);
    run_result(r.result);
    EXPECT_EQ(main.saved(), !r.marks_unsaved);
    EXPECT_EQ(panel(3),
              r.marks_unsaved ? QStringLiteral(" не сохранено") : QStringLiteral(" все сохранено"));
    // An unsaved signal stays unsaved whatever the next result.
    main.SetSaved(false);
    run_result(r.result);
    EXPECT_FALSE(main.saved());
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, OperationsWithoutAModuleCannotStart) {
  // Indexes out of range, and indexes whose module has not put its dialog there.
  for (int index = 2; index <= 12; ++index) main.SetOperation(index, {});
  for (int index : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1}) {
    ui.messages.clear();
    main.RunOperation(index);
    ASSERT_EQ(ui.messages.size(), 1u) << index;
    EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Невозможно запустить модуль.   "));
  }
  // The menu items send their command words: find next is the search with command 1.
  main.findChild<QAction*>(QStringLiteral("mFindNext"))->trigger();
  EXPECT_EQ(main.commandWord() & 0xFF, 1);
  main.findChild<QAction*>(QStringLiteral("mDropLen"))->trigger();
  EXPECT_EQ(main.commandWord(), 0x104);
  main.findChild<QAction*>(QStringLiteral("mFind"))->trigger();
  EXPECT_EQ(main.commandWord(), 0x100);  // the drop flag stays
}

TEST_F(MainWindowTest, GoToPacketChecksTheNumber) {
  load({{1, 2}, {3}, {4, 5, 6}, {7}});
  struct row {
    const char* text;
    bool valid;
  };
  for (const row& r : {row{"0", false}, row{"-3", false}, row{"abc", false}, row{"5", false},
                       row{"", false}, row{"4", true}, row{"2", true}}) {
    ui.messages.clear();
    main.grid()->setCurrentCell(2, 1);
    ui.texts.push_back(QString::fromLatin1(r.text));
    main.mGotoClick();
    if (r.valid) {
      EXPECT_TRUE(ui.messages.empty()) << r.text;
      EXPECT_EQ(main.grid()->currentRow(), std::stoi(r.text)) << r.text;
      EXPECT_EQ(main.grid()->currentColumn(), 2);
    } else {
      ASSERT_EQ(ui.messages.size(), 1u) << r.text;
      EXPECT_EQ(ui.messages[0].text, QStringLiteral("Недопустимое значение.   "));
      EXPECT_EQ(main.grid()->currentRow(), 1) << r.text;
    }
  }
  // Cancel in the input box: nothing at all.
  ui.texts.push_back(std::nullopt);
  ui.messages.clear();
  main.mGotoClick();
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, StatusPanelsOfTheSelectedCell) {
  load({{0xFF, 0x41}, {0xC0, 0x01, 0x20}});
  struct row {
    int column, row;
    const char* cell;
    const char* dec;
    const char* hex;
    const char* bin;
    const char* text;
  };
  const row rows[] = {
      {1, 1, " пакет 1 : байт 1 - биты с 1 по 8", " 255", " FF", " 11111111", " я"},
      {2, 1, " пакет 1 : байт 2 - биты с 9 по 16", " 65", " 41", " 10000010", " A"},
      {1, 2, " пакет 2 : байт 1 - биты с 1 по 8", " 192", " C0", " 00000011", " А"},
      {3, 2, " пакет 2 : байт 3 - биты с 17 по 24", " 32", " 20", " 00000100", "  "},
      // Past the packet's end there is no byte: the value panels are empty.
      {3, 1, " пакет 1 : байт 3 - биты с 17 по 24", "", "", "", ""},
  };
  for (const row& r : rows) {
    main.grid()->setCurrentCell(r.column, r.row);
    EXPECT_EQ(panel(2), QString::fromUtf8(r.cell));
    EXPECT_EQ(panel(5), QString::fromUtf8(r.dec));
    EXPECT_EQ(panel(7), QString::fromUtf8(r.hex));
    EXPECT_EQ(panel(9), QString::fromUtf8(r.bin));
    EXPECT_EQ(panel(11), QString::fromUtf8(r.text));
  }
}

TEST_F(MainWindowTest, CopyPutsTheCurrentPacketOrItsMarkedColumnsOnTheClipboard) {
  load({{0xFF, 0x41}, {0xC0, 0x01, 0x20}});
  main.grid()->setCurrentCell(1, 2);
  QAction* copy = main.findChild<QAction*>(QStringLiteral("mCopy"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->shortcut(), QKeySequence(QKeySequence::Copy));
  copy->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("C0 01 20"));
  main.grid()->setColumnRange(2, 5);
  copy->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("01 20"));
}

TEST_F(MainWindowTest, LoadRecountsAndMarksSavedMergeMarksNotSaved) {
  load({bytes(5, 1), bytes(3, 2), bytes(5, 3), bytes(2, 4)});
  EXPECT_EQ(panel(0), QStringLiteral(" всего пакетов - 4"));
  EXPECT_EQ(panel(1), QStringLiteral(" длина мин: 2 -  макс: 5"));
  EXPECT_EQ(main.grid()->gridRowCount(), 5);
  EXPECT_EQ(main.grid()->gridColumnCount(), 6);
  EXPECT_TRUE(main.saved());
  EXPECT_EQ(main.windowTitle(),
            QStringLiteral("Pelorin - ") + QString::fromStdString(dir.file("signal.sig")));
  choose(dir.write("more.sig", sig_image({bytes(9, 1)})));
  main.mMergeClick();
  EXPECT_EQ(panel(0), QStringLiteral(" всего пакетов - 5"));
  EXPECT_FALSE(main.saved());
  EXPECT_EQ(panel(3), QStringLiteral(" не сохранено"));
  // A save marks it saved again.
  choose(dir.file("saved.sig"));
  main.mSaveClick();
  EXPECT_TRUE(main.saved());
  EXPECT_EQ(read_file(dir.file("saved.sig")).size(), 5u * 2 + 5 + 3 + 5 + 2 + 9);
  // The caption and the program's title follow the signal to its new file; the platform's display
  // name, which it would append to every window's title, stays as it was.
  const QString caption =
      QStringLiteral("Pelorin - ") + QString::fromStdString(dir.file("saved.sig"));
  EXPECT_EQ(main.windowTitle(), caption);
  EXPECT_EQ(application_title(), caption);
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
}

TEST_F(MainWindowTest, RecentFilesListTheNewestFirstAndReopenWithoutADialog) {
  const QString first = QString::fromStdString(dir.write("first.sig", sig_image({{1}, {2}})));
  const QString second = QString::fromStdString(dir.write("second.sig", sig_image({{7, 7, 7}})));
  choose(first.toStdString());
  main.mLoadClick();
  choose(second.toStdString());
  main.mLoadClick();
  auto* recent = main.findChild<QMenu*>(QStringLiteral("mRecent"));
  ASSERT_NE(recent, nullptr);
  QList<QAction*> items = recent->actions();
  ASSERT_GE(items.size(), 2);
  EXPECT_EQ(items[0]->toolTip(), second);
  EXPECT_EQ(items[1]->toolTip(), first);
  EXPECT_TRUE(items[0]->text().startsWith(QStringLiteral("&1 ")));
  // A recent item opens its file with no file dialog and moves to the top.
  items[1]->trigger();
  EXPECT_EQ(main.store().size(), 2u);
  EXPECT_TRUE(ui.files.empty());
  items = recent->actions();
  EXPECT_EQ(items[0]->toolTip(), first);
  EXPECT_EQ(items[1]->toolTip(), second);
}

TEST_F(MainWindowTest, UnsavedSignalAsksBeforeOpeningAnotherFile) {
  const std::string first = dir.write("first.sig", sig_image({{1}, {2}}));
  const std::string second = dir.write("second.sig", sig_image({{7, 7, 7}}));
  struct row {
    answer reply;
    bool save_succeeds;
    bool opened;
  };
  for (const row& r : {row{answer::cancel, false, false}, row{answer::no, false, true},
                       row{answer::yes, true, true}, row{answer::yes, false, false}}) {
    main.SetSaved(true);
    choose(first);
    main.mLoadClick();
    run_result([] {
      PLUGIN_RESULT changed;
      changed.processed = 1;
      changed.changed = 1;
      return changed;
    }());
    ASSERT_FALSE(main.saved());
    ui.questions.clear();
    ui.answers.push_back(r.reply);
    if (r.reply == answer::yes) {
      // The save dialog: a file, or cancel.
      if (r.save_succeeds) {
        choose(dir.file("kept.sig"));
      } else {
        ui.files.push_back(std::nullopt);
      }
    }
    choose(second);
    main.mLoadClick();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], QStringLiteral("Сигнал не сохранён. Сохранить изменения?   "));
    EXPECT_EQ(main.store().size(), r.opened ? 1u : 2u)
        << static_cast<int>(r.reply) << r.save_succeeds;
    EXPECT_EQ(main.saved(), r.opened);
    ui.files.clear();
  }
}

TEST_F(MainWindowTest, ClosingAsksAboutUnsavedChangesThenUnloads) {
  load({{1}, {2}, {3}});
  run_result([] {
    PLUGIN_RESULT changed;
    changed.processed = 1;
    changed.changed = 1;
    return changed;
  }());
  ui.answers.push_back(answer::cancel);
  QCloseEvent refused;
  QCoreApplication::sendEvent(&main, &refused);
  EXPECT_FALSE(refused.isAccepted());
  EXPECT_EQ(main.store().size(), 3u);

  ui.answers.push_back(answer::no);
  QCloseEvent accepted;
  QCoreApplication::sendEvent(&main, &accepted);
  EXPECT_TRUE(accepted.isAccepted());
  EXPECT_TRUE(main.store().empty());
  EXPECT_EQ(ui.questions.size(), 2u);
}

TEST_F(MainWindowTest, SavedSignalClosesWithoutAQuestion) {
  load({{1}});
  QCloseEvent close;
  QCoreApplication::sendEvent(&main, &close);
  EXPECT_TRUE(close.isAccepted());
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(main.store().empty());
}

TEST(MainWindowStart, CommandLineFileOpensOnceAtTheFirstActivation) {
  temp_dir dir;
  ui_capture ui;
  const std::string path = dir.write("arg.sig", sig_image({{1, 2, 3}, {4}}));
  TfMain main({QString::fromStdString(path)});
  EXPECT_TRUE(main.store().empty());
  main.show();
  for (int i = 0; i < 20 && main.store().empty(); ++i) QCoreApplication::processEvents();
  ASSERT_EQ(main.store().size(), 2u);
  EXPECT_EQ(ui.modal_runs, 1);
  // Later activations load nothing again.
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&main, &activate);
  QCoreApplication::processEvents();
  EXPECT_EQ(ui.modal_runs, 1);
  EXPECT_EQ(main.store().size(), 2u);
}

TEST_F(MainWindowTest, AnalyserPaneGetsTheActivatedPacket) {
  load({{0x0F, 0x00, 0x08, 0x00}, {1}});
  main.grid()->setCurrentCell(1, 1);
  emit main.grid()->packetActivated(0);
  // The pane shows a tree whose top node is the packet.
  auto* pane = main.findChild<QWidget*>(QStringLiteral("fAnalyser"));
  ASSERT_NE(pane, nullptr);
  EXPECT_FALSE(pane->findChildren<QWidget*>().isEmpty());
}

TEST_F(MainWindowTest, HelpOpensTheRussianContents) {
  main.mHelpClick();
  THelpWindow* help = main.helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  const QString text = help->browser()->toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("Содержание"))) << text.toStdString();
  for (const char* page :
       {"purpose", "grid", "colouring", "menu", "files", "formats", "tessaly", "analyser"}) {
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/%1.html").arg(QLatin1String(page)))) << page;
  }
  help->close();
}

TEST_F(MainWindowTest, AboutBoxShowsTheVersionAndChangesNothing) {
  ui.on_show = [](TPelorin_Plugin& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("о программе"));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Pelorin ver. 0.9 beta"));
    EXPECT_EQ(d.size(), QSize(509, 336));
    d.reject();
  };
  main.mAboutClick();
  EXPECT_EQ(ui.modal_runs, 1);
  EXPECT_TRUE(main.saved());
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace

namespace {

TEST(MainWindowPopup, RightClickOpensTheMenuAndKeepsTheCell) {
  ui_capture ui;
  TfMain main;
  main.show();
  main.grid()->setCurrentCell(3, 2);
  QWidget* viewport = main.grid()->viewport();
  const QPoint inside(viewport->width() / 2, viewport->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, inside, viewport->mapToGlobal(inside),
                    Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &press);
  auto* popup = main.findChild<QMenu*>(QStringLiteral("mPopup"));
  EXPECT_TRUE(popup->isVisible());
  EXPECT_EQ(main.grid()->currentColumn(), 3);
  EXPECT_EQ(main.grid()->currentRow(), 2);
  popup->hide();
  // The popup's filters hand their criterion and drop flag to the dispatcher.
  main.findChild<QAction*>(QStringLiteral("mDrop"))->trigger();
  EXPECT_EQ(main.commandWord(), 0x103);
  main.findChild<QAction*>(QStringLiteral("mLeaveMarked"))->trigger();
  EXPECT_EQ(main.commandWord(), 0x005);
}

}  // namespace
