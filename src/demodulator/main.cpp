#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>
#include <iostream>

#include "demodulator/core/pipeline.h"
#include "demodulator/gui/tessaly_window.h"
#include "gui/dialogs/display_check.h"

namespace {

// `tessaly FILE` runs without any application object, so it needs no display.
int run_headless(const char* file) {
  const tessaly::run_report report = tessaly::run_file(file);
  std::ostream& out = report.result == tessaly::outcome::done ? std::cout : std::cerr;
  out << report.message << '\n';
  return static_cast<int>(report.result);
}

void load_tahoma() {
  const QString path = "/usr/share/wine/fonts/tahoma.ttf";
  if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) return run_headless(argv[1]);
  if (argc > 2) {
    std::cerr << "usage: tessaly [RECORDING]\n";
    return 3;
  }
  if (const std::string missing = missing_display(argc, argv); !missing.empty()) {
    std::cerr << "tessaly: " << missing << '\n';
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessaly");
  QTranslator qt_ru;
  if (qt_ru.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_ru);
  }
  load_tahoma();
  TForm1 Form1;
  Form1.show();
  return QApplication::exec();
}
