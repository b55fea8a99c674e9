#include "gui/operations/fill_dialog.h"

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

// The parameter group grows by this much to hold the four rows above the scope frame.
constexpr int extra_height = 56;

}  // namespace

TfSigFill::TfSigFill(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigFill",
                              .caption = "дополнение",
                              .title = "SIGFill",
                              .extra_height = extra_height,
                              .scope = scope_place::bottom}) {
  rbMax = new QRadioButton(QStringLiteral("дополнение до самого длинного пакета"), gbParams);
  rbMax->setObjectName(QStringLiteral("rbMax"));
  rbMax->setGeometry(8, 16, 262, 17);
  rbTo = new QRadioButton(QStringLiteral("дополнение до"), gbParams);
  rbTo->setObjectName(QStringLiteral("rbTo"));
  rbTo->setGeometry(8, 40, 104, 17);
  rbMax->setChecked(true);
  edFillTo = add_field(gbParams, "edFillTo", QStringLiteral("1"), 114, 38, 57);
  edFillTo->setEnabled(false);
  add_label(gbParams, QStringLiteral("байта"), 176, 38, 60);

  add_label(gbParams, QStringLiteral("десятичное значение "), 8, 62, 150);
  add_label(gbParams, QStringLiteral("символа-заполнителя"), 8, 80, 150);
  edVal = add_field(gbParams, "edVal", QStringLiteral("0"), 160, 72, 57);

  connect(rbMax, &QRadioButton::clicked, this, [this] { rbMaxClick(); });
  connect(rbTo, &QRadioButton::clicked, this, [this] { rbToClick(); });
}

QString TfSigFill::invalid_value_text() {
  return QString::fromUtf8(fill_invalid_value_text.data(),
                           static_cast<qsizetype>(fill_invalid_value_text.size()));
}

QString TfSigFill::invalid_target_text() {
  return QString::fromUtf8(fill_invalid_target_text.data(),
                           static_cast<qsizetype>(fill_invalid_target_text.size()));
}

void TfSigFill::rbMaxClick() {
  rbMax->setChecked(true);
  edFillTo->setEnabled(false);
}

void TfSigFill::rbToClick() {
  rbTo->setChecked(true);
  edFillTo->setEnabled(true);
}

void TfSigFill::btnOkClick() {
  const std::optional<int32_t> value = int_field_value(edVal);
  if (!value || *value < 0 || *value > 255) {
    show_warning(this, invalid_value_text());
    edVal->setFocus();
    return;
  }
  fill_params params{rbMax->isChecked(), 0, static_cast<uint8_t>(*value)};
  if (rbTo->isChecked()) {
    const std::optional<int32_t> target = int_field_value(edFillTo);
    if (!target) {
      show_warning(this, invalid_target_text());
      edFillTo->setFocus();
      return;
    }
    params.target = *target;
  }
  // Padding that memory cannot hold (or longer than a packet can be) is no valid value.
  if (!fill_fits_memory(*store_, fSelect->Scope(), params)) {
    show_warning(this, ::invalid_value_text());
    if (rbTo->isChecked()) {
      edFillTo->setFocus();
    } else {
      rbMax->setFocus();
    }
    return;
  }
  params_ = params;
  RunPassAndClose();
}

int TfSigFill::Process() {
  // Packets padded before memory ran out stay padded: the pass still counts, and the failure is
  // shown.
  if (!::fill(*store_, fSelect->Scope(), params_, pass_))
    show_error(this, escaped_exception_text());
  return 1;
}
