#include "gui/grid/packet_grid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <functional>
#include <utility>
#include <vector>

#include "core/grid/grid_recount.h"
#include "gui/grid/grid_colours.h"
#include "gui/grid/grid_delegate.h"
#include "gui/grid/grid_header.h"
#include "gui/grid/grid_model.h"

namespace {

constexpr const char* corner_text = "номер : длина";
constexpr const char* tahoma_file = "/usr/share/wine/fonts/tahoma.ttf";
constexpr int expanded_menu_position = 6;

// Tells the grid where the current cell goes before it moves there.
class grid_selection_model : public QItemSelectionModel {
 public:
  grid_selection_model(QAbstractItemModel* model, std::function<void(const QModelIndex&)> before,
                       QObject* parent)
      : QItemSelectionModel(model, parent), before_(std::move(before)) {}

  void setCurrentIndex(const QModelIndex& index,
                       QItemSelectionModel::SelectionFlags command) override {
    if (index.isValid() && index != currentIndex()) before_(index);
    QItemSelectionModel::setCurrentIndex(index, command);
  }

 private:
  std::function<void(const QModelIndex&)> before_;
};

}  // namespace

QFont TPacketGrid::defaultGridFont() {
  if (!QFontDatabase::families().contains(QStringLiteral("Tahoma")) && QFile::exists(tahoma_file)) {
    QFontDatabase::addApplicationFont(tahoma_file);
  }
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
    return QFont(QStringLiteral("Tahoma"), 8);
  }
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

TPacketGrid::TPacketGrid(QWidget* parent) : QTableView(parent) {
  setObjectName(QStringLiteral("tGrid"));
  model_ = new grid_model(this);
  delegate_ = new grid_delegate(model_, this);
  columns_header_ = new grid_header(Qt::Horizontal, model_, &view_, this);
  rows_header_ = new grid_header(Qt::Vertical, model_, &view_, this);
  setHorizontalHeader(columns_header_);
  setVerticalHeader(rows_header_);
  setModel(model_);
  setSelectionModel(new grid_selection_model(
      model_, [this](const QModelIndex& to) { emit cellSelected(to.column() + 1, to.row() + 1); },
      this));
  setItemDelegate(delegate_);

  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setShowGrid(false);
  setWordWrap(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  setCornerButtonEnabled(false);
  QPalette pal = palette();
  pal.setColor(QPalette::Base, Qt::white);
  setPalette(pal);

  columns_header_->setSectionsMovable(true);
  columns_header_->setSectionsClickable(false);
  rows_header_->setSectionsClickable(false);
  connect(columns_header_, &QHeaderView::sectionMoved, this, &TPacketGrid::restoreColumnOrder);
  columns_header_->viewport()->installEventFilter(this);

  corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
  if (corner_ != nullptr) corner_->installEventFilter(this);

  QStyleOptionViewItem option;
  option.initFrom(this);
  delegate_->setLineColour(QColor::fromRgba(
      static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this))));
  setFont(defaultGridFont());
  delegate_->setFont(font());
  applySizes();
  setCurrentIndex(model_->index(0, 0));
}

TPacketGrid::~TPacketGrid() = default;

void TPacketGrid::setStore(const PAKETS* store) {
  model_->setStore(store);
  Redraw();
}

const PAKETS* TPacketGrid::store() const {
  return model_->store();
}

void TPacketGrid::RecountPackets() {
  if (recounting_) return;
  recounting_ = true;
  emit statusText(1, QString::fromUtf8(allocating_memory_text));
  // The store must not change while the recount lets events through.
  const PAKETS empty;
  const PAKETS& store = model_->store() != nullptr ? *model_->store() : empty;
  const store_totals totals = count_store(store, [] { QCoreApplication::processEvents(); });
  // Fewer rows than the current row would move the current cell and scroll the view to it:
  // the view stays where it was (a quick filter has just scrolled it home).
  const int first_row = verticalScrollBar()->value();
  const int first_column = horizontalScrollBar()->value();
  model_->setDimensions(grid_columns_for(totals.max_length), grid_rows_for(totals.count));
  updateGeometries();
  verticalScrollBar()->setValue(first_row);
  horizontalScrollBar()->setValue(first_column);
  emit statusText(0, QString::fromStdString(total_packets_text(totals)));
  emit statusText(1, QString::fromStdString(lengths_text(totals)));
  recounting_ = false;
  Redraw();
}

