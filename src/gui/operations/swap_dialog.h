#pragma once

#include "core/operations/swap.h"
#include "gui/dialogs/plugin_dialog.h"

class QRadioButton;

// The swap dialog "SIGSwap": bit reversal or byte swap, and the scope; OK rearranges the packets
// in scope through swap().
class TfSigSwap : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigSwap(QWidget* owner);

  // Rearranges with the mode read by btnOkClick; returns 1.
  int Process() override;
  // Reads the mode; runs the pass and closes.
  void btnOkClick() override;

 private:
  QRadioButton* rbReverse = nullptr;
  QRadioButton* rbSwap = nullptr;
  swap_params params_;
};
