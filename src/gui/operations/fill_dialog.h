#pragma once

#include "core/operations/fill.h"
#include "gui/dialogs/plugin_dialog.h"

class QLineEdit;
class QRadioButton;

// The fill dialog "SIGFill": pad to the longest packet or to a number of bytes, the fill value and
// the scope; OK pads the packets in scope through fill().
class TfSigFill : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigFill(QWidget* owner);

  // Pads with the parameters read by btnOkClick; returns 1.
  int Process() override;

  void rbMaxClick();
  void rbToClick();
  // Reads and checks the fill value, then (numeric target only) the target; runs the pass and
  // closes, or shows the field's message, focuses it and stays.
  void btnOkClick() override;

  static QString invalid_value_text();
  static QString invalid_target_text();

 private:
  QRadioButton* rbMax = nullptr;
  QRadioButton* rbTo = nullptr;
  QLineEdit* edFillTo = nullptr;
  QLineEdit* edVal = nullptr;
  fill_params params_;
};
