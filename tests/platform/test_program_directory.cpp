#include "platform/program_directory.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProgramDirectoryTest, FallsBackToTheDataDirectoryWhenNotWritable) {
  QTemporaryDir dir;
  EXPECT_EQ(WritableDirectoryFor(dir.path()), dir.path());
  EXPECT_TRUE(QDir(dir.path()).isEmpty());  // the probe leaves nothing behind
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  EXPECT_EQ(WritableDirectoryFor(dir.filePath("missing")), data);
  EXPECT_TRUE(QDir(data).exists());
}
