// Shared main of every test binary: a private temporary HOME and XDG folders, so no
// test sees the developer's settings, and an application object for Qt. The folders are
// emptied before each test, so a test sees no settings or files another test left.
#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <utility>

#ifdef JW_TEST_CORE
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif

namespace {

class FreshFolders : public ::testing::EmptyTestEventListener {
 public:
  explicit FreshFolders(QString root) : root_(std::move(root)) {}
  void OnTestStart(const ::testing::TestInfo&) override {
    for (const char* sub : {"config", "data", "cache"}) {
      QDir folder(root_ + "/" + sub);
      folder.removeRecursively();
      QDir().mkpath(folder.path());
    }
  }

 private:
  QString root_;
};

}  // namespace

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
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshFolders(home.path()));
  return RUN_ALL_TESTS();
}
