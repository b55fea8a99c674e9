// Pictures of the program for the README and for looking at: the main window in the five display
// modes with marked packets and a column range, the About box, the help window, the file window at
// work, the bare grid in each mode, the demo's joined frames, every operation dialog as it opens,
// and the statistics chart of a few variants, of twenty keys of several bytes and of shares under
// one per cent. Not a test: scripts/screenshots.sh runs it under xvfb-run for the fonts of a real
// display.
//
// Usage: pelorin_screenshots FOLDER [GRID-FONT-FAMILY]

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
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
#include "gui/dialogs/sort_frame.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/main_window.h"
#include "gui/operations/registry.h"
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

// Opens examples/demo.sig in the main window, shown at the pictures' size, through its file dialog.
bool open_demo(TfMain& main, ui_capture& ui) {
  ui.files.push_back(file_choice{QStringLiteral(PELORIN_SOURCE_DIR "/examples/demo.sig"), 0});
  main.resize(1280, 760);
  main.show();
  main.mLoadClick();
  return !main.store().empty();
}

bool main_window_shots(const QDir& out) {
  ui_capture ui;
  shooting_main main;
  if (!open_demo(main, ui) || main.loader_shot.isNull()) {
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
  TfMain main;
  if (!open_demo(main, ui)) return false;
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

// Every dialog of the processing menu as it opens on the demo signal, with a column range marked.
bool dialog_shots(const QDir& out) {
  ui_capture ui;
  TfMain main;
  if (!open_demo(main, ui)) return false;
  main.grid()->setColumnRange(3, 6);
  main.grid()->setCurrentCell(4, 8);
  for (const operation_row& row : operation_rows()) {
    if (row.menu != command_menu::processing || row.code != 0) continue;
    const menu_command& command = row.command;
    ui.on_show = [&out, &command](TPelorin_Plugin& d) {
      if (auto* sorter = d.findChild<Tfr_sort*>()) {
        // Three conditions in the list, of both elements and a long operator.
        auto* element = d.findChild<QComboBox*>(QStringLiteral("cbElem"));
        auto* op = d.findChild<QComboBox*>(QStringLiteral("cbOp"));
        auto* value = d.findChild<QSpinBox*>(QStringLiteral("edVal"));
        sorter->SetPosition(1);
        value->setValue(69);
        sorter->btnAddClick();
        element->setCurrentIndex(1);
        sorter->cbElemChange();
        sorter->SetPosition(9);
        value->setValue(1);
        sorter->btnAddClick();
        element->setCurrentIndex(0);
        sorter->cbElemChange();
        sorter->SetPosition(1500);
        op->setCurrentIndex(1);
        value->setValue(255);
        sorter->btnAddClick();
      }
      QCoreApplication::processEvents();
      d.grab().save(out.filePath(
          QStringLiteral("dialog-%1.png").arg(QString::fromLatin1(command.name + 1).toLower())));
      d.reject();
    };
    main.findChild<QAction*>(QString::fromLatin1(command.name))->trigger();
  }
  main.SetSaved(true);
  return true;
}

// The statistics window after a count of byte values at `positions` (from 1) over `packets`.
void stat_shot(const QDir& out, const QString& name,
               const std::vector<std::vector<uint8_t>>& packets,
               const std::vector<int>& positions) {
  ui_capture ui;
  TfMain main;
  for (const std::vector<uint8_t>& bytes : packets) {
    main.store().append(new xpaket(bytes.data(), static_cast<uint32_t>(bytes.size())));
  }
  main.grid()->RecountPackets();
  ui.on_show = [&](TPelorin_Plugin& d) {
    for (size_t i = 0; i < 5; ++i) {
      d.findChild<QSpinBox*>(QStringLiteral("edE%1").arg(i + 1))
          ->setValue(i < positions.size() ? positions[i] : 0);
    }
    if (positions.empty()) d.findChild<QRadioButton*>(QStringLiteral("rbLen"))->click();
    d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
    QTest::qWait(50);
    d.grab().save(out.filePath(name));
    d.reject();
  };
  main.findChild<QAction*>(QStringLiteral("mStat"))->trigger();
  main.SetSaved(true);
}

void stat_shots(const QDir& out) {
  using packets = std::vector<std::vector<uint8_t>>;
  // A few variants: one byte with four values of unequal shares.
  packets few;
  for (int k = 0; k < 20; ++k)
    few.push_back({static_cast<uint8_t>(k < 9 ? 1 : k < 15 ? 2 : k < 19 ? 3 : 200)});
  stat_shot(out, QStringLiteral("stat-few.png"), few, {1});
  // No position: every packet under the one empty key.
  stat_shot(out, QStringLiteral("stat-empty-key.png"), few, {0});
  // Keys of three bytes, thirty variants of falling counts, some packets too short for the last.
  packets many;
  for (int k = 0; k < 30; ++k) {
    const auto a = static_cast<uint8_t>(k % 7 * 37);
    const auto b = static_cast<uint8_t>(k % 5 * 51 + 3);
    for (int n = 0; n < 31 - k; ++n) {
      if (k % 11 == 4) {
        many.push_back({a, b});
      } else {
        many.push_back({a, b, static_cast<uint8_t>(k * 8)});
      }
    }
  }
  stat_shot(out, QStringLiteral("stat-twenty.png"), many, {1, 2, 3});
  // Shares under one per cent: 600 variants of two bytes, a few of them twice.
  packets thin;
  for (int k = 0; k < 640; ++k) {
    const int v = k < 600 ? k : k - 600;
    thin.push_back({static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)});
  }
  stat_shot(out, QStringLiteral("stat-small-shares.png"), thin, {1, 2});
  // Lengths: more lengths than bars, in bins.
  packets lengths;
  for (int k = 0; k < 300; ++k)
    lengths.push_back(std::vector<uint8_t>(static_cast<size_t>(k * 7 % 251 + 1)));
  stat_shot(out, QStringLiteral("stat-lengths.png"), lengths, {});
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
  stat_shots(out);
  return main_window_shots(out) && demo_shot(out) && dialog_shots(out) ? 0 : 1;
}
