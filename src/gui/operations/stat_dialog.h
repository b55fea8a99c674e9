#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "core/statistics/statistics.h"
#include "gui/dialogs/plugin_dialog.h"

class QChart;
class QFontMetrics;
class QChartView;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

// The result table's rows: one variant a row, read at paint time; the header row is the model's
// horizontal header.
class stat_table_model : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int column_count = 7;
  static constexpr int count_column = 5;
  static constexpr int share_column = 6;

  using QAbstractTableModel::QAbstractTableModel;

  // Shows `variants` (in their order) with shares against `total` packets.
  void SetResult(const STAT_SORTED_DATA& variants, size_t total);

  [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role) const override;

  // The widest text of a column, its header included, as the table shows it.
  [[nodiscard]] QString WidestText(int column, const QFontMetrics& metrics) const;

 private:
  std::vector<std::pair<uint32_t, const STAT_TYPE*>> rows_;
  size_t total_ = 0;
  QString decimal_point_;
};

// The statistics dialog "SIGStat": how often each combination of byte values, bit values or
// packet lengths occurs over all packets. It changes nothing and stays open between runs; Cancel
// closes it. Under the table a chart shows the most frequent variants (in length mode, all
// lengths), and the table can be saved as CSV.
class TfSigStat : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigStat(QWidget* owner);
  ~TfSigStat() override;

  // Counts, sorts and fills the table and the chart; returns the packets counted.
  int Process() override;

  void rbBytesClick();
  void rbBitsClick();
  void rbLenClick();
  // Builds the position list from the fields and runs the count; the dialog stays open.
  void btnOkClick() override;
  // Asks for a file name and writes the whole result table as CSV.
  void btnSaveCsvClick();

  // The variants of the last run, in the table's order.
  [[nodiscard]] const STAT_SORTED_DATA& Variants() const { return variants_; }

  static QString too_many_variants_text();
  static QString accumulating_text();
  static QString sorting_text();
  // " отобрано N вариантов"
  static QString selected_text(size_t variants);

 protected:
  bool Prepare() override;

 private:
  [[nodiscard]] stat_mode Mode() const;
  // Every column wide enough for its whole text, and at least as wide as the table's own widths.
  void FitColumns();
  void RedrawChart();
  // Shows the tip of bar `index` while the pointer is over it.
  void BarHovered(bool over, int index);

  QRadioButton* rbBytes = nullptr;
  QRadioButton* rbBits = nullptr;
  QRadioButton* rbLen = nullptr;
  QLabel* lblElem = nullptr;
  std::vector<QSpinBox*> edE;
  QTableView* tGrid = nullptr;
  QLabel* lblCount = nullptr;
  QPushButton* btnSaveCsv = nullptr;
  QChartView* chStat = nullptr;
  QChart* chart_ = nullptr;
  stat_table_model* model_ = nullptr;

  // The last run: its mode, positions and variants, which the table, the chart and the CSV show.
  stat_mode mode_ = stat_mode::bytes;
  std::vector<uint32_t> positions_;
  STAT_SORTED_DATA variants_;
  // What each bar of the chart stands for, in full: its tool tip.
  std::vector<QString> bar_tips_;
};