void TPacketGrid::Redraw() {
  viewport()->update();
  columns_header_->viewport()->update();
  rows_header_->viewport()->update();
  if (corner_ != nullptr) corner_->update();
}

void TPacketGrid::SetViewMode(int menu_position) {
  if (menu_position >= 0 && menu_position < 5) {
    view_.mode = static_cast<view_mode>(menu_position);
    model_->setMode(view_.mode);
  }
  applySizes();
  Redraw();
}

void TPacketGrid::applySizes() {
  const QFontMetrics fm(font());
  const char* sample = sample_text(view_.mode);
  const cell_size size = data_cell_size(
      view_.mode, {fm.horizontalAdvance(QString::fromLatin1(sample)), fm.height()}, view_.expanded);
  columns_header_->setDefaultSectionSize(size.width);
  rows_header_->setDefaultSectionSize(size.height);
}

view_mode TPacketGrid::viewMode() const {
  return view_.mode;
}

void TPacketGrid::setExpanded(bool on) {
  view_.expanded = on;
}

bool TPacketGrid::expanded() const {
  return view_.expanded;
}

void TPacketGrid::setScrollBars(bool on) {
  scroll_bars_ = on;
  const Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  setHorizontalScrollBarPolicy(policy);
  setVerticalScrollBarPolicy(policy);
}

bool TPacketGrid::scrollBars() const {
  return scroll_bars_;
}

void TPacketGrid::setColumnRange(int first, int last) {
  view_.range = {first, last};
  Redraw();
}

int TPacketGrid::rangeFirst() const {
  return view_.range.first;
}

int TPacketGrid::rangeLast() const {
  return view_.range.last;
}

int TPacketGrid::gridColumnCount() const {
  return model_->columnCount() + 1;
}

int TPacketGrid::gridRowCount() const {
  return model_->rowCount() + 1;
}

int TPacketGrid::currentColumn() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.column() + 1 : 0;
}

int TPacketGrid::currentRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

void TPacketGrid::setCurrentCell(int column, int row) {
  const int c = std::clamp(column, 1, gridColumnCount() - 1) - 1;
  const int r = std::clamp(row, 1, gridRowCount() - 1) - 1;
  const QModelIndex i = model_->index(r, c);
  setCurrentIndex(i);
  scrollTo(i);
}

int TPacketGrid::firstVisibleRow() const {
  return verticalScrollBar()->value() + 1;
}

int TPacketGrid::firstVisibleColumn() const {
  return horizontalScrollBar()->value() + 1;
}

void TPacketGrid::setFirstVisibleRow(int row) {
  updateGeometries();
  verticalScrollBar()->setValue(std::max(row, 1) - 1);
}

void TPacketGrid::setFirstVisibleColumn(int column) {
  updateGeometries();
  horizontalScrollBar()->setValue(std::max(column, 1) - 1);
}

void TPacketGrid::paintEvent(QPaintEvent* event) {
  const QModelIndex current = currentIndex();
  grid_delegate::paint_state state;
  state.mode = view_.mode;
  state.range = view_.range;
  state.current_row = current.isValid() ? current.row() : -1;
  state.current_column = current.isValid() ? current.column() : -1;
  delegate_->setPaintState(state);
  model_->beginPaint();
  paintCells(event->rect());
  model_->endPaint();
}

