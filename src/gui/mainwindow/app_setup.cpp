#include "gui/mainwindow/app_setup.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace {

// Debian's fonts-wine puts Tahoma where fontconfig does not look.
constexpr const char* wine_fonts = "/usr/share/wine/fonts";

}  // namespace

void setup_application(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("Pelorin"));
  QApplication::setOrganizationName(QStringLiteral("Quillmark"));
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  }
  const QDir fonts(QString::fromLatin1(wine_fonts));
  for (const QString& file : {QStringLiteral("tahoma.ttf"), QStringLiteral("tahomabd.ttf")}) {
    if (fonts.exists(file)) QFontDatabase::addApplicationFont(fonts.filePath(file));
  }
}

QStringList program_arguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}
