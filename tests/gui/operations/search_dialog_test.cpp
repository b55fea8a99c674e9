#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/grid/packet_grid.h"
#include "gui/operations/search_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using colours = std::vector<uint32_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint16_t find = 0;
constexpr uint16_t find_next = 1;

std::unique_ptr<QSettings> settings() {
  auto s = std::make_unique<QSettings>(TfSigFind::organisation(), TfSigFind::application());
  s->beginGroup(TfSigFind::settings_group());
  return s;
}

// What the user does in the dialog before OK.
struct entry {
  const char* kind = "rbText";
  QString pattern;
  const char* direction = "rbAll";
  bool all_matches = false;
};

void fill(TPelorin_Plugin& d, const entry& e) {
  child<QRadioButton>(d, e.kind)->click();
  child<QLineEdit>(d, "edVal")->setText(e.pattern);
  child<QRadioButton>(d, e.direction)->click();
  child<QRadioButton>(d, e.all_matches ? "rbAllMatch" : "rbNextMatch")->click();
}

// A grid over a test store, with the current cell placed.
class SearchDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { settings()->remove(QString()); }
  void TearDown() override { settings()->remove(QString()); }

  void open(const std::vector<bytes>& packets, const colours& c = {}) {
    s = std::make_unique<test_store>(packets, c);
    grid.resize(400, 300);
    grid.setStore(&s->store);
    grid.RecountPackets();
    grid.show();
  }
  // One command with a new dialog, as the dispatcher runs it.
  PLUGIN_RESULT run(uint16_t command, std::function<void(TPelorin_Plugin&)> on_show = {}) {
    TfSigFind dialog(nullptr);
    dialog.SetGrid(&grid);
    ui.on_show = std::move(on_show);
    const PLUGIN_RESULT r = dialog.Execute(command, s->store);
    permission = dialog.canFindNext();
    return r;
  }
  PLUGIN_RESULT search_with(const entry& e) {
    return run(find, [&e](TPelorin_Plugin& d) {
      fill(d, e);
      child<QToolButton>(d, "btnOk")->click();
    });
  }
  [[nodiscard]] colours colours_now() const {
    colours all;
    for (const auto& [number, p] : s->store) all.push_back(p->colour);
    return all;
  }

  ui_capture ui;
  TPacketGrid grid;
  std::unique_ptr<test_store> s;
  bool permission = false;
};

}  // namespace

TEST_F(SearchDialogTest, ControlsAndCaptions) {
  TfSigFind dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("поиск"));
  EXPECT_EQ(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("SIGSearch"));
  const std::pair<const char*, const char*> radios[] = {
      {"rbText", "поиск текстовой строки"},
      {"rbBin", "поиск двоичной последовательности"},
      {"rbAll", "с начала и до конца"},
      {"rbDown", "искать вниз от текущего пакета"},
      {"rbUp", "искать вверх от текущего пакета"},
      {"rbNextMatch", "поиск до первого подходящего пакета"},
      {"rbAllMatch", "поиск по всему сигналу"},
  };
  for (const auto& [name, caption] : radios) {
    EXPECT_EQ(child<QRadioButton>(dialog, name)->text(), QString::fromUtf8(caption)) << name;
  }
  for (const char* on : {"rbText", "rbAll", "rbNextMatch"}) {
    EXPECT_TRUE(child<QRadioButton>(dialog, on)->isChecked()) << on;
  }
  // A click on a checked button keeps it checked and leaves the other groups alone.
  for (const char* on : {"rbText", "rbAll", "rbNextMatch", "rbBin", "rbBin", "rbText"}) {
    child<QRadioButton>(dialog, on)->click();
    EXPECT_TRUE(child<QRadioButton>(dialog, on)->isChecked()) << on;
    const QList<QRadioButton*> all = dialog.findChildren<QRadioButton*>();
    const auto checked = std::count_if(all.cbegin(), all.cend(),
                                       [](const QRadioButton* b) { return b->isChecked(); });
    EXPECT_EQ(checked, 3) << on;
  }
  EXPECT_EQ(child<QGroupBox>(dialog, "gbScope")->title(), QStringLiteral("область"));
  EXPECT_EQ(child<QGroupBox>(dialog, "gbAmout")->title(), QStringLiteral("ограничения"));
  EXPECT_TRUE(child<QLineEdit>(dialog, "edVal")->text().isEmpty());
  auto* fColor = child<Tfr_colors>(dialog, "fColor");
  EXPECT_EQ(fColor->caption()->text(), QStringLiteral("выделять найденные пакеты:"));
  EXPECT_EQ(fColor->ChosenColour(), red);
  dialog.show();
  EXPECT_FALSE(fColor->isVisible());
  child<QRadioButton>(dialog, "rbAllMatch")->click();
  EXPECT_TRUE(fColor->isVisible());
  child<QRadioButton>(dialog, "rbNextMatch")->click();
  EXPECT_FALSE(fColor->isVisible());
  // Every control lies inside the window.
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    if (w->isWindow() || w->objectName().isEmpty()) continue;
    const QRect r(w->mapTo(&dialog, QPoint(0, 0)), w->size());
    EXPECT_TRUE(dialog.rect().contains(r)) << w->objectName().toStdString();
  }
}

