#include "platform/program_directory.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProgramDirectoryTest, FallsBackToTheDataDirectoryWhenNotWritable) {
  QTemporaryDir dir;
  EXPECT_EQ(WritableDirectoryFor(dir.path()), dir.path());
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  EXPECT_EQ(WritableDirectoryFor(dir.filePath("missing")), data);
  EXPECT_TRUE(QDir(data).exists());
}
