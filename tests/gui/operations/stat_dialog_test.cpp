#include <gtest/gtest.h>

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>

#include <string>
#include <vector>

#include "gui/grid/packet_grid.h"
#include "gui/operations/stat_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using table = std::vector<std::vector<QString>>;

// The result table as texts, the header row first.
table table_texts(QWidget& d) {
  const QAbstractItemModel* m = child<QTableView>(d, "tGrid")->model();
  table t(1);
  for (int c = 0; c < m->columnCount(); ++c) {
    t[0].push_back(m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
  }
  for (int r = 0; r < m->rowCount(); ++r) {
    t.emplace_back();
    for (int c = 0; c < m->columnCount(); ++c) t.back().push_back(m->index(r, c).data().toString());
  }
  return t;
}

const std::vector<QString> header = {"   1", "   2", "   3", "   4", "   5", "  пакетов", "  %"};

QString share(const char* text) {
  return QString::fromLatin1(text).replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}

// The bars of the chart: their labels and values.
std::vector<qreal> bar_values(QWidget& d) {
  QChart* chart = child<QChartView>(d, "chStat")->chart();
  std::vector<qreal> values;
  for (QAbstractSeries* s : chart->series()) {
    for (QBarSet* set : static_cast<QBarSeries*>(s)->barSets()) {
      for (int i = 0; i < set->count(); ++i) values.push_back(set->at(i));
    }
  }
  return values;
}

void set_positions(QWidget& d, std::vector<int> values) {
  values.resize(5, 0);
  for (int i = 0; i < 5; ++i) {
    child<QSpinBox>(d, ("edE" + std::to_string(i + 1)).c_str())->setValue(values[i]);
  }
}

}  // namespace

TEST(StatDialog, ControlsAndModeSwitching) {
  TfSigStat dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("статистика"));
  EXPECT_EQ(child<QLabel>(dialog, "lblTitle")->text(), QStringLiteral("SIGStat"));
  auto* rbBytes = child<QRadioButton>(dialog, "rbBytes");
  auto* rbBits = child<QRadioButton>(dialog, "rbBits");
  auto* rbLen = child<QRadioButton>(dialog, "rbLen");
  EXPECT_EQ(rbBytes->text(), QStringLiteral("статистика на значения байтов"));
  EXPECT_EQ(rbBits->text(), QStringLiteral("cтатистика на значения битов"));
  EXPECT_EQ(rbBits->text().at(0), QLatin1Char('c'));
  EXPECT_EQ(rbLen->text(), QStringLiteral("статистика на длины пакетов"));
  EXPECT_TRUE(rbBytes->isChecked());
  EXPECT_EQ(child<QPushButton>(dialog, "btnSaveCsv")->text(), QStringLiteral("Сохранить в CSV..."));
  auto* lblElem = child<QLabel>(dialog, "lblElem");
  EXPECT_EQ(lblElem->text(), QStringLiteral("выберите номера байт для статистики:"));
  EXPECT_EQ(table_texts(dialog), table{header});

  rbBits->click();
  EXPECT_EQ(lblElem->text(), QStringLiteral("выберите номера бит для статистики:"));
  rbLen->click();
  EXPECT_EQ(lblElem->text(), QString());
  for (const char* name : {"edE1", "edE2", "edE3", "edE4", "edE5"}) {
    EXPECT_FALSE(child<QSpinBox>(dialog, name)->isEnabled()) << name;
  }
  rbBytes->click();
  EXPECT_EQ(lblElem->text(), QStringLiteral("выберите номера байт для статистики:"));
  EXPECT_TRUE(child<QSpinBox>(dialog, "edE5")->isEnabled());

  // The gauge, Cancel and OK stay inside the larger window, on its bottom row.
  for (const char* name : {"panProgress", "btnCancel", "btnOk"}) {
    const QWidget* w = child<QWidget>(dialog, name);
    EXPECT_TRUE(dialog.rect().contains(w->geometry())) << name;
    EXPECT_GE(w->y(), child<QWidget>(dialog, "gbParams")->geometry().bottom()) << name;
  }
}

