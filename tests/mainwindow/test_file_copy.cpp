#include "mainwindow/file_copy.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace jwtest;

TEST(FileCopyTest, CopiesWholeFilesButNeverOntoThemselvesAndFailuresKeepTheTarget) {
  QTemporaryDir dir;
  const QString source = dir.filePath("a.bbi");
  const QString target = dir.filePath("b.bbi");
  QByteArray big(300000, 'x');
  big[123456] = 'y';
  WriteBytes(source, big);
  WriteBytes(target, "older and different");
  EXPECT_EQ(CopyFileReplacing(source, target), CopyResult::Ok);
  EXPECT_EQ(ReadBytes(target), big);

  const QString linked = dir.filePath("link.bbi");
  const QString hard = dir.filePath("hard.bbi");
  ASSERT_TRUE(QFile::link(source, linked));
  ASSERT_EQ(::link(QFile::encodeName(source).constData(), QFile::encodeName(hard).constData()), 0);
  for (const QString& other : {source, linked, hard}) {
    EXPECT_EQ(CopyFileReplacing(source, other), CopyResult::SameFile) << other.toStdString();
  }
  EXPECT_EQ(ReadBytes(source), big);

  // A directory, a missing source or target directory fails.
  EXPECT_EQ(CopyFileReplacing(dir.path(), target), CopyResult::Failed);
  EXPECT_EQ(CopyFileReplacing(dir.filePath("missing"), target), CopyResult::Failed);
  EXPECT_EQ(CopyFileReplacing(target, dir.filePath("no/such/dir/t.bbi")), CopyResult::Failed);
  EXPECT_EQ(ReadBytes(target), big);
}

TEST(FileCopyTest, CopyThatFailsHalfWayLeavesTargetAsItWas) {
  QTemporaryDir dir;
  const QString source = dir.filePath("big.bbi");
  const QString target = dir.filePath("t.bbi");
  WriteBytes(source, QByteArray(200000, 'x'));
  WriteBytes(target, "keep me");
  // A file-size limit makes the writes fail part-way, as a full disk would.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const CopyResult result = CopyFileReplacing(source, target);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, CopyResult::Failed);
  EXPECT_EQ(ReadBytes(target), "keep me");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"big.bbi", "t.bbi"}));
}
