#pragma once

#include <QFrame>

#include <array>
#include <cstdint>

class QButtonGroup;
class QLabel;
class QToolButton;

// The marking colours of the program, in the order of their buttons.
struct marking_colour {
  const char* button;  // object name of the button
  uint32_t number;     // 0x00BBGGRR
};
inline constexpr std::array<marking_colour, 11> marking_colours{{
    {"btnGray", 0xC0C0C0},
    {"btnDark", 0x808080},
    {"btnBlue", 0xFF0000},
    {"btnYellow", 0x00FFFF},
    {"btnRed", 0x0000FF},
    {"btnLime", 0x00FF00},
    {"btnGreen", 0x008000},
    {"btnOlive", 0x008080},
    {"btnPurple", 0xFF00FF},
    {"btnAqua", 0xFFFF00},
    {"btnTeal", 0x808000},
}};

// The colour frame: eleven colour buttons in one group, red pressed at start, under the caption
// "подкраска результата" (which embedding frames may blank).
class Tfr_colors : public QFrame {
  Q_OBJECT

 public:
  explicit Tfr_colors(QWidget* parent = nullptr);

  // The colour number of the pressed button; white when none is pressed.
  [[nodiscard]] uint32_t ChosenColour() const;
  // Presses the button of the colour; any other number releases them all.
  void Choose(uint32_t number);
  void Enable(bool on);
  // Without the caption, one button row high: the frame as the tool bar shows it.
  void SetCompact();
  [[nodiscard]] QLabel* caption() const { return Label4; }

 signals:
  void colourChosen(uint32_t number);

 private:
  QLabel* Label4 = nullptr;
  QButtonGroup* group_ = nullptr;
  std::array<QToolButton*, marking_colours.size()> buttons_{};
};
