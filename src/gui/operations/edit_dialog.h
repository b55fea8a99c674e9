#pragma once

#include "core/operations/edit.h"
#include "gui/dialogs/plugin_dialog.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

// The edit dialog "SIGEdit": a byte or a bit, its number (from 1), the value and the scope; OK
// writes the value into the packets in scope through edit(). The number opens at the grid's
// current byte column.
class TfSigEdit : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigEdit(QWidget* owner);

  // Writes with the parameters read by btnOkClick; returns 1.
  int Process() override;

  void rbBytesClick();
  void rbBitsClick();
  // Reads the value (its low 8 bits); runs the pass and closes, or shows the message, focuses the
  // value and stays.
  void btnOkClick() override;

  static QString invalid_value_text();
  // The highest number the position field takes.
  static constexpr int max_position = 255;

 protected:
  // Puts the position field on the grid's current byte column.
  bool Prepare() override;

 private:
  QRadioButton* rbBytes = nullptr;
  QRadioButton* rbBits = nullptr;
  QLabel* lblPos = nullptr;
  QSpinBox* edPos = nullptr;
  QComboBox* cbVal = nullptr;
  edit_params params_;
};
