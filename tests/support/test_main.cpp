// Shared main of every test binary: a private temporary HOME and XDG folders, so no
// test sees the developer's settings or another test's files, and an application
// object for Qt.
#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

#ifdef JW_TEST_CORE
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir home(QDir::tempPath() + "/jw-test-home-XXXXXX");
  if (!home.isValid()) return 2;
  const QByteArray root = home.path().toUtf8();
  setenv("HOME", root.constData(), 1);
  setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
  setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
  setenv("XDG_RUNTIME_DIR", root.constData(), 1);
  TestApplication app(argc, argv);
  TestApplication::setApplicationName("jibwarden");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
