#include "archive/text_file.h"
#include "tests/support/full_device.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

TEST(TextFileTest, ReaderSplitsLinesAndYieldsEmptyPastTheEnd) {
  TextLineReader r(QByteArray("one\r\n\xD2\xCF\r\nbare\nlast-no-end"));
  EXPECT_EQ(r.ReadLine(), "one");
  EXPECT_EQ(r.ReadLine(), "ТП");
  EXPECT_EQ(r.ReadLine(), "bare");
  EXPECT_EQ(r.ReadLine(), "last-no-end");
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.ReadLine(), "");

  TextLineReader empties(QByteArray("\r\n\r\nx\r\n"));
  EXPECT_EQ(empties.ReadLine(), "");
  EXPECT_EQ(empties.ReadLine(), "");
  EXPECT_EQ(empties.ReadLine(), "x");

  TextLineReader missing;
  EXPECT_FALSE(missing.Open("/nonexistent/dir/file.bbi"));
  EXPECT_EQ(missing.ReadLine(), "");
}

TEST(TextFileTest, WriterWritesCrLfInWindows1251AndKeepsValuesOnOneLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath("д01м02г2024ч03м04c05_7.bbi");
  TextLineWriter w;
  ASSERT_TRUE(w.Open(path));
  w.WriteLine(u"Taltrex");
  w.WriteLine(u"Кран\r\nКС");
  w.WriteLine(u"");
  w.WriteLine(u"sign ✓");
  EXPECT_FALSE(QFile::exists(path));  // nothing under the final name before the commit
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(jwtest::ReadBytes(path),
            QByteArray("Taltrex\r\n\xCA\xF0\xE0\xED  \xCA\xD1\r\n\r\nsign ?\r\n"));
}

TEST(TextFileTest, FailedOrDiscardedWriteLeavesTheOlderFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("keep.bbi");
  ASSERT_TRUE(jwtest::WriteBytes(path, "old\r\n"));
  {
    TextLineWriter w;
    ASSERT_TRUE(w.Open(path));
    w.WriteLine(u"new");
    w.Discard();
  }
  EXPECT_EQ(jwtest::ReadBytes(path), "old\r\n");
  {
    TextLineWriter w;
    ASSERT_TRUE(w.Open(path));
    w.WriteLine(u"new");
  }  // destroyed without commit
  EXPECT_EQ(jwtest::ReadBytes(path), "old\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.bbi"});

  FullDevice full(6);
  TextLineWriter w(&full);
  w.WriteLine(u"1234");
  w.WriteLine(u"5678");
  w.WriteLine(u"9");
  EXPECT_FALSE(w.Commit());

  TextLineWriter nowhere;
  EXPECT_FALSE(nowhere.Open(dir.filePath("no/such/dir/x.bbi")));
  EXPECT_FALSE(nowhere.Commit());
}

TEST(TextFileTest, FullDiskFailsTheCommitAndKeepsTheOlderFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("full.bbi");
  ASSERT_TRUE(jwtest::WriteBytes(path, "old\r\n"));
  // Limit the size of files this process may write, as a full disk would.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  TextLineWriter w;
  const bool opened = w.Open(path);
  for (int i = 0; i < 200; ++i) w.WriteLine(u"0123456789");
  const bool committed = w.Commit();
  setrlimit(RLIMIT_FSIZE, &saved);
  ASSERT_TRUE(opened);
  EXPECT_FALSE(committed);
  EXPECT_EQ(jwtest::ReadBytes(path), "old\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"full.bbi"});
}
