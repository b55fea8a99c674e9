#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

#include <string>
#include <vector>

#include "core/model/memory_budget.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/operations/cut_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t red = 0x0000FF;

QString label_text(QWidget& w, const char* name) {
  return child<QLabel>(w, name)->text();
}

}  // namespace

TEST(CutDialog, ControlsAndUnitSwitching) {
  TfSigCut dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("обрезка"));
  EXPECT_EQ(label_text(dialog, "lblTitle"), QStringLiteral("SIGCut"));
  auto* rbBytes = child<QRadioButton>(dialog, "rbBytes");
  auto* rbBits = child<QRadioButton>(dialog, "rbBits");
  auto* edStart = child<QLineEdit>(dialog, "edStart");
  auto* edEnd = child<QLineEdit>(dialog, "edEnd");
  EXPECT_EQ(rbBytes->text(), QStringLiteral("побайтная обрезка"));
  EXPECT_EQ(rbBits->text(), QStringLiteral("побитная обрезка"));
  EXPECT_TRUE(rbBytes->isChecked());
  EXPECT_EQ(edStart->text(), QStringLiteral("0"));
  EXPECT_EQ(edEnd->text(), QStringLiteral("0"));
  EXPECT_EQ(label_text(dialog, "lblStart"), QStringLiteral("байт от начала"));
  EXPECT_EQ(label_text(dialog, "lblEnd"), QStringLiteral("байт от конца"));
  EXPECT_NE(dialog.findChild<Tfr_select*>(QStringLiteral("fSelect")), nullptr);

  edEnd->setText(QStringLiteral("5"));
  rbBits->click();
  EXPECT_EQ(label_text(dialog, "lblStart"), QStringLiteral("бит от начала"));
  EXPECT_EQ(label_text(dialog, "lblEnd"), QStringLiteral("бит от конца"));
  EXPECT_EQ(edEnd->text(), QStringLiteral("0"));
  EXPECT_FALSE(edEnd->isEnabled());

  rbBytes->click();
  EXPECT_EQ(label_text(dialog, "lblStart"), QStringLiteral("байт от начала"));
  EXPECT_EQ(label_text(dialog, "lblEnd"), QStringLiteral("байт от конца"));
  EXPECT_EQ(edEnd->text(), QStringLiteral("0"));
  EXPECT_TRUE(edEnd->isEnabled());
}

TEST(CutDialog, InvalidCountsShowTheMessageAndChangeNothing) {
  for (const char* bad_start : {"abc", "", "1.5", "99999999999"}) {
    ui_capture ui;
    test_store s({{1, 2, 3}});
    TfSigCut dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      child<QLineEdit>(d, "edEnd")->setText(QStringLiteral("1"));
      child<QLineEdit>(d, "edStart")->setText(QString::fromLatin1(bad_start));
      child<QLineEdit>(d, "edEnd")->setFocus();
      child<QToolButton>(d, "btnOk")->click();
      EXPECT_TRUE(d.isVisible()) << bad_start;
      EXPECT_EQ(d.focusWidget(), child<QLineEdit>(d, "edStart")) << bad_start;
      child<QToolButton>(d, "btnCancel")->click();
    };
    const PLUGIN_RESULT r = dialog.Execute(0, s.store);
    ASSERT_EQ(ui.messages.size(), 1u) << bad_start;
    EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
    EXPECT_EQ(ui.last_text(),
              QStringLiteral("Недопустимые символы в поле 'начало' или 'конец'.   "));
    EXPECT_EQ(s.contents(), (contents{{1, 2, 3}})) << bad_start;
    EXPECT_EQ(r.processed, 0);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
}

