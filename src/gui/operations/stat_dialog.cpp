#include "gui/operations/stat_dialog.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <climits>
#include <cmath>

#include "gui/dialogs/fields.h"
#include "gui/dialogs/gauge.h"
#include "gui/dialogs/message_box.h"
#include "gui/grid/packet_grid.h"

namespace {

// The window is wider and taller than the base frame: the fields, the table and the chart.
constexpr int extra_width = 282;
constexpr int extra_height = 470;
constexpr int table_height = 200;
constexpr int chart_height = 250;

// Bars of the chart in value mode; in length mode at most this many bins cover all lengths.
constexpr size_t chart_variants = 20;
constexpr size_t histogram_bins = 64;
// The value axis has at most about this many steps.
constexpr int share_ticks = 5;
// Room between two labels of the category axis, in pixels.
constexpr int label_gap = 12;
// The table's own column widths: the least each column gets.
constexpr int key_column_width = 28;
constexpr int count_column_width = 56;
constexpr int share_column_width = 30;

QString bytes_prompt() {
  return QStringLiteral("выберите номера байт для статистики:");
}
QString bits_prompt() {
  return QStringLiteral("выберите номера бит для статистики:");
}
QString cannot_open_text() {
  return QStringLiteral("Невозможно открыть указанный файл.   ");
}

double percent(uint64_t count, size_t total) {
  return total == 0 ? 0.0 : static_cast<double>(count) * 100.0 / static_cast<double>(total);
}

// One bar as the chart shows it.
struct chart_bar {
  QString label;
  uint64_t count = 0;
};

// The bars of a result: the most frequent variants, or the histogram of the lengths.
std::vector<chart_bar> bars_of(const STAT_SORTED_DATA& variants, stat_mode mode) {
  std::vector<chart_bar> bars;
  if (mode == stat_mode::lengths) {
    for (const length_bin& bin : length_histogram(variants, histogram_bins)) {
      const QString label = bin.first == bin.last
                                ? QString::number(bin.first)
                                : QStringLiteral("%1–%2").arg(bin.first).arg(bin.last);
      bars.push_back({label, bin.count});
    }
    return bars;
  }
  for (auto at = variants.begin(); at != variants.end() && bars.size() < chart_variants; ++at) {
    bars.push_back({QString::fromStdString(key_text(at->second)), at->first});
  }
  return bars;
}

// Every how many bars a label is shown: the least stride at which `bars` labels up to `widest`
// pixels wide fit along an axis `length` pixels long. The axis gives each label an equal share of
// its length, one share more than there are labels.
size_t label_stride(size_t bars, int widest, double length) {
  for (size_t stride = 1; stride < bars; ++stride) {
    const auto labels = static_cast<double>((bars - 1) / stride + 1);
    if (widest + label_gap <= length / (labels + 1)) return stride;
  }
  return std::max<size_t>(bars, 1);
}

}  // namespace

void stat_table_model::SetResult(const STAT_SORTED_DATA& variants, size_t total) {
  beginResetModel();
  rows_.clear();
  rows_.reserve(variants.size());
  for (const auto& [count, key] : variants) rows_.emplace_back(count, &key);
  total_ = total;
  decimal_point_ = QLocale::system().decimalPoint();
  endResetModel();
}

int stat_table_model::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int stat_table_model::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : column_count;
}

QVariant stat_table_model::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const auto& [count, key] = rows_[static_cast<size_t>(index.row())];
  const int column = index.column();
  if (column == count_column) return QString::number(count);
  if (column == share_column) {
    QString share = QString::fromStdString(format_share(count, total_));
    return share.replace(QLatin1Char('.'), decimal_point_);
  }
  if (static_cast<size_t>(column) < key->size()) {
    return QString::fromStdString(key_element_text((*key)[static_cast<size_t>(column)]));
  }
  return QString();
}

QString stat_table_model::WidestText(int column, const QFontMetrics& metrics) const {
  // Digits take one width in the table's fonts: the longest text of the cells is the widest.
  QString longest;
  for (int row = 0; row < rowCount(); ++row) {
    QString text = data(index(row, column), Qt::DisplayRole).toString();
    if (text.size() > longest.size()) longest = std::move(text);
  }
  const QString head = headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  return metrics.horizontalAdvance(head) >= metrics.horizontalAdvance(longest) ? head : longest;
}

QVariant stat_table_model::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  if (section == count_column) return QStringLiteral("  пакетов");
  if (section == share_column) return QStringLiteral("  %");
  return QStringLiteral("   ") + QString::number(section + 1);
}

