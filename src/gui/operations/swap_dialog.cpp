#include "gui/operations/swap_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

#include "gui/dialogs/glyphs.h"
#include "gui/dialogs/select_frame.h"

TfSigSwap::TfSigSwap(QWidget* owner) : TPelorin_Plugin(owner) {
  setObjectName(QStringLiteral("TfSigSwap"));
  setWindowTitle(QStringLiteral("перестановка"));
  lblTitle->setText(QStringLiteral("SIGSwap"));
  imgLogo->setPixmap(program_logo(imgLogo->width()));

  rbReverse = new QRadioButton(QStringLiteral("разворот бит в байте"), gbParams);
  rbReverse->setObjectName(QStringLiteral("rbReverse"));
  rbReverse->setGeometry(8, 16, 260, 17);
  rbSwap = new QRadioButton(QStringLiteral("перестановка соседних байт"), gbParams);
  rbSwap->setObjectName(QStringLiteral("rbSwap"));
  rbSwap->setGeometry(8, 38, 260, 17);
  rbReverse->setChecked(true);

  fSelect = new Tfr_select(gbParams);
  fSelect->setObjectName(QStringLiteral("fSelect"));
  fSelect->move(0, gbParams->height() - fSelect->height());

  connect(btnOk, &QToolButton::clicked, this, [this] { btnOkClick(); });
}

void TfSigSwap::btnOkClick() {
  params_.mode = rbSwap->isChecked() ? swap_mode::swap_bytes : swap_mode::reverse_bits;
  RunPassAndClose();
}

int TfSigSwap::Process() {
  ::swap(*store_, fSelect->Scope(), params_, pass_);
  return 1;
}
