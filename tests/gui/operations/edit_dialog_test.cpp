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
#include "gui/grid/packet_grid.h"
#include "gui/operations/edit_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t red = 0x0000FF;

}  // namespace

TEST(EditDialog, ControlsAndModeSwitching) {
  TfSigEdit dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("изменение значения"));
  EXPECT_EQ(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("SIGEdit"));
  auto* rbBytes = child<QRadioButton>(dialog, "rbBytes");
  auto* rbBits = child<QRadioButton>(dialog, "rbBits");
  auto* lblPos = child<QLabel>(dialog, "lblPos");
  auto* edPos = child<QSpinBox>(dialog, "edPos");
  auto* cbVal = child<QComboBox>(dialog, "cbVal");
  EXPECT_EQ(rbBytes->text(), QStringLiteral("изменить значение байт"));
  EXPECT_EQ(rbBits->text(), QStringLiteral("изменить значение бит"));
  EXPECT_TRUE(rbBytes->isChecked());
  EXPECT_EQ(lblPos->text(), QStringLiteral("номер байта:"));
  EXPECT_TRUE(has_label(dialog, QStringLiteral("изменить на:")));
  EXPECT_EQ(edPos->minimum(), 1);
  EXPECT_EQ(edPos->maximum(), 255);
  ASSERT_EQ(cbVal->count(), 2);
  EXPECT_EQ(cbVal->itemText(0), QStringLiteral("0"));
  EXPECT_EQ(cbVal->itemText(1), QStringLiteral("1"));
  EXPECT_TRUE(cbVal->isEditable());
  EXPECT_EQ(cbVal->currentText(), QString());
  EXPECT_NE(dialog.findChild<Tfr_select*>(QStringLiteral("fSelect")), nullptr);

  cbVal->setEditText(QStringLiteral("77"));
  rbBits->click();
  EXPECT_EQ(lblPos->text(), QStringLiteral("номер бита:"));
  EXPECT_FALSE(cbVal->isEditable());
  EXPECT_EQ(cbVal->currentText(), QStringLiteral("0"));
  cbVal->setCurrentIndex(1);
  rbBytes->click();
  EXPECT_EQ(lblPos->text(), QStringLiteral("номер байта:"));
  EXPECT_TRUE(cbVal->isEditable());
  EXPECT_EQ(cbVal->currentText(), QStringLiteral("1"));
}

TEST(EditDialog, PositionOpensAtTheGridsCurrentByteColumn) {
  test_store s({bytes(300, 0)});
  TPacketGrid grid;
  grid.setStore(&s.store);
  grid.RecountPackets();
  struct row {
    int column;
    int shown;
  };
  for (const row r : {row{5, 5}, row{1, 1}, row{0, 1}, row{255, 255}, row{300, 255}}) {
    ui_capture ui;
    grid.setCurrentCell(r.column, 1);
    TfSigEdit dialog(nullptr);
    dialog.SetGrid(&grid);
    int shown = -1;
    ui.on_show = [&](TPelorin_Plugin& d) {
      shown = child<QSpinBox>(d, "edPos")->value();
      d.reject();
    };
    dialog.Execute(0, s.store);
    EXPECT_EQ(shown, r.shown) << r.column;
  }
  grid.setStore(nullptr);
}

TEST(EditDialog, BadValueShowsTheMessageAndFocusesTheValue) {
  for (const char* bad : {"", "abc", "1.5", "0x10", "99999999999"}) {
    ui_capture ui;
    test_store s({{1, 2, 3}});
    TfSigEdit dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      child<QComboBox>(d, "cbVal")->setEditText(QString::fromLatin1(bad));
      child<QSpinBox>(d, "edPos")->setFocus();
      child<QToolButton>(d, "btnOk")->click();
      EXPECT_TRUE(d.isVisible()) << bad;
      EXPECT_EQ(d.focusWidget(), child<QComboBox>(d, "cbVal")) << bad;
      child<QToolButton>(d, "btnCancel")->click();
    };
    const PLUGIN_RESULT result = dialog.Execute(0, s.store);
    ASSERT_EQ(ui.messages.size(), 1u) << bad;
    EXPECT_EQ(ui.last_text(), QStringLiteral("Недопустимые символы в поле 'изменить на'.   "));
    EXPECT_EQ(s.contents(), (contents{{1, 2, 3}})) << bad;
    EXPECT_EQ(result.processed, 0);
  }
}

TEST(EditDialog, OkWritesThePacketsInScope) {
  struct row {
    std::string name;
    bool bits;
    int position;
    const char* value;  // null: pick item 1 of the list in bit mode
    bool red_only;
    contents expected;
    int32_t changed;
  };
  const row rows[] = {
      {"byte 3 to 255", false, 3, "255", false, {{0, 0}, {0, 0, 255}, {0, 0, 255, 0}}, 2},
      {"300 writes 44", false, 1, "300", false, {{44, 0}, {44, 0, 0}, {44, 0, 0, 0}}, 3},
      {"-1 writes 255", false, 2, "-1", true, {{0, 0}, {0, 255, 0}, {0, 0, 0, 0}}, 1},
      {"bit 9 set", true, 9, nullptr, false, {{0, 1}, {0, 1, 0}, {0, 1, 0, 0}}, 3},
      {"bit 17, first item", true, 17, "", false, {{0, 0}, {0, 0, 0}, {0, 0, 0, 0}}, 2},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({{0, 0}, {0, 0, 0}, {0, 0, 0, 0}}, {colour_white, red, colour_white});
    TfSigEdit dialog(nullptr);
    ui.on_show = [&](TPelorin_Plugin& d) {
      auto* cbVal = child<QComboBox>(d, "cbVal");
      if (r.bits) {
        child<QRadioButton>(d, "rbBits")->click();
        if (r.value == nullptr) cbVal->setCurrentIndex(1);
      } else {
        cbVal->setEditText(QString::fromLatin1(r.value));
      }
      child<QSpinBox>(d, "edPos")->setValue(r.position);
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

TEST(EditDialog, CancelDuringALongPassKeepsTheRestAsItWas) {
  std::vector<bytes> many(20000, bytes{1, 2});
  ui_capture ui;
  test_store s(many);
  TfSigEdit dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    child<QComboBox>(d, "cbVal")->setEditText(QStringLiteral("9"));
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  EXPECT_EQ(result.changed, result.processed);
  const contents after = s.contents();
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_EQ(after[i], (i < static_cast<size_t>(result.processed) ? bytes{9, 2} : bytes{1, 2}))
        << i;
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