TfSigStat::TfSigStat(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigStat",
                              .caption = "статистика",
                              .title = "SIGStat",
                              .extra_height = extra_height,
                              .extra_width = extra_width}) {
  const int inner = gbParams->width() - 16;

  rbBytes = new QRadioButton(QStringLiteral("статистика на значения байтов"), gbParams);
  rbBytes->setObjectName(QStringLiteral("rbBytes"));
  rbBytes->setGeometry(8, 16, 260, 17);
  rbBits = new QRadioButton(QStringLiteral("cтатистика на значения битов"), gbParams);
  rbBits->setObjectName(QStringLiteral("rbBits"));
  rbBits->setGeometry(8, 34, 260, 17);
  rbLen = new QRadioButton(QStringLiteral("статистика на длины пакетов"), gbParams);
  rbLen->setObjectName(QStringLiteral("rbLen"));
  rbLen->setGeometry(8, 52, 260, 17);
  rbBytes->setChecked(true);

  btnSaveCsv = new QPushButton(QStringLiteral("Сохранить в CSV..."), gbParams);
  btnSaveCsv->setObjectName(QStringLiteral("btnSaveCsv"));
  btnSaveCsv->setGeometry(gbParams->width() - 8 - 130, 16, 130, 23);
  btnSaveCsv->setEnabled(false);
  // Enter runs the count wherever the focus is, as OK; only on this button itself does it save.
  btnSaveCsv->setAutoDefault(false);

  lblElem = add_label(gbParams, bytes_prompt(), 8, 74, inner);
  lblElem->setObjectName(QStringLiteral("lblElem"));
  for (int i = 0; i < 5; ++i) {
    auto* field = new QSpinBox(gbParams);
    field->setObjectName(QStringLiteral("edE%1").arg(i + 1));
    field->setRange(INT_MIN, INT_MAX);
    field->setValue(0);
    field->setGeometry(8 + i * 56, 92, 52, 21);
    edE.push_back(field);
  }

  model_ = new stat_table_model(this);
  tGrid = new QTableView(gbParams);
  tGrid->setObjectName(QStringLiteral("tGrid"));
  tGrid->setModel(model_);
  tGrid->setGeometry(8, 120, inner, table_height);
  tGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  tGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  tGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The cells lie on the button face, as the window around them.
  tGrid->viewport()->setBackgroundRole(QPalette::Button);
  tGrid->verticalHeader()->hide();
  tGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tGrid->verticalHeader()->setDefaultSectionSize(16);
  tGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  tGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FitColumns();

  lblCount = new QLabel(gbParams);
  lblCount->setObjectName(QStringLiteral("lblCount"));
  lblCount->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lblCount->setGeometry(8, 120 + table_height + 2, inner, 18);

  chart_ = new QChart;
  chart_->legend()->hide();
  chart_->setMargins(QMargins(2, 2, 2, 2));
  chStat = new QChartView(chart_, gbParams);
  chStat->setObjectName(QStringLiteral("chStat"));
  chStat->setGeometry(8, 120 + table_height + 24, inner, chart_height);
  // The chart is read, not worked with: Tab passes it by.
  chStat->setFocusPolicy(Qt::NoFocus);

  // The fields and the CSV button wait while a run counts; OK is disabled by the base.
  AddStartControl(btnSaveCsv);
  connect(rbBytes, &QRadioButton::clicked, this, [this] { rbBytesClick(); });
  connect(rbBits, &QRadioButton::clicked, this, [this] { rbBitsClick(); });
  connect(rbLen, &QRadioButton::clicked, this, [this] { rbLenClick(); });
  connect(btnSaveCsv, &QPushButton::clicked, this, [this] { btnSaveCsvClick(); });
}

TfSigStat::~TfSigStat() = default;

QString TfSigStat::too_many_variants_text() {
  return QString::fromUtf8(stat_too_many_variants);
}
QString TfSigStat::accumulating_text() {
  return QStringLiteral("Накопление статистики...");
}
QString TfSigStat::sorting_text() {
  return QStringLiteral("Сортировка...");
}
QString TfSigStat::selected_text(size_t variants) {
  return QStringLiteral(" отобрано ") + QString::number(variants) + QStringLiteral(" вариантов");
}

bool TfSigStat::Prepare() {
  // The grid's data columns count from 1, like the fields.
  edE[0]->setValue(grid() != nullptr ? std::max(grid()->currentColumn(), 0) : 0);
  return true;
}

stat_mode TfSigStat::Mode() const {
  if (rbBits->isChecked()) return stat_mode::bits;
  if (rbLen->isChecked()) return stat_mode::lengths;
  return stat_mode::bytes;
}

void TfSigStat::rbBytesClick() {
  rbBytes->setChecked(true);
  lblElem->setText(bytes_prompt());
  for (QSpinBox* field : edE) field->setEnabled(true);
}

void TfSigStat::rbBitsClick() {
  rbBits->setChecked(true);
  lblElem->setText(bits_prompt());
  for (QSpinBox* field : edE) field->setEnabled(true);
}

void TfSigStat::rbLenClick() {
  rbLen->setChecked(true);
  lblElem->setText(QString());
  for (QSpinBox* field : edE) field->setEnabled(false);
}

void TfSigStat::btnOkClick() {
  if (working()) return;
  // The table keeps the last run's rows until this run's replace them (the CSV button waits
  // meanwhile): emptying it here would only cost a repaint at the first events of the run.
  lblCount->setText(QString());
  mode_ = Mode();
  positions_.clear();
  if (mode_ == stat_mode::lengths) {
    positions_.push_back(0);
  } else {
    // The list ends at the first field below 1; the fields after it do not count.
    for (QSpinBox* field : edE) {
      if (field->value() < 1) break;
      positions_.push_back(static_cast<uint32_t>(field->value() - 1));
    }
  }
  RunPass();
}

