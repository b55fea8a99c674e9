#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <string>
#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/operations/fill_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t red = 0x0000FF;

}  // namespace

TEST(FillDialog, ControlsAndTargetSwitching) {
  TfSigFill dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("дополнение"));
  EXPECT_EQ(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("SIGFill"));
  auto* rbMax = child<QRadioButton>(dialog, "rbMax");
  auto* rbTo = child<QRadioButton>(dialog, "rbTo");
  auto* edFillTo = child<QLineEdit>(dialog, "edFillTo");
  auto* edVal = child<QLineEdit>(dialog, "edVal");
  EXPECT_EQ(rbMax->text(), QStringLiteral("дополнение до самого длинного пакета"));
  EXPECT_EQ(rbTo->text(), QStringLiteral("дополнение до"));
  EXPECT_TRUE(rbMax->isChecked());
  EXPECT_EQ(edFillTo->text(), QStringLiteral("1"));
  EXPECT_FALSE(edFillTo->isEnabled());
  EXPECT_EQ(edVal->text(), QStringLiteral("0"));
  for (const char* text : {"байта", "десятичное значение ", "символа-заполнителя"}) {
    EXPECT_TRUE(has_label(dialog, QString::fromUtf8(text))) << text;
  }
  EXPECT_NE(dialog.findChild<Tfr_select*>(QStringLiteral("fSelect")), nullptr);

  rbTo->click();
  EXPECT_TRUE(edFillTo->isEnabled());
  rbMax->click();
  EXPECT_FALSE(edFillTo->isEnabled());
}

TEST(FillDialog, BadFieldsShowTheirMessageAndFocusTheField) {
  struct row {
    std::string name;
    bool numeric;
    const char* value;
    const char* target;
    const char* message;
    const char* focus;
  };
  const char* value_message = "Недопустимые символы в поле 'символ-заполнитель'.   ";
  const char* target_message = "Недопустимые символы в поле 'дополнение до...'.   ";
  const row rows[] = {
      {"value 256", false, "256", "1", value_message, "edVal"},
      {"value -1", false, "-1", "1", value_message, "edVal"},
      {"value empty", false, "", "1", value_message, "edVal"},
      {"value letters", true, "x", "2", value_message, "edVal"},
      // The value is checked first.
      {"both bad", true, "300", "x", value_message, "edVal"},
      {"target letters", true, "1", "abc", target_message, "edFillTo"},
      {"target empty", true, "1", "", target_message, "edFillTo"},
      // Growth that memory cannot hold, here longer than any packet can be.
      {"target too long", true, "1", "2147483647", "Недопустимое значение.   ", "edFillTo"},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s(std::vector<bytes>{{1}, {1, 2}});
    TfSigFill dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      if (r.numeric) child<QRadioButton>(d, "rbTo")->click();
      child<QLineEdit>(d, "edVal")->setText(QString::fromLatin1(r.value));
      child<QLineEdit>(d, "edFillTo")->setText(QString::fromLatin1(r.target));
      child<QToolButton>(d, "btnOk")->click();
      EXPECT_TRUE(d.isVisible()) << r.name;
      EXPECT_EQ(d.focusWidget(), child<QLineEdit>(d, r.focus)) << r.name;
      child<QToolButton>(d, "btnCancel")->click();
    };
    const PLUGIN_RESULT result = dialog.Execute(0, s.store);
    ASSERT_EQ(ui.messages.size(), 1u) << r.name;
    EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
    EXPECT_EQ(ui.last_text(), QString::fromUtf8(r.message)) << r.name;
    EXPECT_EQ(s.contents(), (contents{{1}, {1, 2}})) << r.name;
    EXPECT_EQ(result.processed, 0) << r.name;
  }
}

TEST(FillDialog, OkPadsThePacketsInScope) {
  struct row {
    std::string name;
    bool numeric;
    const char* target;
    const char* value;
    bool red_only;
    contents expected;
    int32_t changed;
  };
  const row rows[] = {
      {"longest, all", false, "1", "255", false, {{1, 255, 255}, {1, 2, 255}, {1, 2, 3}}, 2},
      // The bad target is not read in the longest mode.
      {"longest ignores the target field",
       false,
       "x",
       "0",
       false,
       {{1, 0, 0}, {1, 2, 0}, {1, 2, 3}},
       2},
      {"longest, red only", false, "1", "7", true, {{1}, {1, 2, 7}, {1, 2, 3}}, 1},
      {"to four", true, "4", "9", false, {{1, 9, 9, 9}, {1, 2, 9, 9}, {1, 2, 3, 9}}, 3},
      {"to zero", true, "0", "9", false, {{1}, {1, 2}, {1, 2, 3}}, 0},
      {"to a negative length", true, "-5", "9", false, {{1}, {1, 2}, {1, 2, 3}}, 0},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({{1}, {1, 2}, {1, 2, 3}}, {colour_white, red, red});
    TfSigFill dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      if (r.numeric) child<QRadioButton>(d, "rbTo")->click();
      child<QLineEdit>(d, "edFillTo")->setText(QString::fromLatin1(r.target));
      child<QLineEdit>(d, "edVal")->setText(QString::fromLatin1(r.value));
      if (r.red_only) {
        auto* frame = d.findChild<Tfr_select*>(QStringLiteral("fSelect"));
        child<QRadioButton>(*frame, "rbSelectedPakets")->click();
        frame->colours()->Choose(red);
      }
      child<QToolButton>(d, "btnOk")->click();
    };
    const PLUGIN_RESULT result = dialog.Execute(0, s.store);
    EXPECT_EQ(s.contents(), r.expected) << r.name;
    EXPECT_EQ(result.processed, 3) << r.name;
    EXPECT_EQ(result.changed, r.changed) << r.name;
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << r.name;
    EXPECT_TRUE(ui.messages.empty()) << r.name;
  }
}

TEST(FillDialog, CancelDuringALongPassKeepsTheRestUnpadded) {
  std::vector<bytes> many(20000, bytes{1});
  many.back() = bytes{1, 2};
  ui_capture ui;
  test_store s(many);
  TfSigFill dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  EXPECT_EQ(result.changed, result.processed);
  const contents after = s.contents();
  for (size_t i = 0; i + 1 < after.size(); ++i) {
    ASSERT_EQ(after[i], (i < static_cast<size_t>(result.processed) ? bytes{1, 0} : bytes{1})) << i;
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
