#include "gui/dialogs/select_frame.h"

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>

#include "gui/dialogs/colors_frame.h"

namespace {

QRadioButton* radio(QWidget* parent, const char* name, const QString& text, int y) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(8, y, 262, 17);
  return button;
}

}  // namespace

Tfr_select::Tfr_select(QWidget* parent) : QGroupBox(parent) {
  setObjectName(QStringLiteral("Tfr_select"));
  setFixedSize(277, 95);
  rbAllPakets = radio(this, "rbAllPakets", QStringLiteral("применить ко всем пакетам"), 6);
  rbUnselectedPakets =
      radio(this, "rbUnselectedPakets", QStringLiteral("применить к невыделенным пакетам"), 24);
  rbSelectedPakets = radio(this, "rbSelectedPakets",
                           QStringLiteral("применить к пакетам определенного цвета:"), 42);
  // The three choices are a group of their own: Qt's automatic exclusivity would count them with
  // every radio button of the dialog around the frame, and a click on one of the dialog's own could
  // then clear the frame's choice instead of its neighbour.
  auto* choices = new QButtonGroup(this);
  for (QRadioButton* b : {rbAllPakets, rbUnselectedPakets, rbSelectedPakets}) choices->addButton(b);
  fColors = new Tfr_colors(this);
  fColors->setObjectName(QStringLiteral("fColors"));
  fColors->caption()->clear();
  fColors->move(3, 52);
  rbAllPakets->setChecked(true);
  connect(rbAllPakets, &QRadioButton::clicked, this, [this] { rbAllPaketsClick(); });
  connect(rbUnselectedPakets, &QRadioButton::clicked, this, [this] { rbUnselectedPaketsClick(); });
  connect(rbSelectedPakets, &QRadioButton::clicked, this, [this] { rbSelectedPaketsClick(); });
  rbAllPaketsClick();
}

void Tfr_select::rbAllPaketsClick() {
  rbAllPakets->setChecked(true);
  fColors->Enable(false);
}

void Tfr_select::rbUnselectedPaketsClick() {
  rbUnselectedPakets->setChecked(true);
  fColors->Enable(false);
}

void Tfr_select::rbSelectedPaketsClick() {
  rbSelectedPakets->setChecked(true);
  fColors->Enable(true);
}

scope Tfr_select::Scope() const {
  scope s;
  s.all = rbAllPakets->isChecked();
  s.colour = rbSelectedPakets->isChecked() ? fColors->ChosenColour() : colour_white;
  return s;
}
