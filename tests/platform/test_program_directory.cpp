#include "platform/program_directory.h"
#include "tests/support/environment_scope.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using jwtest::CurrentFolderScope;
using jwtest::EnvironmentScope;

TEST(ProgramDirectoryTest, FallsBackToTheDataDirectoryWhenNotWritable) {
  QTemporaryDir dir;
  EXPECT_EQ(WritableDirectoryFor(dir.path()), dir.path());
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  EXPECT_EQ(WritableDirectoryFor(dir.filePath("missing")), data);
  EXPECT_TRUE(QDir(data).exists());
}

// A relative XDG_DATA_HOME is ignored; with no absolute home either, the program's folder
// stays (its writes fail there as they would) and nothing is made under the current folder.
TEST(ProgramDirectoryTest, WithoutAKnownDataHomeNothingLandsInTheCurrentFolder) {
  QTemporaryDir start, program;
  const CurrentFolderScope folder(start.path());
  const QString missing = program.filePath("missing");
  {
    const EnvironmentScope data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(WritableDirectoryFor(missing),
              QDir::homePath() + "/.local/share/" + QCoreApplication::applicationName());
    const EnvironmentScope home("HOME", "");
    EXPECT_EQ(WritableDirectoryFor(missing), missing);
  }
  EXPECT_EQ(QDir(start.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
  EXPECT_FALSE(QFileInfo::exists(missing));
}
