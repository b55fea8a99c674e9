#pragma once

#include <optional>

#include "gui/dialogs/plugin_dialog.h"

class QTimer;

// The quick-filter window "Отбор...": a small borderless progress window that runs one popup
// filter (the command word names it) on the packet of the grid's current cell as soon as it is
// shown, and closes itself through a 10 ms timer once the pass is over.
class TfSigInline : public TPelorin_Plugin {
  Q_OBJECT

 public:
  // The grid (SetGrid) gives the reference packet and column by its current cell, and is
  // scrolled back to its first cell after a pass.
  explicit TfSigInline(QWidget* owner);
  ~TfSigInline() override;

  PLUGIN_RESULT Execute(uint16_t command, PAKETS& store) override;
  // The filter pass; returns 1.
  int Process() override;

 protected:
  [[nodiscard]] bool ReadyToStart() const override { return store_ != nullptr; }
  void Closing() override;

 private:
  void tTimerTimer();

  QTimer* tTimer = nullptr;
};
