#pragma once

#include "core/operations/demux.h"
#include "gui/dialogs/plugin_dialog.h"

class QLabel;
class QRadioButton;

// The column demultiplexer "SIGDemux": keeps or removes the grid's marked byte columns in every
// packet in scope. It opens only when a column range is marked, names that range, and clears the
// mark after OK.
class TfSigDemux : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigDemux(QWidget* owner);

  // Runs the pass on the marked range, clears the mark; returns 1.
  int Process() override;

  static QString no_columns_text();
  // The marked columns (numbered from 1) as the dialog names them: "выделены столбцы с 3 по 7",
  // "выделен столбец 3".
  static QString range_text(int first, int last);

 protected:
  // Refuses with the message when no column range is marked.
  bool Prepare() override;

 private:
  QRadioButton* rbLeave = nullptr;
  QRadioButton* rbDel = nullptr;
  QLabel* lblRange = nullptr;
  byte_range range_;
};
