#pragma once

#include <QGroupBox>

#include "core/operations/pass.h"

class QRadioButton;
class Tfr_colors;

// The scope frame: all packets, the unselected (white) ones, or those of one colour.
class Tfr_select : public QGroupBox {
  Q_OBJECT

 public:
  explicit Tfr_select(QWidget* parent = nullptr);

  // The packets an operation is to work on, as the frame stands now.
  [[nodiscard]] scope Scope() const;
  [[nodiscard]] Tfr_colors* colours() const { return fColors; }

  void rbAllPaketsClick();
  void rbUnselectedPaketsClick();
  void rbSelectedPaketsClick();

 private:
  QRadioButton* rbAllPakets = nullptr;
  QRadioButton* rbUnselectedPakets = nullptr;
  QRadioButton* rbSelectedPakets = nullptr;
  Tfr_colors* fColors = nullptr;
};
