#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/grid/packet_grid.h"
#include "gui/operations/defrag_dialog.h"
#include "gui/operations/demux_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t green = 0x00FF00;

struct grid_on {
  explicit grid_on(PAKETS& store) {
    grid.setStore(&store);
    grid.RecountPackets();
  }
  ~grid_on() { grid.setStore(nullptr); }
  grid_on(const grid_on&) = delete;
  grid_on& operator=(const grid_on&) = delete;
  TPacketGrid grid;
};

TEST(DemuxDialog, WithoutMarkedColumnsItRefusesBeforeOpening) {
  ui_capture ui;
  test_store s({{1, 2, 3}});
  grid_on g(s.store);
  TfSigDemux dialog(nullptr);
  dialog.SetGrid(&g.grid);
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(ui.modal_runs, 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.last_text(), QStringLiteral("Необходимо выделить столбцы.    "));
  EXPECT_EQ(result.processed, 0);
  EXPECT_EQ(s.contents(), (contents{{1, 2, 3}}));
}

TEST(DemuxDialog, RemoveModeOnTheMarkedColumnsClearsTheMark) {
  ui_capture ui;
  test_store s({{0x10, 0x11, 0x12, 0x13, 0x14}, {0x10}});
  grid_on g(s.store);
  g.grid.setColumnRange(2, 4);
  TfSigDemux dialog(nullptr);
  dialog.SetGrid(&g.grid);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("демультиплексор"));
  ui.on_show = [](TPelorin_Plugin& d) {
    EXPECT_EQ(child<QLabel>(d, "lblRange")->text(), QStringLiteral("выделены столбцы с 2 по 4"));
    EXPECT_TRUE(child<QRadioButton>(d, "rbLeave")->isChecked());
    child<QRadioButton>(d, "rbDel")->click();
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(s.contents(), (contents{{0x10, 0x14}, {0x10}}));
  EXPECT_EQ(result.changed, 2);
  EXPECT_TRUE(result.modified);
  EXPECT_EQ(g.grid.rangeFirst(), 0);
  EXPECT_EQ(g.grid.rangeLast(), 0);
}

TEST(DefragDialog, RowsFollowTheirCheckBoxes) {
  TfSigDefrag dialog(nullptr);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("дефрагментатор"));
  EXPECT_TRUE(child<QCheckBox>(dialog, "cbMiddle")->isChecked());
  EXPECT_FALSE(child<QCheckBox>(dialog, "cbEnd")->isChecked());
  EXPECT_TRUE(child<Tfr_colors>(dialog, "fCMiddle")->isVisible());
  EXPECT_FALSE(child<Tfr_colors>(dialog, "fCEnd")->isVisible());
  EXPECT_FALSE(child<QSpinBox>(dialog, "edBEnd")->isEnabled());
  EXPECT_EQ(child<Tfr_colors>(dialog, "fCStart")->caption()->text(),
            QStringLiteral("цвет первых пакетов"));
  child<QCheckBox>(dialog, "cbEnd")->click();
  child<QCheckBox>(dialog, "cbMiddle")->click();
  EXPECT_TRUE(child<Tfr_colors>(dialog, "fCEnd")->isVisible());
  EXPECT_TRUE(child<QSpinBox>(dialog, "edEEnd")->isEnabled());
  EXPECT_FALSE(child<Tfr_colors>(dialog, "fCMiddle")->isVisible());
  EXPECT_FALSE(child<QSpinBox>(dialog, "edBMiddle")->isEnabled());
  EXPECT_EQ(child<QSpinBox>(dialog, "edBStart")->maximum(), 100);
}

TEST(DefragDialog, JoinsTheColouredFragmentsAndNamesOverlongPackets) {
  ui_capture ui;
  test_store s({{1, 2, 0xEE, 0xEE}, {0x0F, 3, 4, 0x0E}, bytes(8192, 1), {0x0F, 5, 6, 0x0E}, {7}},
               {red, blue, colour_white, green, colour_white});
  TfSigDefrag dialog(nullptr);
  ui.on_show = [](TPelorin_Plugin& d) {
    child<QSpinBox>(d, "edBStart")->setValue(2);
    child<Tfr_colors>(d, "fCMiddle")->Choose(blue);
    child<QSpinBox>(d, "edBMiddle")->setValue(1);
    child<QSpinBox>(d, "edEMiddle")->setValue(1);
    child<QCheckBox>(d, "cbEnd")->click();
    child<Tfr_colors>(d, "fCEnd")->Choose(green);
    child<QSpinBox>(d, "edBEnd")->setValue(1);
    child<QSpinBox>(d, "edEEnd")->setValue(1);
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(s.contents(), (contents{bytes(8192, 1), {1, 2, 3, 4, 5, 6}, {7}}));
  EXPECT_EQ(result.deleted, 3);
  EXPECT_EQ(result.joined, 1u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(
      ui.last_text(),
      QStringLiteral("Пакет номер 2: длина превышает размер буфера. Пакет будет пропущен.   "));
}

}  // namespace