TEST(StatDialog, TwoModesInOneDialog) {
  ui_capture ui;
  test_store s({bytes(10, 1), bytes(10, 1), bytes(12, 2)});
  TfSigStat dialog(nullptr);
  table bytes_table, lengths_table;
  QString bytes_count, lengths_count;
  std::vector<qreal> bytes_bars, lengths_bars;
  ui.on_show = [&](TPelorin_Plugin& d) {
    set_positions(d, {1, 11});
    child<QToolButton>(d, "btnOk")->click();
    EXPECT_TRUE(d.isVisible());
    bytes_table = table_texts(d);
    bytes_count = child<QLabel>(d, "lblCount")->text();
    bytes_bars = bar_values(d);

    child<QRadioButton>(d, "rbLen")->click();
    child<QToolButton>(d, "btnOk")->click();
    EXPECT_TRUE(d.isVisible());
    lengths_table = table_texts(d);
    lengths_count = child<QLabel>(d, "lblCount")->text();
    lengths_bars = bar_values(d);
    child<QToolButton>(d, "btnCancel")->click();
  };
  const PLUGIN_RESULT r = dialog.Execute(0, s.store);
  // Byte 11 is missing from the packets of 10 bytes: an empty cell, sorted after the values.
  EXPECT_EQ(bytes_table, (table{header,
                                {"1", "", "", "", "", "2", share("66.667")},
                                {"2", "2", "", "", "", "1", share("33.333")}}));
  EXPECT_EQ(bytes_count, QStringLiteral(" отобрано 2 вариантов"));
  ASSERT_EQ(bytes_bars.size(), 2u);
  EXPECT_NEAR(bytes_bars[0], 66.667, 0.01);
  EXPECT_EQ(lengths_table, (table{header,
                                  {"10", "", "", "", "", "2", share("66.667")},
                                  {"12", "", "", "", "", "1", share("33.333")}}));
  EXPECT_EQ(lengths_count, QStringLiteral(" отобрано 2 вариантов"));
  // The histogram in length order.
  ASSERT_EQ(lengths_bars.size(), 2u);
  EXPECT_NEAR(lengths_bars[1], 33.333, 0.01);

  EXPECT_EQ(r.processed, 3);
  EXPECT_FALSE(r.modified);
  EXPECT_FALSE(marks_unsaved(r));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(StatDialog, PositionsEndAtTheFirstFieldBelowOne) {
  struct row {
    std::vector<int> fields;
    table expected;
  };
  const row rows[] = {
      {{3, 0, 7}, {header, {"3", "", "", "", "", "2", share("100.00")}}},
      {{0, 1}, {header, {"", "", "", "", "", "2", share("100.00")}}},
      {{-5}, {header, {"", "", "", "", "", "2", share("100.00")}}},
      {{2, 2}, {header, {"2", "2", "", "", "", "2", share("100.00")}}},
  };
  for (const row& r : rows) {
    ui_capture ui;
    test_store s({{1, 2, 3, 4, 5, 6, 7}, {1, 2, 3, 4, 5, 6, 8}});
    TfSigStat dialog(nullptr);
    table shown;
    ui.on_show = [&](TPelorin_Plugin& d) {
      set_positions(d, r.fields);
      child<QToolButton>(d, "btnOk")->click();
      shown = table_texts(d);
      d.reject();
    };
    dialog.Execute(0, s.store);
    EXPECT_EQ(shown, r.expected) << r.fields[0];
  }
}

TEST(StatDialog, FirstFieldStartsAtTheGridsCurrentColumn) {
  test_store s({{1, 2, 3}});
  TPacketGrid grid;
  grid.setStore(&s.store);
  grid.RecountPackets();
  grid.setCurrentCell(3, 1);
  ui_capture ui;
  TfSigStat dialog(nullptr);
  dialog.SetGrid(&grid);
  int first = -1, second = -1;
  ui.on_show = [&](TPelorin_Plugin& d) {
    first = child<QSpinBox>(d, "edE1")->value();
    second = child<QSpinBox>(d, "edE2")->value();
    d.reject();
  };
  dialog.Execute(0, s.store);
  grid.setStore(nullptr);
  EXPECT_EQ(first, 3);
  EXPECT_EQ(second, 0);
}

TEST(StatDialog, ChartAndTableCanBeReadWhole) {
  // 301 variants of three bytes, each under one per cent; the one of three packets leads.
  std::vector<bytes> packets;
  for (uint32_t k = 0; k < 300; ++k) {
    packets.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 200});
  }
  for (int n = 0; n < 3; ++n) packets.push_back({255, 255, 255});
  test_store s(packets);
  ui_capture ui;
  TfSigStat dialog(nullptr);
  QStringList labels;
  QString format;
  std::vector<std::pair<QString, int>> columns;  // widest text, column width
  ui.on_show = [&](TPelorin_Plugin& d) {
    set_positions(d, {1, 2, 3});
    child<QToolButton>(d, "btnOk")->click();
    QChart* chart = child<QChartView>(d, "chStat")->chart();
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal)) {
      if (auto* x = qobject_cast<QCategoryAxis*>(axis)) labels = x->categoriesLabels();
    }
    for (QAbstractAxis* axis : chart->axes(Qt::Vertical)) {
      if (auto* y = qobject_cast<QValueAxis*>(axis)) format = y->labelFormat();
    }
    auto* view = child<QTableView>(d, "tGrid");
    const auto* model = static_cast<const stat_table_model*>(view->model());
    for (int c = 0; c < model->columnCount(); ++c) {
      const QString widest = model->WidestText(c, view->fontMetrics());
      columns.emplace_back(widest,
                           view->columnWidth(c) - view->fontMetrics().horizontalAdvance(widest));
    }
    d.reject();
  };
  dialog.Execute(0, s.store);
  // Twenty bars, the first labelled in the table's notation, the others where labels fit.
  ASSERT_FALSE(labels.isEmpty());
  EXPECT_LT(labels.size(), 20);
  EXPECT_EQ(labels.front(), QStringLiteral("255 255 255"));
  // Shares up to 0.99 %: ticks every 0.2 % need one decimal.
  EXPECT_EQ(format, QStringLiteral("%.1f %%"));
  // Every column is wider than its widest text.
  for (const auto& [widest, room] : columns) EXPECT_GT(room, 0) << widest.toStdString();
}

