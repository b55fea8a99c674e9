#include "gui/operations/cut_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "gui/dialogs/basic_logger.h"
#include "gui/dialogs/fields.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/select_frame.h"
#include "gui/dialogs/texts.h"

namespace {

// The parameter group grows by this much to hold the two rows of counts above the scope frame.
constexpr int extra_height = 24;

}  // namespace

TfSigCut::TfSigCut(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigCut",
                              .caption = "обрезка",
                              .title = "SIGCut",
                              .extra_height = extra_height,
                              .scope = scope_place::bottom}) {
  rbBytes = new QRadioButton(QStringLiteral("побайтная обрезка"), gbParams);
  rbBytes->setObjectName(QStringLiteral("rbBytes"));
  rbBytes->setGeometry(8, 16, 130, 17);
  rbBits = new QRadioButton(QStringLiteral("побитная обрезка"), gbParams);
  rbBits->setObjectName(QStringLiteral("rbBits"));
  rbBits->setGeometry(142, 16, 130, 17);
  rbBytes->setChecked(true);

  add_label(gbParams, QStringLiteral("отрезать "), 8, 38, 54);
  edStart = add_field(gbParams, "edStart", QStringLiteral("0"), 62, 38, 57);
  lblStart = add_label(gbParams, QStringLiteral("байт от начала"), 124, 38, 148);
  lblStart->setObjectName(QStringLiteral("lblStart"));
  add_label(gbParams, QStringLiteral("отрезать"), 8, 62, 54);
  edEnd = add_field(gbParams, "edEnd", QStringLiteral("0"), 62, 62, 57);
  lblEnd = add_label(gbParams, QStringLiteral("байт от конца"), 124, 62, 148);
  lblEnd->setObjectName(QStringLiteral("lblEnd"));

  connect(rbBytes, &QRadioButton::clicked, this, [this] { rbBytesClick(); });
  connect(rbBits, &QRadioButton::clicked, this, [this] { rbBitsClick(); });
}

QString TfSigCut::invalid_counts_text() {
  return QStringLiteral("Недопустимые символы в поле 'начало' или 'конец'.   ");
}

void TfSigCut::rbBytesClick() {
  rbBytes->setChecked(true);
  lblStart->setText(QStringLiteral("байт от начала"));
  lblEnd->setText(QStringLiteral("байт от конца"));
  edEnd->setEnabled(true);
}

void TfSigCut::rbBitsClick() {
  rbBits->setChecked(true);
  lblStart->setText(QStringLiteral("бит от начала"));
  lblEnd->setText(QStringLiteral("бит от конца"));
  edEnd->setText(QStringLiteral("0"));
  edEnd->setEnabled(false);
}

void TfSigCut::btnOkClick() {
  const std::optional<int32_t> start = int_field_value(edStart);
  const std::optional<int32_t> end = int_field_value(edEnd);
  if (!start || !end) {
    show_warning(this, invalid_counts_text());
    edStart->setFocus();
    return;
  }
  params_ = cut_params{rbBits->isChecked(), *start, rbBits->isChecked() ? 0 : *end};
  // A negative trailing count grows every packet: more than memory holds is no valid value.
  if (!cut_fits_memory(*store_, fSelect->Scope(), params_)) {
    show_warning(this, invalid_value_text());
    edEnd->setFocus();
    return;
  }
  RunPassAndClose();
}

int TfSigCut::Process() {
  // Packets cut before memory ran out stay cut: the pass still counts, so that the grid is
  // recounted, and the failure is shown.
  if (!cut(*store_, fSelect->Scope(), params_, pass_)) show_error(this, escaped_exception_text());
  return 1;
}
