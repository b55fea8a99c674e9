#include "gui/dialogs/sort_frame.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <climits>

#include "gui/dialogs/fields.h"
#include "gui/dialogs/glyphs.h"

namespace {

constexpr int grid_columns = 5;
constexpr int row_height = 18;
constexpr int column_widths[grid_columns] = {66, 30, 30, 60, 30};
constexpr int element_byte = 0;  // index of "байт" in the element list

QToolButton* add_button(QWidget* parent, const char* name, const QString& hint, int x, int y) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  button->setGeometry(x, y, 23, 22);
  return button;
}

}  // namespace

Tfr_sort::Tfr_sort(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Tfr_sort"));
  setFixedSize(277, 140);

  add_label(this, QStringLiteral("условие сортировки:"), 4, 0, 200);
  cbElem = new QComboBox(this);
  cbElem->setObjectName(QStringLiteral("cbElem"));
  cbElem->addItems(element_texts());
  cbElem->setGeometry(4, 18, 56, 20);
  edPos = new QSpinBox(this);
  edPos->setObjectName(QStringLiteral("edPos"));
  edPos->setGeometry(62, 18, 58, 20);
  cbOp = new QComboBox(this);
  cbOp->setObjectName(QStringLiteral("cbOp"));
  cbOp->setGeometry(122, 18, 76, 20);
  edVal = new QSpinBox(this);
  edVal->setObjectName(QStringLiteral("edVal"));
  edVal->setGeometry(200, 18, 46, 20);
  btnAdd = add_button(this, "btnAdd", QStringLiteral("принять условие"), 250, 17);
  btnAdd->setIcon(ok_glyph());

  add_label(this, QStringLiteral("все условия сортировки:"), 4, 40, 200);
  tGrid = new QTableWidget(1, grid_columns, this);
  tGrid->setObjectName(QStringLiteral("tGrid"));
  tGrid->setGeometry(4, 58, 242, 80);
  tGrid->horizontalHeader()->hide();
  tGrid->verticalHeader()->hide();
  tGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tGrid->verticalHeader()->setDefaultSectionSize(row_height);
  tGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  tGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  tGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the list for the buttons beside it; the arrows walk its rows.
  tGrid->setTabKeyNavigation(false);
  tGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Only positions of many digits widen the list beyond its frame.
  tGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FitColumns();
  btnEdit = add_button(this, "btnEdit", QStringLiteral("редактировать условие"), 250, 58);
  btnEdit->setText(QStringLiteral("…"));
  btnDel = add_button(this, "btnDel", QStringLiteral("удалить условие"), 250, 84);
  btnDel->setIcon(cancel_glyph());

  cbElem->setCurrentIndex(element_byte);
  cbElemChange();
  // Positions count from 1; 0 is allowed in the field and makes a condition that never holds.
  edPos->setRange(0, INT_MAX);
  edVal->setMinimum(0);

  edVal->installEventFilter(this);
  connect(cbElem, &QComboBox::activated, this, [this] { cbElemChange(); });
  connect(btnAdd, &QToolButton::clicked, this, [this] { btnAddClick(); });
  connect(btnEdit, &QToolButton::clicked, this, [this] { btnEditClick(); });
  connect(btnDel, &QToolButton::clicked, this, [this] { btnDelClick(); });
  connect(tGrid, &QTableWidget::cellClicked, this, [this] { btnEditClick(); });
}

QStringList Tfr_sort::element_texts() {
  return {QStringLiteral("байт"), QStringLiteral("бит")};
}

QStringList Tfr_sort::operator_texts() {
  return {QStringLiteral("равен"), QStringLiteral("не равен"), QStringLiteral("меньше"),
          QStringLiteral("больше")};
}

QString Tfr_sort::row_caption(int number) {
  return QStringLiteral("условие %1:").arg(number);
}

void Tfr_sort::SetPosition(int position) {
  edPos->setValue(position);
}

void Tfr_sort::cbElemChange() {
  const bool bytes = cbElem->currentIndex() == element_byte;
  cbOp->clear();
  if (bytes) {
    cbOp->addItems(operator_texts());
  } else {
    cbOp->addItem(operator_texts().front());
  }
  cbOp->setCurrentIndex(0);
  edVal->setMaximum(bytes ? 255 : 1);
  edVal->setValue(bytes ? 1 : 0);
  // A bit is set with the arrows only.
  edVal->findChild<QLineEdit*>()->setReadOnly(!bytes);
}

