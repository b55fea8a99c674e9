// Pictures of the program for the README and for looking at: the main window in the five display
// modes with marked packets and a column range, the About box, the help window, the file window at
// work, the bare grid in each mode, and the demo's joined frames. Not a test:
// scripts/screenshots.sh runs it under xvfb-run for the fonts of a real display.
//
// Usage: pelorin_screenshots FOLDER [GRID-FONT-FAMILY]

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest/QTest>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/main_window.h"
#include "gui/ui_capture.h"

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

bool main_window_shots(const QDir& out) {
  ui_capture ui;
  ui.files.push_back(file_choice{QStringLiteral(PELORIN_SOURCE_DIR "/examples/demo.sig"), 0});
  shooting_main main;
  main.resize(1280, 760);
  main.show();
  main.mLoadClick();
  if (main.store().empty() || main.loader_shot.isNull()) {
    std::fprintf(stderr, "pelorin_screenshots: the example signal did not load\n");
    return false;
  }
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
  return true;
}

// The demo's end: the fragments of examples/demo.sig marked by their first byte (15 red, 31 blue,
// 47 green, as the selection by values marks them), joined by the defragmenter run from its menu
// item, and the first joined frame decoded in the protocol pane.
bool demo_shot(const QDir& out) {
  constexpr uint32_t red = 0x0000FF;
  constexpr uint32_t blue = 0xFF0000;
  constexpr uint32_t green = 0x00FF00;
  ui_capture ui;
  ui.files.push_back(file_choice{QStringLiteral(PELORIN_SOURCE_DIR "/examples/demo.sig"), 0});
  TfMain main;
  main.resize(1280, 760);
  main.show();
  main.mLoadClick();
  for (const auto& entry : main.store()) {
    xpaket& p = *entry.second;
    const uint8_t first = p.byte_length() > 0 ? p.bytes()[0] : 0;
    p.colour = first == 0x0F ? red : first == 0x1F ? blue : first == 0x2F ? green : p.colour;
  }
  const size_t before = main.store().size();
  ui.on_show = [](TPelorin_Plugin& d) {
    auto set = [&d](const char* name, int value) {
      d.findChild<QSpinBox*>(QString::fromLatin1(name))->setValue(value);
    };
    d.findChild<Tfr_colors*>(QStringLiteral("fCStart"))->Choose(red);
    set("edBStart", 1);
    d.findChild<Tfr_colors*>(QStringLiteral("fCMiddle"))->Choose(blue);
    set("edBMiddle", 1);
    set("edEMiddle", 1);
    d.findChild<QCheckBox*>(QStringLiteral("cbEnd"))->click();
    d.findChild<Tfr_colors*>(QStringLiteral("fCEnd"))->Choose(green);
    set("edBEnd", 1);
    set("edEEnd", 1);
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  };
  main.findChild<QAction*>(QStringLiteral("mDefrag"))->trigger();
  if (main.store().size() >= before) {
    std::fprintf(stderr, "pelorin_screenshots: the defragmenter joined nothing\n");
    return false;
  }
  main.mViewWProtoClick();
  main.mViewHexClick();
  main.grid()->setCurrentCell(1, 2);
  emit main.grid()->packetActivated(1);
  QCoreApplication::processEvents();
  main.grab().save(out.filePath(QStringLiteral("demo-joined.png")));
  main.SetSaved(true);
  return true;
}

void grid_shots(const QDir& out, const char* font_family) {
  using bytes = std::vector<uint8_t>;
  PAKETS store;
  TPacketGrid grid;
  grid.resize(720, 420);
  grid.setStore(&store);
  grid.show();
  const std::string text = "Pelorin \xC0\xC1\xC2 packet signal";
  for (int k = 0; k < 40; ++k) {
    bytes b(static_cast<size_t>(8 + (k * 7) % 17));
    for (size_t i = 0; i < b.size(); ++i) {
      b[i] = k % 4 == 3 ? static_cast<uint8_t>(text[i % text.size()])
                        : static_cast<uint8_t>(k * 31 + i * 17);
    }
    auto* p = new xpaket(b.data(), static_cast<uint32_t>(b.size()));
    p->colour = k == 2 ? 0x0000FF : k == 5 ? 0x00FF00 : k == 6 ? 0xFFFF00 : colour_white;
    store.append(p);
  }
  if (font_family != nullptr) grid.setFont(QFont(QString::fromUtf8(font_family), 8));
  grid.RecountPackets();
  grid.setColumnRange(3, 6);
  grid.setCurrentCell(4, 2);
  const char* names[] = {"decimal", "hex", "binary", "text", "pseudo"};
  for (int m = 0; m < 5; ++m) {
    grid.SetViewMode(m);
    QCoreApplication::processEvents();
    grid.grab().save(out.filePath(QStringLiteral("grid_%1.png").arg(QLatin1String(names[m]))));
  }
  // What the screen shows after scrolling, where the view moves the pixels it already painted.
  grid.SetViewMode(0);
  QTest::qWait(50);
  for (int k = 0; k < 3; ++k) {
    QTest::keyClick(&grid, Qt::Key_Down);
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->value() + 1);
    grid.horizontalScrollBar()->setValue(k);
    QTest::qWait(50);
  }
  if (QScreen* screen = grid.screen()) {
    screen->grabWindow(grid.winId()).save(out.filePath(QStringLiteral("grid_scrolled.png")));
  }
  grid.setStore(nullptr);
  unload_store(store);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pelorin_screenshots FOLDER [GRID-FONT-FAMILY]\n");
    return 2;
  }
  QApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.exists()) {
    std::fprintf(stderr, "pelorin_screenshots: no folder %s\n", argv[1]);
    return 2;
  }
  grid_shots(out, argc > 2 ? argv[2] : nullptr);
  return main_window_shots(out) && demo_shot(out) ? 0 : 1;
}
