// Shared main of every test binary: a private temporary HOME and XDG folders, so no
// test sees the developer's settings, and an application object for Qt. The folders are
// emptied before each test, so a test sees no settings or files another test left.
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

#ifdef JW_TEST_CORE
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif

namespace {

QString Root;

class FreshFolders : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    for (const char* sub : {"config", "data", "cache"}) {
      QDir(Root + "/" + sub).removeRecursively();
      QDir().mkpath(Root + "/" + sub);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir home(QDir::tempPath() + "/jw-test-home-XXXXXX");
  if (!home.isValid()) return 2;
  Root = home.path();
  const QByteArray root = Root.toUtf8();
  setenv("HOME", root.constData(), 1);
  for (const QByteArray sub : {"config", "data", "cache"})
    setenv(("XDG_" + sub.toUpper() + "_HOME").constData(), (root + "/" + sub).constData(), 1);
  setenv("XDG_RUNTIME_DIR", root.constData(), 1);
  TestApplication app(argc, argv);
  TestApplication::setApplicationName("jibwarden");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshFolders);
  return RUN_ALL_TESTS();
}
