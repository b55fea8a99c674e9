#pragma once

#include "gui/dialogs/plugin_dialog.h"

// The About box: a picture the program draws, the program's name, purpose and version. Changes
// nothing and reports nothing; closed with its close box.
class TfAbout : public TPelorin_Plugin {
  Q_OBJECT

 public:
  explicit TfAbout(QWidget* owner);

  int Process() override { return 0; }
  PLUGIN_RESULT Execute(uint16_t command, PAKETS& store) override;

  static QString version_text() { return QStringLiteral("Pelorin ver. 0.9 beta"); }
};

// The About picture, 509 x 336: a signal's packets as grid rows over a dark gradient.
[[nodiscard]] QPixmap about_picture();
