#include "gui/dialogs/colors_frame.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>

#include "gui/dialogs/glyphs.h"

namespace {

// The name a colour button's tool tip gives its colour.
QString colour_name(uint32_t number) {
  switch (number) {
    case 0xC0C0C0:
      return QStringLiteral("светло-серый");
    case 0x808080:
      return QStringLiteral("тёмно-серый");
    case 0xFF0000:
      return QStringLiteral("синий");
    case 0x00FFFF:
      return QStringLiteral("жёлтый");
    case 0x0000FF:
      return QStringLiteral("красный");
    case 0x00FF00:
      return QStringLiteral("салатовый");
    case 0x008000:
      return QStringLiteral("зелёный");
    case 0x008080:
      return QStringLiteral("оливковый");
    case 0xFF00FF:
      return QStringLiteral("пурпурный");
    case 0xFFFF00:
      return QStringLiteral("голубой");
    case 0x808000:
      return QStringLiteral("сине-зелёный");
    default:
      return {};
  }
}

}  // namespace

Tfr_colors::Tfr_colors(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Tfr_colors"));
  setFixedSize(271, 40);
  Label4 = new QLabel(QStringLiteral("подкраска результата"), this);
  Label4->setObjectName(QStringLiteral("Label4"));
  Label4->setGeometry(4, 0, 260, 15);
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  for (size_t i = 0; i < marking_colours.size(); ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(marking_colours[i].button));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setIcon(colour_glyph(marking_colours[i].number));
    button->setToolTip(colour_name(marking_colours[i].number));
    button->setIconSize(QSize(16, 16));
    button->setGeometry(4 + 24 * static_cast<int>(i), 16, 23, 22);
    group_->addButton(button, static_cast<int>(i));
    buttons_[i] = button;
  }
  Choose(0x0000FF);
  connect(group_, &QButtonGroup::idClicked, this,
          [this](int id) { emit colourChosen(marking_colours[static_cast<size_t>(id)].number); });
}

uint32_t Tfr_colors::ChosenColour() const {
  const int id = group_->checkedId();
  if (id < 0) return 0xFFFFFF;
  return marking_colours[static_cast<size_t>(id)].number;
}

void Tfr_colors::Choose(uint32_t number) {
  group_->setExclusive(false);
  for (size_t i = 0; i < marking_colours.size(); ++i) {
    buttons_[i]->setChecked(marking_colours[i].number == number);
  }
  group_->setExclusive(true);
}

void Tfr_colors::SetCompact() {
  Label4->hide();
  for (QToolButton* button : buttons_) button->move(button->x(), 1);
  setFixedSize(271, 24);
}

void Tfr_colors::Enable(bool on) {
  for (QToolButton* button : buttons_) button->setEnabled(on);
}
