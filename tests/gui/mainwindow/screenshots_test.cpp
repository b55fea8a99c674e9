// Pictures of the program for the README and for looking at: the main window in the five display
// modes with marked packets and a column range, the About box, the help window and the file
// window at work. Written only when PELORIN_SCREENSHOT_DIR names a folder; run under xvfb-run with
// QT_QPA_PLATFORM=xcb for the fonts of a real display.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTextBrowser>

#include <cstdlib>

#include "gui/dialogs/select_frame.h"
#include "gui/ui_capture.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/main_window.h"
#include "gui/grid/packet_grid.h"

namespace {

// The main window, taking a picture of the file window when the first screen shows.
class shooting_main : public TfMain {
 public:
  void ShowFirstScreen() override {
    TfMain::ShowFirstScreen();
    if (auto* loader = findChild<QWidget*>(QStringLiteral("TfSigLoader"))) {
      loader_shot = loader->grab();
    }
  }
  QPixmap loader_shot;
};

// The dialog frame as an operation shows it: the scope frame in the parameter group.
class sample_dialog : public TPelorin_Plugin {
 public:
  sample_dialog() : TPelorin_Plugin(nullptr) {
    auto* scope = new Tfr_select(gbParams);
    scope->move(0, 64);
    lblTitle->setText(QStringLiteral("SIGSample"));
  }
  int Process() override { return 0; }
};

TEST(MainWindowLook, Screenshots) {
  const char* folder = std::getenv("PELORIN_SCREENSHOT_DIR");
  if (folder == nullptr) GTEST_SKIP() << "PELORIN_SCREENSHOT_DIR is not set";
  const QDir out(QString::fromLocal8Bit(folder));
  ui_capture ui;
  ui.files.push_back(file_choice{QStringLiteral(PELORIN_SOURCE_DIR "/examples/demo.sig"), 0});
  shooting_main main;
  main.resize(1280, 760);
  main.show();
  main.mLoadClick();
  ASSERT_FALSE(main.store().empty());
  ASSERT_FALSE(main.loader_shot.isNull());
  main.loader_shot.save(out.filePath(QStringLiteral("file-window.png")));

  // Mark a few packets and a column range, as a user would have done.
  const uint32_t marks[][2] = {{2, 0x0000FF}, {3, 0x0000FF},  {6, 0x00FFFF},
                               {9, 0xFF0000}, {12, 0x00FF00}, {13, 0x00FF00}};
  for (const auto& [number, colour] : marks) main.store().at(number)->colour = colour;
  main.grid()->setColumnRange(3, 6);
  main.grid()->setCurrentCell(4, 8);
  main.mViewWProtoClick();
  emit main.grid()->packetActivated(0);
  const char* names[] = {"decimal", "hex", "binary", "text", "pseudo"};
  for (int mode = 0; mode < 5; ++mode) {
    switch (mode) {
      case 0:
        main.mViewDecClick();
        break;
      case 1:
        main.mViewHexClick();
        break;
      case 2:
        main.mViewBinClick();
        break;
      case 3:
        main.mViewTextClick();
        break;
      default:
        main.mViewPseudoClick();
        break;
    }
    QCoreApplication::processEvents();
    main.grab().save(out.filePath(QStringLiteral("main-%1.png").arg(QLatin1String(names[mode]))));
  }

  ui.on_show = [&out](TPelorin_Plugin& d) {
    QCoreApplication::processEvents();
    d.grab().save(out.filePath(QStringLiteral("about.png")));
    d.reject();
  };
  main.mAboutClick();

  main.mHelpClick();
  main.helpWindow()->browser()->setSource(QUrl(QStringLiteral("qrc:/help/grid.html")));
  QCoreApplication::processEvents();
  main.helpWindow()->grab().save(out.filePath(QStringLiteral("help.png")));
  main.helpWindow()->ShowContents();
  QCoreApplication::processEvents();
  main.helpWindow()->grab().save(out.filePath(QStringLiteral("help-contents.png")));
  main.helpWindow()->close();
  main.SetSaved(true);

  sample_dialog dialog;
  dialog.show();
  QCoreApplication::processEvents();
  dialog.grab().save(out.filePath(QStringLiteral("dialog-frame.png")));
}

}  // namespace
