#pragma once

#include "core/operations/defrag.h"
#include "gui/dialogs/plugin_dialog.h"

class QCheckBox;
class QSpinBox;
class Tfr_colors;

// The defragmenter "SIGDefrag": joins the fragments marked in three colours (first, intermediate,
// last) into whole unmarked packets, stripping the given bytes off each fragment.
class TfSigDefrag : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigDefrag(QWidget* owner);

  // Joins with the parameters read by btnOkClick; returns 1.
  int Process() override;
  void cbMiddleClick();
  void cbEndClick();
  void btnOkClick() override;

  // "Пакет номер N: длина превышает размер буфера. Пакет будет пропущен.   "
  static QString overlong_text(uint32_t number);

 private:
  Tfr_colors* fCStart = nullptr;
  QSpinBox* edBStart = nullptr;
  QCheckBox* cbMiddle = nullptr;
  Tfr_colors* fCMiddle = nullptr;
  QSpinBox* edBMiddle = nullptr;
  QSpinBox* edEMiddle = nullptr;
  QCheckBox* cbEnd = nullptr;
  Tfr_colors* fCEnd = nullptr;
  QSpinBox* edBEnd = nullptr;
  QSpinBox* edEEnd = nullptr;
  defrag_params params_;
};
