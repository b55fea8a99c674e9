#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <string>
#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/operations/sort_len_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using colours = std::vector<uint32_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t white = colour_white;

colours colours_of(test_store& s) {
  colours all;
  for (const auto& [number, p] : s.store) all.push_back(p->colour);
  return all;
}

}  // namespace

TEST(SortLenDialog, Controls) {
  TfSortLen dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("отбор по длинам"));
  EXPECT_EQ(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("SIGSortLen"));
  EXPECT_EQ(child<QLabel>(dialog, "lblHeader")->text(), QStringLiteral("длина пакета"));
  auto* cbOp = child<QComboBox>(dialog, "cbOp");
  ASSERT_EQ(cbOp->count(), 4);
  const char* texts[] = {"равна", "не равна", "меньше", "больше"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cbOp->itemText(i), QString::fromUtf8(texts[i]));
  EXPECT_EQ(cbOp->currentIndex(), 0);
  auto* edVal = child<QSpinBox>(dialog, "edVal");
  EXPECT_EQ(edVal->minimum(), 1);
  EXPECT_EQ(edVal->value(), 1);
  EXPECT_NE(dialog.findChild<Tfr_select*>(QStringLiteral("fSelect")), nullptr);
  auto* fColors = dialog.findChild<Tfr_colors*>(QStringLiteral("fColors"));
  ASSERT_NE(fColors, nullptr);
  EXPECT_EQ(fColors->ChosenColour(), red);
  EXPECT_EQ(fColors->caption()->text(), QStringLiteral("подкраска результата"));
  // The unit label follows the number.
  bool unit_seen = false;
  for (const QLabel* l : dialog.findChildren<QLabel*>()) unit_seen |= l->text() == "байт";
  EXPECT_TRUE(unit_seen);
}

TEST(SortLenDialog, OkColoursTheMatchesInScope) {
  struct row {
    std::string name;
    int op;
    int value;
    uint32_t colour;
    uint32_t scope_colour;  // 0: all packets; white: the unselected ones
    colours expected;
    int32_t recoloured;
  };
  // Packets of 1, 2, 3 and 4 bytes, coloured white, blue, white, red.
  const row rows[] = {
      {"equal 2", 0, 2, red, 0, {white, red, white, red}, 1},
      {"not equal 2", 1, 2, red, 0, {red, blue, red, red}, 3},
      {"less 3 includes 3", 2, 3, red, 0, {red, red, red, red}, 3},
      {"greater 3, red already counts", 3, 3, red, 0, {white, blue, red, red}, 2},
      {"unselected only, blue", 3, 1, blue, white, {blue, blue, blue, red}, 2},
      {"red only", 1, 9, blue, red, {white, blue, white, blue}, 1},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({bytes(1), bytes(2), bytes(3), bytes(4)}, {white, blue, white, red});
    TfSortLen dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      child<QComboBox>(d, "cbOp")->setCurrentIndex(r.op);
      child<QSpinBox>(d, "edVal")->setValue(r.value);
      d.findChild<Tfr_colors*>(QStringLiteral("fColors"))->Choose(r.colour);
      auto* scope_frame = d.findChild<Tfr_select*>(QStringLiteral("fSelect"));
      if (r.scope_colour == white) {
        child<QRadioButton>(*scope_frame, "rbUnselectedPakets")->click();
      } else if (r.scope_colour != 0) {
        child<QRadioButton>(*scope_frame, "rbSelectedPakets")->click();
        scope_frame->colours()->Choose(r.scope_colour);
      }
      child<QToolButton>(d, "btnOk")->click();
    };
    const PLUGIN_RESULT result = dialog.Execute(0, s.store);
    EXPECT_EQ(colours_of(s), r.expected) << r.name;
    EXPECT_EQ(result.recoloured, r.recoloured) << r.name;
    EXPECT_EQ(result.processed, 4) << r.name;
    EXPECT_FALSE(marks_unsaved(result)) << r.name;
    EXPECT_FALSE(result.modified) << r.name;
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << r.name;
    EXPECT_TRUE(ui.messages.empty()) << r.name;
  }
}

TEST(SortLenDialog, CancelDuringALongPassKeepsTheRestUncoloured) {
  ui_capture ui;
  test_store s(std::vector<bytes>(20000, bytes{1, 2}));
  TfSortLen dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    child<QSpinBox>(d, "edVal")->setValue(2);
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  EXPECT_EQ(result.recoloured, result.processed);
  const colours after = colours_of(s);
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_EQ(after[i], i < static_cast<size_t>(result.processed) ? red : white) << i;
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
