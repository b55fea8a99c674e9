#include "gui/operations/swap_dialog.h"

#include <QGroupBox>
#include <QRadioButton>

#include "gui/dialogs/select_frame.h"

TfSigSwap::TfSigSwap(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigSwap",
                              .caption = "перестановка",
                              .title = "SIGSwap",
                              .scope = scope_place::bottom}) {
  rbReverse = new QRadioButton(QStringLiteral("разворот бит в байте"), gbParams);
  rbReverse->setObjectName(QStringLiteral("rbReverse"));
  rbReverse->setGeometry(8, 16, 260, 17);
  rbSwap = new QRadioButton(QStringLiteral("перестановка соседних байт"), gbParams);
  rbSwap->setObjectName(QStringLiteral("rbSwap"));
  rbSwap->setGeometry(8, 38, 260, 17);
  rbReverse->setChecked(true);
}

void TfSigSwap::btnOkClick() {
  params_.mode = rbSwap->isChecked() ? swap_mode::swap_bytes : swap_mode::reverse_bits;
  RunPassAndClose();
}

int TfSigSwap::Process() {
  ::swap(*store_, fSelect->Scope(), params_, pass_);
  return 1;
}
