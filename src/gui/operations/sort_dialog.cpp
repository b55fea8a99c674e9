#include "gui/operations/sort_dialog.h"

#include <QGroupBox>

#include "core/operations/select_by_values.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/dialogs/sort_frame.h"

TfSigSort::TfSigSort(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigSort",
                              .caption = "отбор по значениям",
                              .title = "SIGSort",
                              .scope = scope_place::top}) {
  fSorter = new Tfr_sort(gbParams);
  fSorter->setObjectName(QStringLiteral("fSorter"));
  fSorter->move(0, fSelect->y() + fSelect->height() + 2);
  fColors = new Tfr_colors(gbParams);
  fColors->setObjectName(QStringLiteral("fColors"));
  fColors->move(3, fSorter->y() + fSorter->height() + 2);
  GrowParams(fColors->y() + fColors->height() + 4 - gbParams->height());
}

bool TfSigSort::Prepare() {
  if (const std::optional<uint32_t> byte = CurrentByte()) {
    fSorter->SetPosition(static_cast<int>(*byte) + 1);
  }
  return true;
}

void TfSigSort::btnOkClick() {
  if (fSorter->Clauses().empty()) {
    done(QDialog::Accepted);
    return;
  }
  RunPassAndClose();
}

int TfSigSort::Process() {
  select_by_values(*store_, fSelect->Scope(), fSorter->Clauses(), fColors->ChosenColour(), pass_);
  return 1;
}
