#pragma once

#include <QStringList>

#include "core/operations/select_by_length.h"
#include "gui/dialogs/plugin_dialog.h"

class QComboBox;
class QLabel;
class QSpinBox;
class Tfr_colors;

// The selection by length "SIGSortLen": the scope, a comparison of the byte count with a number
// and the result colour; OK colours the matching packets in scope through select_by_length().
class TfSortLen : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSortLen(QWidget* owner);

  // Colours with the comparison read by btnOkClick; returns 1.
  int Process() override;
  // Reads the operator and the number; runs the pass and closes.
  void btnOkClick() override;

  // The operator texts, in the order of length_operator.
  static QStringList operator_texts();

 protected:
  // The number's maximum follows the grid: its column count plus 1.
  bool Prepare() override;

 private:
  QLabel* lblHeader = nullptr;
  QComboBox* cbOp = nullptr;
  QSpinBox* edVal = nullptr;
  Tfr_colors* fColors = nullptr;
  length_selection params_;
};
