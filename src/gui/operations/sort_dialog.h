#pragma once

#include "core/operations/conditions.h"
#include "gui/dialogs/plugin_dialog.h"

class Tfr_colors;
class Tfr_sort;

// The selection by values "SIGSort": the scope, a list of conditions on bytes and bits and the
// result colour; OK colours the packets in scope that meet every condition through
// select_by_values(). With an empty list OK just closes.
class TfSigSort : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigSort(QWidget* owner);

  // Colours with the list as it stands; returns 1.
  int Process() override;
  // Runs the pass and closes; with no condition closes without one.
  void btnOkClick() override;

 protected:
  // The editor starts at the byte of the grid's current column (counted from 1).
  bool Prepare() override;

 private:
  Tfr_sort* fSorter = nullptr;
  Tfr_colors* fColors = nullptr;
};