int TfSigStat::Process() {
  lblCount->setText(accumulating_text());
  stat_result r;
  try {
    r = statistics(*store_, mode_, positions_, pass_, [this](bool limited) {
      if (limited) show_warning(this, too_many_variants_text());
      SetGauge(static_cast<qint64>(store_->size()), 0);
      lblCount->setText(sorting_text());
      QCoreApplication::processEvents();
    });
  } catch (...) {
    // The last run's rows must not stand beside this run's mode and positions (the CSV).
    variants_.clear();
    model_->SetResult(variants_, 0);
    throw;
  }
  variants_ = std::move(r.variants);
  model_->SetResult(variants_, store_->size());
  FitColumns();
  lblCount->setText(selected_text(variants_.size()));
  RedrawChart();
  return r.processed;
}

void TfSigStat::FitColumns() {
  const QFontMetrics metrics = tGrid->fontMetrics();
  const QFontMetrics header_metrics = tGrid->horizontalHeader()->fontMetrics();
  const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, tGrid) + 4;
  for (int column = 0; column < stat_table_model::column_count; ++column) {
    const int least = column == stat_table_model::count_column   ? count_column_width
                      : column == stat_table_model::share_column ? share_column_width
                                                                 : key_column_width;
    const QString widest = model_->WidestText(column, metrics);
    const int text =
        std::max(metrics.horizontalAdvance(widest), header_metrics.horizontalAdvance(widest));
    tGrid->setColumnWidth(column, std::max(least, text + padding));
  }
}

void TfSigStat::RedrawChart() {
  chart_->removeAllSeries();
  for (QAbstractAxis* axis : chart_->axes()) {
    chart_->removeAxis(axis);
    delete axis;
  }
  const size_t total = store_->size();
  const std::vector<chart_bar> bars = bars_of(variants_, mode_);
  auto* set = new QBarSet(QStringLiteral("%"));
  bar_tips_.clear();
  double highest = 0;
  for (const chart_bar& bar : bars) {
    const double share = percent(bar.count, total);
    *set << share;
    highest = std::max(highest, share);
    bar_tips_.push_back(QStringLiteral("%1: %2 пакетов, %3 %")
                            .arg(bar.label)
                            .arg(bar.count)
                            .arg(QLocale::system().toString(share, 'f', 3)));
  }
  auto* series = new QBarSeries;
  series->append(set);
  chart_->addSeries(series);
  connect(series, &QBarSeries::hovered, this,
          [this](bool over, int index, QBarSet*) { BarHovered(over, index); });

  // The category axis labels only as many bars as their labels leave room for: the first and every
  // stride-th after it; the tool tips name every bar.
  auto* x = new QCategoryAxis;
  x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  x->setRange(-0.5, static_cast<double>(bars.size()) - 0.5);
  x->setGridLineVisible(false);
  chart_->addAxis(x, Qt::AlignBottom);
  series->attachAxis(x);
  const QFontMetrics metrics(x->labelsFont());
  int widest = 0;
  for (const chart_bar& bar : bars) widest = std::max(widest, metrics.horizontalAdvance(bar.label));
  // Before the first layout the plot spans the view but for the value axis' labels.
  const double length = chart_->plotArea().width() > 0 ? chart_->plotArea().width()
                                                       : static_cast<double>(chStat->width() - 60);
  const size_t stride = label_stride(bars.size(), widest, length);
  for (size_t i = 0; i < bars.size(); i += stride) {
    x->append(bars[i].label, static_cast<double>(i));
  }

  const share_scale scale = share_scale_for(highest, share_ticks);
  auto* y = new QValueAxis;
  y->setRange(0, scale.top);
  y->setTickType(QValueAxis::TicksDynamic);
  y->setTickAnchor(0);
  y->setTickInterval(scale.step);
  y->setLabelFormat(QStringLiteral("%.") + QString::number(scale.decimals) +
                    QStringLiteral("f %%"));
  chart_->addAxis(y, Qt::AlignLeft);
  series->attachAxis(y);
}

void TfSigStat::BarHovered(bool over, int index) {
  if (over && index >= 0 && static_cast<size_t>(index) < bar_tips_.size()) {
    QToolTip::showText(QCursor::pos(), bar_tips_[static_cast<size_t>(index)], chStat);
  } else {
    QToolTip::hideText();
  }
}

void TfSigStat::btnSaveCsvClick() {
  QFileDialog dialog(this);
  dialog.setObjectName(QStringLiteral("dlgSaveCsv"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.setNameFilters({QStringLiteral("CSV (*.csv)")});
  const std::optional<file_choice> choice = run_file_dialog(dialog);
  if (!choice) return;
  const std::string csv = statistics_csv(
      variants_, mode_, mode_ == stat_mode::lengths ? std::vector<uint32_t>{} : positions_,
      store_->size());
  QFile file(choice->path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
      !file.flush()) {
    show_error(this, cannot_open_text());
  }
}