TEST_F(SearchDialogTest, BadPatternsShowTheirMessageAndClearThePermission) {
  struct row {
    entry e;
    const char* message;
  };
  const row rows[] = {
      {{"rbText", ""}, "Необходимо значение в поле 'искать...'.   "},
      {{"rbBin", ""}, "Необходимо значение в поле 'искать...'.   "},
      {{"rbText", QString(33, QLatin1Char('x'))},
       "Значение в поле 'искать...' не более 32 символов.   "},
      {{"rbBin", QString(33, QLatin1Char('1'))},
       "Значение в поле 'искать...' не более 32 символов.   "},
      {{"rbBin", QStringLiteral("10 1")}, "Недопустимые символы в поле 'искать...'.   "},
      {{"rbBin", QStringLiteral("12")}, "Недопустимые символы в поле 'искать...'.   "},
      // The grid's code page has no such character.
      {{"rbText", QStringLiteral("A中")}, "Недопустимые символы в поле 'искать...'.   "},
  };
  open({{0x41}});
  for (const row& r : rows) {
    settings()->setValue(QStringLiteral("CanFindNext"), 1);
    ui.messages.clear();
    run(find, [&r](TPelorin_Plugin& d) {
      fill(d, r.e);
      child<QRadioButton>(d, "rbAll")->setFocus();
      child<QToolButton>(d, "btnOk")->click();
      EXPECT_TRUE(d.isVisible());
      EXPECT_EQ(d.focusWidget(), child<QLineEdit>(d, "edVal"));
      child<QToolButton>(d, "btnCancel")->click();
    });
    ASSERT_EQ(ui.messages.size(), 1u) << r.message;
    EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
    EXPECT_EQ(ui.last_text(), QString::fromUtf8(r.message));
    EXPECT_FALSE(permission) << r.message;
    EXPECT_EQ(settings()->value(QStringLiteral("CanFindNext")).toInt(), 0) << r.message;
  }
}

