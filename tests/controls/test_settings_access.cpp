#include "controls/settings_access.h"
#include "platform/settings_store.h"
#include "tests/support/environment_scope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using jwtest::CurrentFolderScope;
using jwtest::EnvironmentScope;

// Registry key sections are subkeys; an INI file quotes values quoted at both ends.
TEST(SettingsAccessTest, SectionsAndQuotedValues) {
  auto settings = TSettingsObject::OpenRegistry(SettingsRoot::CurrentUser, "Software\\App", true);
  SettingsStore store(SettingsRoot::CurrentUser);
  IniWriteString(settings.get(), "TForm_Read", "q", "'x'");
  IniWriteString(settings.get(), "TForm_Read.L_Items", "Count", "1");
  EXPECT_EQ(store.ReadString("Software\\App\\TForm_Read", "q"), "'x'");  // unchanged
  EXPECT_EQ(IniReadInteger(settings.get(), "TForm_Read", "q", 7), 7);
  IniEraseSection(settings.get(), "TForm_Read.L_Items");
  EXPECT_FALSE(store.SectionExists("Software\\App\\TForm_Read.L_Items"));
  IniWriteString(nullptr, "s", "i", "v");  // nothing to write to

  auto ini = TSettingsObject::OpenIniFile("test.INI");
  for (const auto& [value, raw] : {std::pair("'word'", "\"'word'\""), std::pair("'open", "'open"),
                                   std::pair("\"", "\"\"\"")}) {
    IniWriteString(ini.get(), "S", "v", value);
    EXPECT_EQ(SettingsStore(ini->FilePath()).ReadString("S", "v"), raw);
    EXPECT_EQ(IniReadString(ini.get(), "S", "v", "def"), value);
  }
}

// Erasing a section: a registry key goes with its subkeys, while an INI file's sections
// are names of their own, so "S" takes no "S\x" with it.
TEST(SettingsAccessTest, IniEraseSectionTakesWhatItsStoreCallsTheSection) {
  const QStringList sections = {"S", "S\\x", "S\\x\\y", "Other"};
  const struct {
    TSettingsObject::Kind kind;
    QStringList left;
  } rows[] = {
      {TSettingsObject::Kind::Registry, {"Other"}},
      {TSettingsObject::Kind::IniFile, {"S\\x", "S\\x\\y", "Other"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(int(row.kind));
    const auto settings =
        row.kind == TSettingsObject::Kind::Registry
            ? TSettingsObject::OpenRegistry(SettingsRoot::CurrentUser, "Software\\Erase", true)
            : TSettingsObject::OpenIniFile("erase.INI");
    for (const QString& section : sections) IniWriteString(settings.get(), section, "v", section);
    IniEraseSection(settings.get(), "s");
    QStringList left;
    for (const QString& section : sections)
      if (IniReadString(settings.get(), section, "v", "") == section) left += section;
    EXPECT_EQ(left, row.left);
  }
}

TEST(SettingsAccessTest, WritingToAnUnwritableStoreFails) {
  auto ini = TSettingsObject::OpenIniFile("sub/x.INI");
  const QString dir = QFileInfo(ini->FilePath()).absolutePath();
  ASSERT_TRUE(QDir().mkpath(QFileInfo(dir).absolutePath()));
  QFile blocker(dir);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the directory should be
  blocker.close();
  EXPECT_THROW(IniWriteString(ini.get(), "S", "v", "x"), std::runtime_error);
}

// A relative INI name lies in the program's folder of the configuration home; with no absolute
// home known (a relative XDG_CONFIG_HOME and an empty HOME) the file has no place: reads give
// the default, a write fails with the store's cause, and nothing lands in the current folder.
TEST(SettingsAccessTest, AnIniFileWithoutAKnownHomeIsNeverWrittenInTheCurrentFolder) {
  QTemporaryDir start;
  const CurrentFolderScope folder(start.path());
  const EnvironmentScope config("XDG_CONFIG_HOME", "relative");
  EXPECT_EQ(TSettingsObject::OpenIniFile("x.INI")->FilePath(),
            QDir::homePath() + "/.config/jibwarden/x.INI");
  const EnvironmentScope home("HOME", "");
  auto ini = TSettingsObject::OpenIniFile("x.INI");
  EXPECT_EQ(IniReadString(ini.get(), "S", "v", "default"), "default");
  try {
    IniWriteString(ini.get(), "S", "v", "x");
    ADD_FAILURE() << "written";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(QString::fromStdString(error.what()),
              "Значение v не записано: Не удаётся сохранить файл настроек: не известен домашний "
              "каталог пользователя (HOME)");
  }
  EXPECT_EQ(QDir(start.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
}

TEST(SettingsAccessTest, WindowPlacementRoundTrip) {
  auto settings = TSettingsObject::OpenRegistry(SettingsRoot::CurrentUser, "Software\\P", true);
  QWidget window;
  window.setGeometry(40, 50, 300, 200);
  WriteFormPlacement(&window, settings.get(), "W");
  const QString suffix = GetScreenSizeSuffix();
  EXPECT_EQ(IniReadString(settings.get(), "W", "NormPos" + suffix, ""), "40,50,340,250");
  EXPECT_EQ(IniReadInteger(settings.get(), "W", "ShowCmd", 0), 1);

  // Another screen size wrote the plain name last: that one is used.
  IniWriteString(settings.get(), "W", "NormPos" + suffix, "");
  IniWriteString(settings.get(), "W", "NormPos", "10,20,210,120");
  QWidget fixed;  // a window of fixed size takes the position only
  fixed.setFixedSize(60, 70);
  ReadFormPlacement(&fixed, settings.get(), "W", false, true);
  EXPECT_EQ(fixed.geometry(), QRect(10, 20, 60, 70));
  fixed.move(5, 6);
  IniWriteInteger(settings.get(), "W", "PixelsPerInch", 1);  // other pixels per inch: kept
  ReadFormPlacement(&fixed, settings.get(), "W", false, true);
  EXPECT_EQ(fixed.pos(), QPoint(5, 6));
}

}  // namespace
