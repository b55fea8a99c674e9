#include "gui/operations/cut_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <optional>

#include "gui/dialogs/glyphs.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/select_frame.h"

namespace {

// The parameter group grows by this much to hold the two rows of counts above the scope frame;
// the bottom row moves down with it.
constexpr int extra_height = 24;

QLabel* label(QWidget* parent, const QString& text, int x, int y, int width) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(x, y, width, 20);
  return l;
}

QLineEdit* count_field(QWidget* parent, const char* name, int y) {
  auto* field = new QLineEdit(QStringLiteral("0"), parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setGeometry(62, y, 57, 20);
  return field;
}

std::optional<int32_t> count_of(const QLineEdit* field) {
  return parse_cut_count(field->text().toStdString());
}

}  // namespace

TfSigCut::TfSigCut(QWidget* owner) : TPelorin_Plugin(owner) {
  setObjectName(QStringLiteral("TfSigCut"));
  setWindowTitle(QStringLiteral("обрезка"));
  lblTitle->setText(QStringLiteral("SIGCut"));
  imgLogo->setPixmap(program_logo(imgLogo->width()));
  setFixedSize(width(), height() + extra_height);
  gbParams->resize(gbParams->width(), gbParams->height() + extra_height);
  for (QWidget* w : {static_cast<QWidget*>(panProgress), static_cast<QWidget*>(btnCancel),
                     static_cast<QWidget*>(btnOk)}) {
    w->move(w->x(), w->y() + extra_height);
  }

  rbBytes = new QRadioButton(QStringLiteral("побайтная обрезка"), gbParams);
  rbBytes->setObjectName(QStringLiteral("rbBytes"));
  rbBytes->setGeometry(8, 16, 130, 17);
  rbBits = new QRadioButton(QStringLiteral("побитная обрезка"), gbParams);
  rbBits->setObjectName(QStringLiteral("rbBits"));
  rbBits->setGeometry(142, 16, 130, 17);
  rbBytes->setChecked(true);

  label(gbParams, QStringLiteral("отрезать "), 8, 38, 54);
  edStart = count_field(gbParams, "edStart", 38);
  lblStart = label(gbParams, QStringLiteral("байт от начала"), 124, 38, 148);
  lblStart->setObjectName(QStringLiteral("lblStart"));
  label(gbParams, QStringLiteral("отрезать"), 8, 62, 54);
  edEnd = count_field(gbParams, "edEnd", 62);
  lblEnd = label(gbParams, QStringLiteral("байт от конца"), 124, 62, 148);
  lblEnd->setObjectName(QStringLiteral("lblEnd"));

  fSelect = new Tfr_select(gbParams);
  fSelect->setObjectName(QStringLiteral("fSelect"));
  fSelect->move(0, gbParams->height() - fSelect->height());

  connect(rbBytes, &QRadioButton::clicked, this, [this] { rbBytesClick(); });
  connect(rbBits, &QRadioButton::clicked, this, [this] { rbBitsClick(); });
  connect(btnOk, &QToolButton::clicked, this, [this] { btnOkClick(); });
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
  const std::optional<int32_t> start = count_of(edStart);
  const std::optional<int32_t> end = count_of(edEnd);
  if (!start || !end) {
    show_warning(this, invalid_counts_text());
    edStart->setFocus();
    return;
  }
  params_ = cut_params{rbBits->isChecked(), *start, rbBits->isChecked() ? 0 : *end};
  const int processed = Process();
  // Cancel during a long pass has closed the dialog already.
  if (cancelled_) return;
  if (processed != 0) {
    accept();
  } else {
    reject();
  }
}

void TfSigCut::reject() {
  pass_.running = false;
  cancelled_ = true;
  TPelorin_Plugin::reject();
}

int TfSigCut::Process() {
  cut(*store_, fSelect->Scope(), params_, pass_);
  return 1;
}
