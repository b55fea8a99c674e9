#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <string>
#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/operations/swap_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t red = 0x0000FF;

}  // namespace

TEST(SwapDialog, Controls) {
  TfSigSwap dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("перестановка"));
  EXPECT_EQ(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("SIGSwap"));
  auto* rbReverse = child<QRadioButton>(dialog, "rbReverse");
  auto* rbSwap = child<QRadioButton>(dialog, "rbSwap");
  EXPECT_EQ(rbReverse->text(), QStringLiteral("разворот бит в байте"));
  EXPECT_EQ(rbSwap->text(), QStringLiteral("перестановка соседних байт"));
  EXPECT_TRUE(rbReverse->isChecked());
  EXPECT_FALSE(rbSwap->isChecked());
  EXPECT_NE(dialog.findChild<Tfr_select*>(QStringLiteral("fSelect")), nullptr);
}

TEST(SwapDialog, OkRearrangesThePacketsInScope) {
  struct row {
    std::string name;
    bool swap_bytes;
    bool unselected_only;
    contents expected;
    int32_t changed;
  };
  const row rows[] = {
      {"reverse, all", false, false, {{0x80, 0x40, 0xC0}, {0x20}}, 2},
      {"swap, all", true, false, {{2, 1, 3}, {4}}, 1},
      {"swap, unselected only", true, true, {{2, 1, 3}, {4}}, 1},
      {"reverse, unselected only", false, true, {{0x80, 0x40, 0xC0}, {4}}, 1},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({{1, 2, 3}, {4}}, {colour_white, red});
    TfSigSwap dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      if (r.swap_bytes) child<QRadioButton>(d, "rbSwap")->click();
      if (r.unselected_only) {
        auto* frame = d.findChild<Tfr_select*>(QStringLiteral("fSelect"));
        child<QRadioButton>(*frame, "rbUnselectedPakets")->click();
      }
      child<QToolButton>(d, "btnOk")->click();
    };
    const PLUGIN_RESULT result = dialog.Execute(0, s.store);
    EXPECT_EQ(s.contents(), r.expected) << r.name;
    EXPECT_EQ(result.processed, 2) << r.name;
    EXPECT_EQ(result.changed, r.changed) << r.name;
    EXPECT_FALSE(result.modified) << r.name;
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << r.name;
    EXPECT_TRUE(ui.messages.empty()) << r.name;
  }
}

TEST(SwapDialog, CancelDuringALongPassKeepsTheRestAsItWas) {
  std::vector<bytes> many(20000, bytes{1, 2});
  ui_capture ui;
  test_store s(many);
  TfSigSwap dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    child<QRadioButton>(d, "rbSwap")->click();
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  EXPECT_EQ(result.changed, result.processed);
  const contents after = s.contents();
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_EQ(after[i], (i < static_cast<size_t>(result.processed) ? bytes{2, 1} : bytes{1, 2}))
        << i;
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
