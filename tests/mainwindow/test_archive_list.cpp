#include "main_window_fixture.h"
#include "mainwindow/archive_list.h"

#include <algorithm>

using namespace jwtest;

TEST(ArchiveListTest, OrderIsWindows1251ByteOrder) {
  // Digits, Latin capitals, Latin small, Cyrillic capitals, Cyrillic small; "Ё"/"ё" sit
  // below the other Cyrillic letters in Windows-1251.
  QStringList texts = {"я", "а", "Я", "Ё", "z", "A", "ё", "9", "Z", "a", "0", "А", "10", "ab"};
  std::sort(texts.begin(), texts.end(),
            [](const QString& a, const QString& b) { return CompareListTexts(a, b) < 0; });
  EXPECT_EQ(texts,
            (QStringList{"0", "10", "9", "A", "Z", "a", "ab", "z", "Ё", "ё", "А", "Я", "а", "я"}));
}

TEST(ArchiveListTest, ShortFilesLastLineWithoutLineEndAndBareLineFeeds) {
  QTemporaryDir dir;
  WriteDataFile(dir.path(), "short.bbi", {"Taltrex", "Кран"});
  EXPECT_EQ(ReadArchiveRow(dir.path(), "short.bbi")->subItems,
            (QStringList{"", "", "", "", "", "", "short.bbi"}));
  WriteBytes(dir.filePath("lf.bbi"), "Taltrex\nA\nB\r\nC\n\nD\nE\nF\nG");
  const auto row = ReadArchiveRow(dir.path(), "lf.bbi");
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->caption, "A");
  EXPECT_EQ(row->subItems, (QStringList{"B", "C", "D", "E", "F", "G", "lf.bbi"}));
  // A CR alone is no line end: the magic line is then not exactly the magic.
  WriteBytes(dir.filePath("cr.bbi"), "Taltrex\rA\r");
  EXPECT_FALSE(ReadArchiveRow(dir.path(), "cr.bbi").has_value());
  EXPECT_FALSE(ReadArchiveRow(dir.path(), "missing.bbi").has_value());
}
