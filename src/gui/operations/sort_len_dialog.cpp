#include "gui/operations/sort_len_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/fields.h"
#include "gui/dialogs/select_frame.h"
#include "gui/grid/packet_grid.h"

namespace {

// The parameter group grows by this much to hold the comparison row and the colour frame below
// the scope frame.
constexpr int extra_height = 24;
// The number's maximum for a dialog without a grid: the longest packet a SIG record holds.
constexpr int longest_without_grid = 65535;

}  // namespace

TfSortLen::TfSortLen(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSortLen",
                              .caption = "отбор по длинам",
                              .title = "SIGSortLen",
                              .extra_height = extra_height,
                              .scope = scope_place::top}) {
  const int row = fSelect->y() + fSelect->height() + 4;
  lblHeader = add_label(gbParams, QStringLiteral("длина пакета"), 8, row, 76);
  lblHeader->setObjectName(QStringLiteral("lblHeader"));
  cbOp = new QComboBox(gbParams);
  cbOp->setObjectName(QStringLiteral("cbOp"));
  cbOp->addItems(operator_texts());
  cbOp->setCurrentIndex(0);
  cbOp->setGeometry(86, row, 90, 20);
  edVal = new QSpinBox(gbParams);
  edVal->setObjectName(QStringLiteral("edVal"));
  // A grid, when there is one, narrows this to its column count plus 1 (Prepare).
  edVal->setRange(1, longest_without_grid);
  edVal->setValue(1);
  edVal->setGeometry(180, row, 56, 20);
  add_label(gbParams, QStringLiteral("байт"), 240, row, 34);

  fColors = new Tfr_colors(gbParams);
  fColors->setObjectName(QStringLiteral("fColors"));
  fColors->move(3, row + 24);
}

QStringList TfSortLen::operator_texts() {
  return {QStringLiteral("равна"), QStringLiteral("не равна"), QStringLiteral("меньше"),
          QStringLiteral("больше")};
}

bool TfSortLen::Prepare() {
  if (grid() != nullptr) edVal->setMaximum(std::max(1, grid()->gridColumnCount() + 1));
  return true;
}

void TfSortLen::btnOkClick() {
  edVal->interpretText();
  params_ = length_selection{static_cast<length_operator>(cbOp->currentIndex()),
                             static_cast<uint32_t>(edVal->value()), fColors->ChosenColour()};
  RunPassAndClose();
}

int TfSortLen::Process() {
  select_by_length(*store_, fSelect->Scope(), params_, pass_);
  return 1;
}
