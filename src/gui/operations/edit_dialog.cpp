#include "gui/operations/edit_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

#include "core/operations/int_text.h"
#include "gui/dialogs/fields.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/select_frame.h"

namespace {

// The parameter group grows by this much to hold the three rows above the scope frame.
constexpr int extra_height = 44;

QString byte_number_text() {
  return QStringLiteral("номер байта:");
}
QString bit_number_text() {
  return QStringLiteral("номер бита:");
}

}  // namespace

TfSigEdit::TfSigEdit(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigEdit",
                              .caption = "изменение значения",
                              .title = "SIGEdit",
                              .extra_height = extra_height,
                              .scope = scope_place::bottom}) {
  rbBytes = new QRadioButton(QStringLiteral("изменить значение байт"), gbParams);
  rbBytes->setObjectName(QStringLiteral("rbBytes"));
  rbBytes->setGeometry(8, 16, 260, 17);
  rbBits = new QRadioButton(QStringLiteral("изменить значение бит"), gbParams);
  rbBits->setObjectName(QStringLiteral("rbBits"));
  rbBits->setGeometry(8, 36, 260, 17);
  rbBytes->setChecked(true);

  lblPos = add_label(gbParams, byte_number_text(), 8, 58, 90);
  lblPos->setObjectName(QStringLiteral("lblPos"));
  edPos = new QSpinBox(gbParams);
  edPos->setObjectName(QStringLiteral("edPos"));
  edPos->setRange(1, max_position);
  edPos->setGeometry(100, 58, 57, 20);
  add_label(gbParams, QStringLiteral("изменить на:"), 8, 82, 90);
  cbVal = new QComboBox(gbParams);
  cbVal->setObjectName(QStringLiteral("cbVal"));
  cbVal->setEditable(true);
  cbVal->addItems({QStringLiteral("0"), QStringLiteral("1")});
  // Enter confirms the dialog; it adds nothing to the list.
  cbVal->setInsertPolicy(QComboBox::NoInsert);
  cbVal->setCurrentIndex(-1);
  cbVal->setEditText(QString());
  cbVal->setGeometry(100, 82, 57, 20);

  connect(rbBytes, &QRadioButton::clicked, this, [this] { rbBytesClick(); });
  connect(rbBits, &QRadioButton::clicked, this, [this] { rbBitsClick(); });
}

QString TfSigEdit::invalid_value_text() {
  return QString::fromUtf8(edit_invalid_value_text.data(),
                           static_cast<qsizetype>(edit_invalid_value_text.size()));
}

bool TfSigEdit::Prepare() {
  // The grid's byte columns count from 1 like the field; without a current column it stays at 1.
  const int64_t column = int64_t{CurrentByte().value_or(0)} + 1;
  edPos->setValue(static_cast<int>(std::clamp<int64_t>(column, 1, max_position)));
  return true;
}

void TfSigEdit::rbBytesClick() {
  rbBytes->setChecked(true);
  lblPos->setText(byte_number_text());
  const QString text = cbVal->currentText();
  cbVal->setEditable(true);
  cbVal->setEditText(text);
}

void TfSigEdit::rbBitsClick() {
  rbBits->setChecked(true);
  lblPos->setText(bit_number_text());
  cbVal->setEditable(false);
  cbVal->setCurrentIndex(0);
}

void TfSigEdit::btnOkClick() {
  const std::optional<int32_t> typed = parse_int32(cbVal->currentText().toStdString());
  if (!typed) {
    show_warning(this, invalid_value_text());
    cbVal->setFocus();
    return;
  }
  params_ = edit_params{rbBits->isChecked(), static_cast<uint32_t>(edPos->value() - 1),
                        edit_value_of(*typed)};
  RunPassAndClose();
}

int TfSigEdit::Process() {
  ::edit(*store_, fSelect->Scope(), params_, pass_);
  return 1;
}