// Every data cell that meets `area`, row by row and left to right, each at its section's place.
// The viewport's own background (white) shows past the last row and column.
void TPacketGrid::paintCells(const QRect& area) {
  const int rows = model_->rowCount();
  const int columns = model_->columnCount();
  if (rows == 0 || columns == 0) return;
  QHeaderView* across = horizontalHeader();
  QHeaderView* down = verticalHeader();
  int first_row = down->visualIndexAt(area.top());
  int last_row = down->visualIndexAt(area.bottom());
  int first_column = across->visualIndexAt(area.left());
  int last_column = across->visualIndexAt(area.right());
  if (first_row < 0 || first_column < 0) return;
  if (last_row < 0) last_row = rows - 1;
  if (last_column < 0) last_column = columns - 1;

  QPainter painter(viewport());
  painter.setFont(font());
  std::vector<std::pair<int, int>> spans;  // x and width of each column in view, reused by rows
  spans.reserve(static_cast<size_t>(last_column - first_column + 1));
  for (int v = first_column; v <= last_column; ++v) {
    const int c = across->logicalIndex(v);
    spans.emplace_back(across->sectionViewportPosition(c), across->sectionSize(c));
  }
  for (int v = first_row; v <= last_row; ++v) {
    const int r = down->logicalIndex(v);
    const int y = down->sectionViewportPosition(r);
    const int h = down->sectionSize(r);
    for (size_t k = 0; k < spans.size(); ++k) {
      const int c = across->logicalIndex(first_column + static_cast<int>(k));
      delegate_->paintCell(painter, QRect(spans[k].first, y, spans[k].second, h), r, c);
    }
  }
}

void TPacketGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    activateCurrentRow();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TPacketGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  activateCurrentRow();
}

void TPacketGrid::activateCurrentRow() {
  const int row = currentRow();
  if (row < 1) return;
  const auto number = static_cast<uint32_t>(row - 1);
  if (number < model_->packetCount()) emit packetActivated(number);
}

void TPacketGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange && delegate_ != nullptr) {
    delegate_->setFont(font());
    applySizes();
    Redraw();
  }
}

// The header shows the drag as a move, but the columns stay in place: every cell is painted from
// its own column index.
void TPacketGrid::restoreColumnOrder(int, int from_visual, int to_visual) {
  if (restoring_order_) return;
  restoring_order_ = true;
  columns_header_->moveSection(to_visual, from_visual);
  restoring_order_ = false;
}

// Grid column under x in the header's viewport; positions left or right of the columns count as
// the nearest one shown.
int TPacketGrid::headerColumnAt(int x) const {
  const int end = std::min(columns_header_->viewport()->width(),
                           columns_header_->length() - columns_header_->offset());
  const int visual = columns_header_->visualIndexAt(std::clamp(x, 0, std::max(end - 1, 0)));
  return visual < 0 ? 0 : columns_header_->logicalIndex(visual) + 1;
}

// A press on a header column and a release after moving at least the drag distance is a drag from
// the pressed column onto the column under the release, wherever in that column it ends; a
// release nearer than that is a click, which marks the pressed column alone.
bool TPacketGrid::headerMouse(QEvent* event) {
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return false;
  const QPoint pos = mouse->position().toPoint();
  if (event->type() == QEvent::MouseButtonPress) {
    drag_from_ = headerColumnAt(pos.x());
    drag_start_ = pos;
    return false;
  }
  if (event->type() == QEvent::MouseButtonRelease && drag_from_ > 0) {
    const int from = drag_from_;
    drag_from_ = 0;
    const bool click = (pos - drag_start_).manhattanLength() < QApplication::startDragDistance();
    view_.range =
        click ? column_range{from, from} : range_after_drag(from, headerColumnAt(pos.x()));
    emit columnRangeChanged(view_.range.first, view_.range.last);
    Redraw();
  }
  return false;
}

bool TPacketGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == columns_header_->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
    return headerMouse(event);
  }
  if (watched == corner_ && event->type() == QEvent::Paint) {
    paintCorner(corner_);
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

void TPacketGrid::paintCorner(QAbstractButton* corner) {
  QPainter painter(corner);
  painter.setFont(font());
  const QColor face = palette().color(QPalette::Button);
  const cell_rect r =
      paint_fixed_cell(painter, corner->rect(), face, palette().color(QPalette::Mid));
  grid_header::drawFixedText(painter, r, QString::fromUtf8(corner_text), face);
}
