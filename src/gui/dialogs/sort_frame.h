#pragma once

#include <QFrame>
#include <QStringList>

#include "core/operations/conditions.h"

class QComboBox;
class QSpinBox;
class QTableWidget;
class QToolButton;

// The condition-list frame: an editor row (element, position, operator, value) whose conditions
// btnAdd appends to the list, and the list as a grid of one row per condition plus an empty row.
// A row of the grid loads into the editor (btnEdit or a click) without changing; btnDel removes it.
class Tfr_sort : public QFrame {
  Q_OBJECT

 public:
  explicit Tfr_sort(QWidget* parent = nullptr);

  // The conditions in the order of entry.
  [[nodiscard]] const CLAUSES& Clauses() const { return clauses_; }
  // Puts the editor at a position (the dialog starts it at the grid's current column).
  void SetPosition(int position);

  // Refills the operator list and the value range for the chosen element.
  void cbElemChange();
  // Appends the condition in the editor; the position moves on by 1.
  void btnAddClick();
  // Loads the grid's current condition into the editor, its operators and value range with it.
  void btnEditClick();
  // Removes the grid's current condition and renumbers the rest.
  void btnDelClick();

  // The element texts ("байт" first) and the byte operator texts, in the order of their codes.
  static QStringList element_texts();
  static QStringList operator_texts();
  // The caption of the grid row of condition `number` (from 1): "условие N:".
  static QString row_caption(int number);

 protected:
  // Enter in the value field accepts the condition, as btnAdd does.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Writes condition `index` (from 0) into grid row `index`.
  void WriteRow(int index);
  // Every column as wide as its widest text and at least its own width; where that is more than
  // the list holds, the columns with room to spare give it up first.
  void FitColumns();
  // The condition of the grid's current row, when that row holds one.
  [[nodiscard]] int CurrentCondition() const;

  QComboBox* cbElem = nullptr;
  QSpinBox* edPos = nullptr;
  QComboBox* cbOp = nullptr;
  QSpinBox* edVal = nullptr;
  QToolButton* btnAdd = nullptr;
  QTableWidget* tGrid = nullptr;
  QToolButton* btnEdit = nullptr;
  QToolButton* btnDel = nullptr;
  CLAUSES clauses_;
};