TEST_F(SearchDialogTest, FirstMatchMovesTheGridAndSwitchesTheView) {
  struct row {
    const char* name;
    std::vector<bytes> packets;
    entry e;
    int current_row;  // before the search
    int column, row;  // after it
    view_mode mode;
  };
  const bytes none = {0x00, 0x00};
  const row rows[] = {
      {"AB at the start", {none, {0x41, 0x42, 0x43}}, {"rbText", "AB"}, 1, 1, 2, view_mode::text},
      {"Cyrillic text", {{0x20, 0xC6, 0xE6}, none}, {"rbText", "Жж"}, 1, 2, 1, view_mode::text},
      {"101 at bit 8", {none, none, {0x00, 0x05}}, {"rbBin", "101"}, 1, 2, 3, view_mode::binary},
      {"32 characters of text",
       {none, bytes(33, 0x61)},
       {"rbText", QString(32, QLatin1Char('a'))},
       1,
       1,
       2,
       view_mode::text},
      {"32 bits",
       {{0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
       {"rbBin", QString(32, QLatin1Char('1'))},
       1,
       2,
       1,
       view_mode::binary},
      {"down skips the current packet",
       {{0x41}, {0x41}, none, {0x41}},
       {"rbText", "A", "rbDown"},
       2,
       1,
       4,
       view_mode::text},
      {"up from the second packet",
       {{0x41}, {0x41}},
       {"rbText", "A", "rbUp"},
       2,
       1,
       1,
       view_mode::text},
      {"up takes the nearest above",
       {{0x41}, {0x41}, none, none},
       {"rbText", "A", "rbUp"},
       4,
       1,
       2,
       view_mode::text},
  };
  for (const row& r : rows) {
    open(r.packets);
    grid.SetViewMode(0);
    grid.setCurrentCell(3, r.current_row);
    const PLUGIN_RESULT result = search_with(r.e);
    EXPECT_TRUE(ui.messages.empty()) << r.name << ": " << ui.last_text().toStdString();
    EXPECT_EQ(grid.currentColumn(), r.column) << r.name;
    EXPECT_EQ(grid.currentRow(), r.row) << r.name;
    EXPECT_EQ(grid.viewMode(), r.mode) << r.name;
    EXPECT_TRUE(permission) << r.name;
    EXPECT_EQ(result.processed, 0) << r.name;
    EXPECT_FALSE(marks_unsaved(result) || result.modified) << r.name;
    ui.messages.clear();
  }
}

TEST_F(SearchDialogTest, TheMatchScrollsToTheTopLeft) {
  // Wide and long enough that the match's row and column can both become the first in view.
  std::vector<bytes> packets(300, bytes(200, 0x00));
  packets[250][30] = 0x41;
  open(packets);
  search_with({"rbText", "A"});
  EXPECT_EQ(grid.currentRow(), 251);
  EXPECT_EQ(grid.firstVisibleRow(), 251);
  EXPECT_EQ(grid.firstVisibleColumn(), 31);
}

TEST_F(SearchDialogTest, NothingFoundShowsThePatternAndLeavesTheCursor) {
  const std::pair<entry, int> rows[] = {
      {{"rbText", "Zz"}, 1},
      {{"rbText", "A", "rbUp"}, 1},    // up from the first packet
      {{"rbText", "B", "rbDown"}, 2},  // the match lies above
      {{"rbBin", "111"}, 1},
  };
  for (const auto& [e, current_row] : rows) {
    open({{0x41}, {0x42}, {0x05}});
    settings()->setValue(QStringLiteral("CanFindNext"), 1);
    grid.setCurrentCell(1, current_row);
    ui.messages.clear();
    search_with(e);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.last_text(), QStringLiteral("Не найдено: ") + e.pattern + QStringLiteral(".   "));
    EXPECT_EQ(grid.currentRow(), current_row);
    EXPECT_FALSE(permission);
  }
}

TEST_F(SearchDialogTest, FindNextRepeatsUntilTheSearchFails) {
  open({{0x41}, {0x00}, {0x41}, {0x00}, {0x41}});
  // Find next before any search does nothing.
  const int start_row = grid.currentRow();
  run(find_next);
  EXPECT_EQ(ui.modal_runs, 0);
  EXPECT_EQ(grid.currentRow(), start_row);

  grid.setCurrentCell(1, 1);
  search_with({"rbText", "A", "rbUp"});  // up from the first packet: not found
  ASSERT_EQ(ui.messages.size(), 1u);
  run(find_next);
  EXPECT_EQ(ui.messages.size(), 1u);

  grid.setCurrentCell(1, 2);
  search_with({"rbText", "A", "rbUp"});
  EXPECT_EQ(grid.currentRow(), 1);
  ASSERT_EQ(ui.modal_runs, 2);
  // Find next goes down whatever the direction, without opening the dialog.
  for (const int expected : {3, 5}) {
    run(find_next);
    EXPECT_EQ(grid.currentRow(), expected);
    EXPECT_TRUE(permission);
  }
  EXPECT_EQ(ui.modal_runs, 2);
  EXPECT_EQ(ui.messages.size(), 1u);
  run(find_next);
  EXPECT_EQ(ui.last_text(), QStringLiteral("Не найдено: A.   "));
  EXPECT_FALSE(permission);
  grid.setCurrentCell(1, 1);
  run(find_next);
  EXPECT_EQ(grid.currentRow(), 1);
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.modal_runs, 2);
}

TEST_F(SearchDialogTest, FindNextRefusesAPatternLeftBadByCancel) {
  open({{0x41}, {0x41}});
  grid.setCurrentCell(1, 1);
  search_with({"rbText", "A"});
  ASSERT_TRUE(permission);
  // The text and kind are kept after Cancel, the permission too.
  run(find, [](TPelorin_Plugin& d) {
    fill(d, {"rbBin", "A"});
    child<QToolButton>(d, "btnCancel")->click();
  });
  ASSERT_TRUE(permission);
  run(find_next);
  EXPECT_EQ(ui.last_text(), QStringLiteral("Недопустимые символы в поле 'искать...'.   "));
  EXPECT_FALSE(permission);
  EXPECT_EQ(grid.currentRow(), 1);
}