TEST(StatDialog, EmptyStoreShowsNoVariants) {
  ui_capture ui;
  test_store s;
  TfSigStat dialog(nullptr);
  table shown;
  QString count;
  ui.on_show = [&](TPelorin_Plugin& d) {
    set_positions(d, {1});
    child<QToolButton>(d, "btnOk")->click();
    shown = table_texts(d);
    count = child<QLabel>(d, "lblCount")->text();
    d.reject();
  };
  dialog.Execute(0, s.store);
  EXPECT_EQ(shown, table{header});
  EXPECT_EQ(count, QStringLiteral(" отобрано 0 вариантов"));
}

TEST(StatDialog, TheVariantLimitWarnsOnceAndShowsWhatWasFound) {
  std::vector<bytes> packets;
  for (uint32_t k = 0; k < 20500; ++k) {
    packets.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8)});
  }
  ui_capture ui;
  test_store s(packets);
  TfSigStat dialog(nullptr);
  int rows = 0;
  QString count, last_share;
  ui.on_show = [&](TPelorin_Plugin& d) {
    set_positions(d, {1, 2});
    child<QToolButton>(d, "btnOk")->click();
    const QAbstractItemModel* m = child<QTableView>(d, "tGrid")->model();
    rows = m->rowCount();
    last_share = m->index(rows - 1, 6).data().toString();
    count = child<QLabel>(d, "lblCount")->text();
    d.reject();
  };
  const PLUGIN_RESULT r = dialog.Execute(0, s.store);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Слишком большое количество вариантов.   "));
  EXPECT_EQ(rows, 20000);
  EXPECT_EQ(count, QStringLiteral(" отобрано 20000 вариантов"));
  EXPECT_EQ(r.processed, 19999);
  // Shares against the whole store: 1 of 20500.
  EXPECT_EQ(last_share, share("0.005"));
}

TEST(StatDialog, CancelDuringALongRunClosesAfterShowingWhatWasCounted) {
  ui_capture ui;
  test_store s(std::vector<bytes>(20000, bytes{7}));
  TfSigStat dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    set_positions(d, {1});
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT r = dialog.Execute(0, s.store);
  ASSERT_GT(r.processed, 0);
  ASSERT_LT(r.processed, 20000);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.running());
  EXPECT_EQ(dialog.gaugePosition(), 0);
  const table shown = table_texts(dialog);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1][5], QString::number(r.processed));
  EXPECT_EQ(child<QLabel>(dialog, "lblCount")->text(), QStringLiteral(" отобрано 1 вариантов"));
}

TEST(StatDialog, SavesTheTableAsCsv) {
  temp_dir dir;
  const QString path = QString::fromStdString(dir.file("result.csv"));
  ui_capture ui;
  test_store s({{1, 2}, {1}, {1, 2}});
  TfSigStat dialog(nullptr);
  bool enabled_before_run = true;
  ui.files.push_back(std::nullopt);  // the first save is cancelled
  ui.files.push_back(file_choice{path, 0});
  ui.on_show = [&](TPelorin_Plugin& d) {
    auto* save = child<QPushButton>(d, "btnSaveCsv");
    enabled_before_run = save->isEnabled();
    set_positions(d, {1, 2});
    child<QToolButton>(d, "btnOk")->click();
    save->click();
    EXPECT_FALSE(QFile::exists(path));
    save->click();
    d.reject();
  };
  dialog.Execute(0, s.store);
  EXPECT_FALSE(enabled_before_run);
  ASSERT_EQ(ui.file_dialogs.size(), 2u);
  EXPECT_EQ(ui.file_dialogs[0].default_suffix, QStringLiteral("csv"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(),
            "byte1,byte2,packets,percent\n1,2,2,66.667\n1,,1,33.333\n");
  EXPECT_TRUE(ui.messages.empty());
}
