#pragma once

#include "core/operations/cut.h"
#include "gui/dialogs/plugin_dialog.h"

class QLabel;
class QLineEdit;
class QRadioButton;

// The cut dialog "SIGCut": the unit, the leading and trailing counts and the scope; OK cuts the
// packets in scope through cut().
class TfSigCut : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigCut(QWidget* owner);

  // Cuts with the counts read by btnOkClick; returns 1.
  int Process() override;

  void rbBytesClick();
  void rbBitsClick();
  // Reads and checks both counts; runs the pass and closes, or shows the message and stays.
  void btnOkClick() override;

  static QString invalid_counts_text();

 private:
  QRadioButton* rbBytes = nullptr;
  QRadioButton* rbBits = nullptr;
  QLineEdit* edStart = nullptr;
  QLabel* lblStart = nullptr;
  QLineEdit* edEnd = nullptr;
  QLabel* lblEnd = nullptr;
  cut_params params_;
};
