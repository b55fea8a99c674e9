#include "gui/operations/defrag_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QScopeGuard>
#include <QSpinBox>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/fields.h"
#include "gui/dialogs/message_box.h"
#include "gui/grid/packet_grid.h"

namespace {

// The parameter group grows by this much to hold the three rows of fragments.
constexpr int extra_height = 150;

// A spin field 0..100 with its label before and its unit after.
QSpinBox* count_row(QWidget* parent, const char* name, const QString& caption, int y) {
  add_label(parent, caption, 8, y, 150);
  auto* field = new QSpinBox(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setRange(0, 100);
  field->setGeometry(160, y, 60, 20);
  add_label(parent, QStringLiteral("байт"), 226, y, 40);
  return field;
}

Tfr_colors* colour_row(QWidget* parent, const char* name, int y) {
  auto* frame = new Tfr_colors(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->move(3, y);
  return frame;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text, int y, bool on) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(8, y, 262, 17);
  box->setChecked(on);
  return box;
}

const QString from_end = QStringLiteral("удалить от конца пакета");
const QString from_start = QStringLiteral("удалить от начала пакета");

}  // namespace

TfSigDefrag::TfSigDefrag(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigDefrag",
                              .caption = "дефрагментатор",
                              .title = "SIGDefrag",
                              .extra_height = extra_height}) {
  // The rows start below the parameter group's caption and frame line.
  const int top = 22;
  fCStart = colour_row(gbParams, "fCStart", top);
  fCStart->caption()->setText(QStringLiteral("цвет первых пакетов"));
  edBStart = count_row(gbParams, "edBStart", from_end, top + 40);

  cbMiddle =
      check(gbParams, "cbMiddle", QStringLiteral("цвет промежуточных пакетов"), top + 66, true);
  fCMiddle = colour_row(gbParams, "fCMiddle", top + 68);
  fCMiddle->caption()->clear();
  edBMiddle = count_row(gbParams, "edBMiddle", from_end, top + 108);
  edEMiddle = count_row(gbParams, "edEMiddle", from_start, top + 132);

  cbEnd = check(gbParams, "cbEnd", QStringLiteral("цвет последних пакетов"), top + 158, false);
  fCEnd = colour_row(gbParams, "fCEnd", top + 160);
  fCEnd->caption()->clear();
  edBEnd = count_row(gbParams, "edBEnd", from_end, top + 200);
  edEEnd = count_row(gbParams, "edEEnd", from_start, top + 224);

  connect(cbMiddle, &QCheckBox::clicked, this, [this] { cbMiddleClick(); });
  connect(cbEnd, &QCheckBox::clicked, this, [this] { cbEndClick(); });
  cbMiddleClick();
  cbEndClick();
}

QString TfSigDefrag::overlong_text(uint32_t number) {
  return QString::fromStdString(defrag_overlong_text(number));
}

void TfSigDefrag::cbMiddleClick() {
  const bool on = cbMiddle->isChecked();
  fCMiddle->setVisible(on);
  edBMiddle->setEnabled(on);
  edEMiddle->setEnabled(on);
}

void TfSigDefrag::cbEndClick() {
  const bool on = cbEnd->isChecked();
  fCEnd->setVisible(on);
  edBEnd->setEnabled(on);
  edEEnd->setEnabled(on);
}

void TfSigDefrag::btnOkClick() {
  auto count = [](const QSpinBox* field) { return static_cast<uint32_t>(field->value()); };
  params_ = defrag_params{};
  params_.first = scope{false, fCStart->ChosenColour()};
  params_.first_tail = count(edBStart);
  if (cbMiddle->isChecked()) params_.middle = scope{false, fCMiddle->ChosenColour()};
  params_.middle_tail = count(edBMiddle);
  params_.middle_head = count(edEMiddle);
  if (cbEnd->isChecked()) params_.last = scope{false, fCEnd->ChosenColour()};
  params_.last_tail = count(edBEnd);
  params_.last_head = count(edEEnd);
  params_.on_overlong = [this](uint32_t number) { show_warning(this, overlong_text(number)); };
  RunPassAndClose();
}

int TfSigDefrag::Process() {
  // Until the pass has renumbered the store, entries behind the walk may name packets already
  // destroyed: the grid must not paint from it while a message or the gauge lets events in.
  TPacketGrid* view = grid();
  if (view != nullptr) view->setUpdatesEnabled(false);
  const auto repaint_later = qScopeGuard([view] {
    if (view != nullptr) view->setUpdatesEnabled(true);
  });
  defrag(*store_, params_, pass_);
  return 1;
}