void Tfr_sort::btnAddClick() {
  edPos->interpretText();
  edVal->interpretText();
  xsort_clause c;
  const bool bytes = cbElem->currentIndex() == element_byte;
  c.element = bytes ? clause_element::byte : clause_element::bit;
  c.op = bytes ? static_cast<clause_operator>(std::max(0, cbOp->currentIndex()))
               : clause_operator::equal;
  c.position = static_cast<uint32_t>(edPos->value());
  c.value = static_cast<uint8_t>(edVal->value());
  clauses_.push_back(c);
  WriteRow(static_cast<int>(clauses_.size()) - 1);
  FitColumns();
  edPos->setValue(edPos->value() < edPos->maximum() ? edPos->value() + 1 : edPos->value());
  tGrid->setRowCount(static_cast<int>(clauses_.size()) + 1);
}

bool Tfr_sort::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edVal && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      btnAddClick();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void Tfr_sort::WriteRow(int index) {
  const xsort_clause& c = clauses_[static_cast<size_t>(index)];
  const bool bytes = c.element == clause_element::byte;
  const QStringList ops = operator_texts();
  const auto op = static_cast<int>(c.op);
  const QString cells[grid_columns] = {
      row_caption(index + 1),      element_texts()[bytes ? 0 : 1],
      QString::number(c.position), op < ops.size() ? ops[op] : QString(),
      QString::number(c.value),
  };
  for (int column = 0; column < grid_columns; ++column) {
    tGrid->setItem(index, column, new QTableWidgetItem(cells[column]));
  }
}

int Tfr_sort::CurrentCondition() const {
  const int row = tGrid->currentRow();
  return row >= 0 && row < static_cast<int>(clauses_.size()) ? row : -1;
}

void Tfr_sort::btnEditClick() {
  const int index = CurrentCondition();
  if (index < 0) return;
  const xsort_clause c = clauses_[static_cast<size_t>(index)];
  cbElem->setCurrentIndex(c.element == clause_element::byte ? 0 : 1);
  cbElemChange();
  edPos->setValue(static_cast<int>(std::min<uint32_t>(c.position, INT_MAX)));
  cbOp->setCurrentIndex(c.element == clause_element::byte ? static_cast<int>(c.op) : 0);
  edVal->setValue(c.value);
}

void Tfr_sort::btnDelClick() {
  const int index = CurrentCondition();
  if (index < 0) return;
  clauses_.erase(clauses_.begin() + index);
  tGrid->clearContents();
  tGrid->setRowCount(1);
  tGrid->setRowCount(static_cast<int>(clauses_.size()) + 1);
  for (int i = 0; i < static_cast<int>(clauses_.size()); ++i) WriteRow(i);
  FitColumns();
}

void Tfr_sort::FitColumns() {
  const QFontMetrics metrics = tGrid->fontMetrics();
  // The cell's text margins, which the style leaves on both sides, the grid line the cell gives
  // up on its right, and a pixel for the fractions of the text's width that the integer advance
  // rounds away (without it "байт" is elided to "ба..." at Tahoma 8).
  const int padding =
      2 * (tGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tGrid) + 1) +
      (tGrid->showGrid() ? 1 : 0) + 1;
  std::array<int, grid_columns> needed{};
  // The element column holds either word whatever the list holds now.
  for (const QString& text : element_texts()) {
    needed[1] = std::max(needed[1], metrics.horizontalAdvance(text));
  }
  for (int row = 0; row < tGrid->rowCount(); ++row) {
    for (int column = 0; column < grid_columns; ++column) {
      if (const QTableWidgetItem* item = tGrid->item(row, column)) {
        needed[static_cast<size_t>(column)] =
            std::max(needed[static_cast<size_t>(column)], metrics.horizontalAdvance(item->text()));
      }
    }
  }
  std::array<int, grid_columns> widths{};
  int total = 0;
  for (size_t c = 0; c < grid_columns; ++c) {
    needed[c] += padding;
    widths[c] = std::max(column_widths[c], needed[c]);
    total += widths[c];
  }
  int excess = total - tGrid->viewport()->width();
  for (size_t c = 0; c < grid_columns && excess > 0; ++c) {
    const int spare = std::min(excess, widths[c] - needed[c]);
    widths[c] -= spare;
    excess -= spare;
  }
  for (size_t c = 0; c < grid_columns; ++c) tGrid->setColumnWidth(static_cast<int>(c), widths[c]);
}