TEST(CutDialog, OkCutsThePacketsInScope) {
  struct row {
    std::string name;
    bool bits;
    QString start;
    QString end;
    uint32_t scope_colour;  // 0: all packets; white: the unselected ones
    contents expected;
    int32_t changed;
  };
  const row rows[] = {
      {"bytes from both ends, all", false, "1", "1", 0, {{2}, {2}, {2}}, 3},
      {"bytes, blue only", false, "1", "0", blue, {{1, 2, 3}, {2, 3}, {1, 2, 3}}, 1},
      {"bytes, unselected only", false, "2", "0", colour_white, {{3}, {1, 2, 3}, {1, 2, 3}}, 1},
      {"bits, end ignored",
       true,
       "4",
       "1",
       0,
       {{0x20, 0x30, 0}, {0x20, 0x30, 0}, {0x20, 0x30, 0}},
       3},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, {colour_white, blue, red});
    TfSigCut dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      child<QLineEdit>(d, "edEnd")->setText(r.end);
      if (r.bits) child<QRadioButton>(d, "rbBits")->click();
      child<QLineEdit>(d, "edStart")->setText(r.start);
      auto* scope_frame = d.findChild<Tfr_select*>(QStringLiteral("fSelect"));
      if (r.scope_colour == colour_white) {
        child<QRadioButton>(*scope_frame, "rbUnselectedPakets")->click();
      } else if (r.scope_colour != 0) {
        child<QRadioButton>(*scope_frame, "rbSelectedPakets")->click();
        scope_frame->colours()->Choose(r.scope_colour);
      }
      child<QToolButton>(d, "btnOk")->click();
    };
    const PLUGIN_RESULT result = dialog.Execute(0, s.store);
    EXPECT_EQ(s.contents(), r.expected) << r.name;
    EXPECT_EQ(result.processed, 3) << r.name;
    EXPECT_EQ(result.changed, r.changed) << r.name;
    EXPECT_FALSE(result.modified) << r.name;
    EXPECT_EQ(marks_unsaved(result), r.changed != 0) << r.name;
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << r.name;
    EXPECT_TRUE(ui.messages.empty()) << r.name;
  }
}

TEST(CutDialog, CancelDuringALongPassKeepsTheRestUncut) {
  std::vector<bytes> many(20000, bytes{1, 2});
  ui_capture ui;
  test_store s(many);
  TfSigCut dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    child<QLineEdit>(d, "edStart")->setText(QStringLiteral("1"));
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  EXPECT_EQ(result.changed, result.processed);
  const contents after = s.contents();
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_EQ(after[i], (i < static_cast<size_t>(result.processed) ? bytes{2} : bytes{1, 2})) << i;
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(CutDialog, ASecondOkDuringThePassStartsNothing) {
  std::vector<bytes> many(20000, bytes{1, 2, 3});
  ui_capture ui;
  test_store s(many);
  TfSigCut dialog(nullptr);
  dialog.setEventInterval(0);
  int clicks_seen_disabled = 0;
  ui.on_show = [&](TPelorin_Plugin& d) {
    child<QLineEdit>(d, "edStart")->setText(QStringLiteral("1"));
    auto* ok = child<QToolButton>(d, "btnOk");
    // A double click on OK: the second press arrives while the first pass runs.
    QTimer::singleShot(0, &d, [ok, &clicks_seen_disabled] {
      if (!ok->isEnabled()) ++clicks_seen_disabled;
      QTest::mouseClick(ok, Qt::LeftButton);
    });
    ok->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(clicks_seen_disabled, 1);
  EXPECT_EQ(result.processed, 20000);
  EXPECT_EQ(result.changed, 20000);
  EXPECT_EQ(s.contents(), contents(20000, bytes{2, 3}));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(CutDialog, AGrowthBeyondTheMemoryAvailableIsNoValidValue) {
  set_available_memory_for_testing(uint64_t{40} << 20);
  ui_capture ui;
  test_store s({{1, 2, 3}});
  TfSigCut dialog(nullptr);
  ui.on_show = [&](TPelorin_Plugin& d) {
    child<QLineEdit>(d, "edEnd")->setText(QStringLiteral("-268435455"));
    child<QToolButton>(d, "btnOk")->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.focusWidget(), child<QLineEdit>(d, "edEnd"));
    child<QToolButton>(d, "btnCancel")->click();
  };
  const PLUGIN_RESULT r = dialog.Execute(0, s.store);
  set_available_memory_for_testing(std::nullopt);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
  EXPECT_EQ(ui.last_text(), QStringLiteral("Недопустимое значение.   "));
  EXPECT_EQ(s.contents(), (contents{{1, 2, 3}}));
  EXPECT_EQ(r.processed, 0);
}
