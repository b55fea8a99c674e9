#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

// One QApplication for every GUI test, on the offscreen platform unless told otherwise. Settings
// and runtime files go to a temporary folder, never to the user's own.
int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir home;
  const QByteArray config = home.filePath("config").toLocal8Bit();
  const QByteArray runtime = home.filePath("runtime").toLocal8Bit();
  QDir().mkpath(home.filePath("config"));
  QDir().mkpath(home.filePath("runtime"));
  QFile::setPermissions(home.filePath("runtime"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  setenv("XDG_CONFIG_HOME", config.constData(), 1);
  setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
