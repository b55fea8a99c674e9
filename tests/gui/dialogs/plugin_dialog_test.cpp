#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "gui/dialogs/basic_logger.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/heap_merging.h"
#include "gui/dialogs/plugin_dialog.h"
#include "gui/dialogs/select_frame.h"
#include "gui/ui_capture.h"

// The C library's own heap can be watched; the sanitizers put their allocator in its place.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#define PELORIN_WATCHED_HEAP 1
#endif

namespace {

// A dialog whose pass visits every packet, as the operations do.
class walking_dialog : public TPelorin_Plugin {
 public:
  walking_dialog() : TPelorin_Plugin(nullptr) {}
  void Attach(PAKETS& s) {
    store_ = &s;
    InitRange();
    InitProgress();
  }
  int Process() override {
    pass_.running = true;
    while (position_ != end_ && pass_.running) {
      current_ = position_->second;
      ++pass_.result.processed;
      StepProgress();
      ++position_;
    }
    pass_.running = false;
    return 1;
  }
  void ClickCancel() { btnCancel->click(); }
};

void fill(PAKETS& store, uint32_t count) {
  const uint8_t byte = 0x41;
  for (uint32_t i = 0; i < count; ++i) store.append(new xpaket(&byte, 1));
}

TEST(PluginDialog, ProgressAndCancelOnlyAboveTenThousandPackets) {
  struct row {
    uint32_t packets;
    bool progress;
  };
  for (const row& r : {row{10000, false}, row{10001, true}}) {
    PAKETS store;
    fill(store, r.packets);
    walking_dialog dialog;
    dialog.Attach(store);
    EXPECT_EQ(dialog.showsProgress(), r.progress) << r.packets;
    dialog.Process();
    EXPECT_EQ(dialog.gaugePosition(), r.progress ? r.packets : 0) << r.packets;
    EXPECT_EQ(dialog.pluginResult().processed, static_cast<int32_t>(r.packets));
    unload_store(store);
  }
}

TEST(PluginDialog, CancelStopsALargePassAtTheNextEventBreak) {
  PAKETS store;
  fill(store, 20000);
  walking_dialog dialog;
  dialog.Attach(store);
  dialog.setEventInterval(0);
  QTimer::singleShot(0, &dialog, [&dialog] { dialog.ClickCancel(); });
  dialog.Process();
  // The click is seen at the first break, after clock_stride packets.
  EXPECT_EQ(dialog.pluginResult().processed, TPelorin_Plugin::clock_stride);
  EXPECT_FALSE(dialog.running());
  unload_store(store);
}

TEST(PluginDialog, DeletePaketCountsNullAndReal) {
  walking_dialog dialog;
  const uint8_t byte = 7;
  dialog.DeletePaket(nullptr);
  dialog.DeletePaket(new xpaket(&byte, 1));
  EXPECT_EQ(dialog.pluginResult().deleted, 2);
}

#ifdef PELORIN_WATCHED_HEAP
// Bytes in the allocator's fast free lists after 64 small blocks are freed, more than its
// per-size cache takes.
size_t fast_list_bytes_after_frees() {
  std::array<void*, 64> blocks{};
  for (void*& b : blocks) b = std::malloc(40);
  for (void* b : blocks) std::free(b);
  return mallinfo2().fsmblks;
}

// A pass that frees small blocks and notes what the fast lists then hold.
class freeing_dialog : public TPelorin_Plugin {
 public:
  freeing_dialog() : TPelorin_Plugin(nullptr) {}
  int Process() override {
    held = fast_list_bytes_after_frees();
    return 1;
  }
  void Run() { (void)RunPass(); }
  size_t held = SIZE_MAX;
};
#endif

TEST(PluginDialog, APassFreesStraightIntoTheHeapAndTheFastListsComeBackAfter) {
#ifndef PELORIN_WATCHED_HEAP
  GTEST_SKIP() << "the sanitizers' allocator stands in for the C library's";
#else
  EXPECT_GT(fast_list_bytes_after_frees(), 0u);
  freeing_dialog dialog;
  dialog.Run();
  EXPECT_EQ(dialog.held, 0u);
  EXPECT_GT(fast_list_bytes_after_frees(), 0u);
  {
    const heap_merging_scope outer;
    { const heap_merging_scope inner; }
    EXPECT_EQ(fast_list_bytes_after_frees(), 0u) << "the inner scope turned the lists back on";
  }
  EXPECT_GT(fast_list_bytes_after_frees(), 0u);
#endif
}

TEST(PluginDialog, BaseLayout) {
  walking_dialog dialog;
  EXPECT_EQ(dialog.size(), QSize(278, 219));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Pelorin"));
  for (const char* name :
       {"imgLogo", "lblTitle", "gbParams", "panProgress", "gProgress", "btnCancel", "btnOk"}) {
    EXPECT_NE(dialog.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
}

TEST(ColourFrame, ElevenColoursOneGroupRedFirst) {
  Tfr_colors frame;
  EXPECT_EQ(frame.ChosenColour(), 0x0000FFu);
  const auto buttons = frame.findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 11);
  QSet<QString> tips;
  for (size_t i = 0; i < marking_colours.size(); ++i) {
    auto* button = frame.findChild<QToolButton*>(QString::fromLatin1(marking_colours[i].button));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(4 + 24 * static_cast<int>(i), 16, 23, 22));
    // Every button names its colour, each a different name.
    EXPECT_FALSE(button->toolTip().isEmpty()) << marking_colours[i].button;
    tips.insert(button->toolTip());
    button->click();
    EXPECT_EQ(frame.ChosenColour(), marking_colours[i].number);
    // One group: exactly one button is down.
    int down = 0;
    for (QToolButton* b : buttons) down += b->isChecked() ? 1 : 0;
    EXPECT_EQ(down, 1);
  }
  EXPECT_EQ(tips.size(), 11);
  frame.Choose(0x123456);
  EXPECT_EQ(frame.ChosenColour(), 0xFFFFFFu);
  frame.Enable(false);
  for (QToolButton* b : buttons) EXPECT_FALSE(b->isEnabled());
  frame.Enable(true);
  for (QToolButton* b : buttons) EXPECT_TRUE(b->isEnabled());
}

TEST(ScopeFrame, ScopeTestFollowsTheRadioButtons) {
  struct row {
    const char* radio;
    const char* colour_button;
    uint32_t packet_colour;
    bool in_scope;
  };
  const row rows[] = {
      {"rbAllPakets", "btnRed", 0x0000FF, true},
      {"rbAllPakets", "btnRed", 0xFFFFFF, true},
      {"rbAllPakets", "btnRed", 0xFF0000, true},
      {"rbUnselectedPakets", "btnBlue", 0xFFFFFF, true},
      {"rbUnselectedPakets", "btnBlue", 0xFF0000, false},
      {"rbUnselectedPakets", "btnRed", 0x0000FF, false},
      {"rbSelectedPakets", "btnRed", 0x0000FF, true},
      {"rbSelectedPakets", "btnRed", 0xFFFFFF, false},
      {"rbSelectedPakets", "btnTeal", 0x808000, true},
      {"rbSelectedPakets", "btnTeal", 0x0000FF, false},
  };
  for (const row& r : rows) {
    Tfr_select frame;
    frame.findChild<QToolButton*>(QString::fromLatin1(r.colour_button))->setEnabled(true);
    frame.findChild<QToolButton*>(QString::fromLatin1(r.colour_button))->click();
    frame.findChild<QRadioButton*>(QString::fromLatin1(r.radio))->click();
    const uint8_t byte = 1;
    xpaket p(&byte, 1);
    p.colour = r.packet_colour;
    EXPECT_EQ(frame.Scope().contains(p), r.in_scope)
        << r.radio << " " << r.colour_button << " " << std::hex << r.packet_colour;
  }
}

TEST(ScopeFrame, ColourButtonsOnlyForOneColour) {
  Tfr_select frame;
  auto* red = frame.findChild<QToolButton*>(QStringLiteral("btnRed"));
  EXPECT_FALSE(red->isEnabled());
  EXPECT_TRUE(frame.colours()->caption()->text().isEmpty());
  frame.findChild<QRadioButton*>(QStringLiteral("rbSelectedPakets"))->click();
  EXPECT_TRUE(red->isEnabled());
  frame.findChild<QRadioButton*>(QStringLiteral("rbUnselectedPakets"))->click();
  EXPECT_FALSE(red->isEnabled());
}

TEST(ScopeFrame, ArrowKeysMoveWithinAGroupAndSpacePresses) {
  Tfr_select frame;
  frame.show();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  auto* all = frame.findChild<QRadioButton*>(QStringLiteral("rbAllPakets"));
  all->setFocus();
  QTest::keyClick(all, Qt::Key_Down);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("rbSelectedPakets"));
  // The arrows choose as a click does: the colours are open for the one-colour scope.
  auto* blue = frame.findChild<QToolButton*>(QStringLiteral("btnBlue"));
  EXPECT_TRUE(blue->isEnabled());
  blue->setFocus();
  QTest::keyClick(blue, Qt::Key_Space);
  EXPECT_EQ(frame.colours()->ChosenColour(), 0xFF0000u);
  QTest::keyClick(blue, Qt::Key_Right);
  EXPECT_EQ(frame.colours()->ChosenColour(), 0x00FFFFu);
  const uint8_t byte = 1;
  xpaket p(&byte, 1);
  p.colour = 0x00FFFF;
  EXPECT_TRUE(frame.Scope().contains(p));
}

TEST(BasicLogger, EveryEscapedExceptionShowsTheMessageOnce) {
  ui_capture ui;
  EXPECT_TRUE(deliver_guarded([] { return true; }));
  EXPECT_TRUE(ui.messages.empty());
  const std::vector<std::function<bool()>> throwers = {
      []() -> bool { throw std::runtime_error("conversion"); },
      []() -> bool { throw std::bad_alloc(); },
      []() -> bool { throw 42; },
  };
  for (size_t i = 0; i < throwers.size(); ++i) {
    EXPECT_FALSE(deliver_guarded(throwers[i]));
    ASSERT_EQ(ui.messages.size(), i + 1);
    EXPECT_EQ(ui.messages.back().kind, message_hooks::kind::error);
    EXPECT_EQ(ui.messages.back().text,
              QStringLiteral("Неизвестная ошибка - программное исключение Windows.   "));
  }
  // The program goes on: the next delivery works as before.
  EXPECT_TRUE(deliver_guarded([] { return true; }));
  EXPECT_EQ(ui.messages.size(), throwers.size());
}

}  // namespace