TEST_F(SearchDialogTest, AllMatchesColoursTheRangeAndLeavesTheCursor) {
  open({{0x41}, {0x42}, {0x41, 0x41}, {0x41}}, {blue, blue, colour_white, colour_white});
  settings()->setValue(QStringLiteral("CanFindNext"), 1);
  grid.SetViewMode(1);
  grid.setCurrentCell(1, 2);
  const PLUGIN_RESULT result = run(find, [](TPelorin_Plugin& d) {
    fill(d, {"rbText", "A", "rbDown", true});
    child<Tfr_colors>(d, "fColor")->Choose(0x00FF00);
    child<QToolButton>(d, "btnOk")->click();
  });
  EXPECT_EQ(colours_now(), (colours{blue, blue, 0x00FF00, 0x00FF00}));
  EXPECT_EQ(grid.currentRow(), 2);
  EXPECT_EQ(grid.currentColumn(), 1);
  EXPECT_EQ(grid.viewMode(), view_mode::hexadecimal);
  EXPECT_FALSE(permission);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(result.processed, 0);
  EXPECT_EQ(result.recoloured, 0);
}

TEST_F(SearchDialogTest, CancelStopsALongAllMatchesSearch) {
  open(std::vector<bytes>(20000, bytes{0x41}));
  TfSigFind dialog(nullptr);
  dialog.SetGrid(&grid);
  dialog.setEventInterval(0);
  ui.on_show = [](TPelorin_Plugin& d) {
    fill(d, {"rbText", "A", "rbAll", true});
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  dialog.Execute(find, s->store);
  const colours c = colours_now();
  const auto coloured = std::count(c.begin(), c.end(), red);
  EXPECT_GT(coloured, 0);
  EXPECT_LT(coloured, 20000);
  // The colouring stops where Cancel came: a run of red, then white.
  EXPECT_TRUE(std::is_partitioned(c.begin(), c.end(), [](uint32_t v) { return v == red; }));
  EXPECT_GT(dialog.gaugePosition(), 0);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(SearchDialogTest, SettingsAreWrittenAfterCancelAndReadByTheNextDialog) {
  open({{0x00}});
  run(find, [](TPelorin_Plugin& d) {
    fill(d, {"rbBin", "0110", "rbUp"});
    child<QToolButton>(d, "btnCancel")->click();
  });
  const auto stored = settings();
  EXPECT_EQ(stored->value(QStringLiteral("FindText")).toInt(), 0);
  EXPECT_EQ(stored->value(QStringLiteral("SearchValue")).toString(), QStringLiteral("0110"));
  EXPECT_EQ(stored->value(QStringLiteral("FindAll")).toInt(), 0);
  EXPECT_EQ(stored->value(QStringLiteral("FindUp")).toInt(), 1);
  EXPECT_EQ(stored->value(QStringLiteral("FindDown")).toInt(), 0);
  EXPECT_EQ(stored->value(QStringLiteral("CanFindNext")).toInt(), 0);

  auto checked = [](TPelorin_Plugin& d, const char* name) {
    return child<QRadioButton>(d, name)->isChecked();
  };
  run(find, [&](TPelorin_Plugin& d) {
    EXPECT_TRUE(checked(d, "rbBin"));
    EXPECT_FALSE(checked(d, "rbText"));
    EXPECT_EQ(child<QLineEdit>(d, "edVal")->text(), QStringLiteral("0110"));
    EXPECT_TRUE(checked(d, "rbUp"));
    EXPECT_TRUE(checked(d, "rbNextMatch"));  // the mode is not kept
    d.reject();
  });
  // Directions are read only as a set of three.
  settings()->remove(QStringLiteral("FindDown"));
  run(find, [&](TPelorin_Plugin& d) {
    EXPECT_TRUE(checked(d, "rbAll"));
    EXPECT_TRUE(checked(d, "rbBin"));
    d.reject();
  });
  EXPECT_EQ(settings()->value(QStringLiteral("FindAll")).toInt(), 1);
}
