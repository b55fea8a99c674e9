#pragma once

#include <functional>
#include <optional>

#include "core/grid/cell_text.h"
#include "core/operations/search.h"
#include "gui/dialogs/plugin_dialog.h"

class QGroupBox;
class QLineEdit;
class QRadioButton;
class Tfr_colors;

// The search dialog "SIGSearch": a text or a bit sequence, the range, first match or all
// matches. Command code 0 opens the dialog; code 1 (find next) repeats the last successful
// first-match search from the packet after the current one without opening it. The settings,
// the find-next permission among them, live in the per-user settings store between commands.
class TfSigFind : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfSigFind(QWidget* owner);

  // Loads the settings, opens the dialog or finds next, and writes the settings back, also after
  // Cancel. Raises no counter.
  PLUGIN_RESULT Execute(uint16_t command, PAKETS& store) override;
  // Runs the search read by btnOkClick and shows its outcome; returns 1.
  int Process() override;

  void rbNextMatchClick();
  void rbAllMatchClick();
  // Checks the pattern; runs the search and closes, or shows the message and stays.
  void btnOkClick() override;

  // How the dialog switches the main window's display mode after a first match (the main window's
  // own View command); without one, the grid's mode is switched alone.
  using mode_switch = std::function<void(view_mode)>;
  void SetModeSwitch(mode_switch show_mode) { show_mode_ = std::move(show_mode); }

  [[nodiscard]] bool canFindNext() const { return can_find_next_; }

  static QString organisation();
  static QString application();
  // The settings group of the dialog.
  static QString settings_group();
  // What the status bar tells after an all-matches search: " найдено и выделено пакетов: N".
  static QString coloured_text(uint32_t packets);

 protected:
  // Loads the settings; for find next runs the search here and keeps the dialog closed.
  bool Prepare() override;

 private:
  void LoadSettings();
  void SaveSettings() const;
  // The parameters as the controls stand, in the dialog's range or in the find-next form; on a
  // bad pattern shows its message, clears the permission and returns nothing.
  std::optional<search_params> ReadParams(bool find_next);
  void ShowHit(const search_hit& hit);

  QRadioButton* rbText = nullptr;
  QRadioButton* rbBin = nullptr;
  QLineEdit* edVal = nullptr;
  QGroupBox* gbScope = nullptr;
  QRadioButton* rbAll = nullptr;
  QRadioButton* rbDown = nullptr;
  QRadioButton* rbUp = nullptr;
  QGroupBox* gbAmout = nullptr;
  QRadioButton* rbNextMatch = nullptr;
  QRadioButton* rbAllMatch = nullptr;
  Tfr_colors* fColor = nullptr;

  bool can_find_next_ = false;
  search_params params_;
  mode_switch show_mode_;
};
