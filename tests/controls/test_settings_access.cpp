#include "controls/settings_access.h"
#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(SettingsAccessTest, DefaultNames) {
  const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  EXPECT_EQ(GetDefaultIniRegKey(), "Software\\" + program);
  EXPECT_EQ(GetDefaultIniName(), program + ".INI");

  QWidget window;  // a window: its class name
  EXPECT_EQ(GetDefaultSection(&window), "QWidget");
  QWidget bar(&window);
  bar.setObjectName("SpeedBar1");
  EXPECT_EQ(GetDefaultSection(&bar), "QWidgetSpeedBar1");
  QTimer timer(&window);
  timer.setObjectName("Timer1");
  EXPECT_EQ(GetDefaultSection(&timer), "QWidget.Timer1");
  QTimer loose;
  loose.setObjectName("Timer2");
  EXPECT_EQ(GetDefaultSection(&loose), "Timer2");
  EXPECT_EQ(GetDefaultSection(nullptr), "");
}

TEST(SettingsAccessTest, RegistryKeySectionsAreSubkeys) {
  auto settings = TSettingsObject::OpenRegistry(SettingsRoot::CurrentUser, "Software\\App", true);
  SettingsStore store(SettingsRoot::CurrentUser);
  EXPECT_TRUE(store.SectionExists("Software\\App"));
  IniWriteString(settings.get(), "TForm_Read", "q", "'x'");
  IniWriteInteger(settings.get(), "TForm_Read", "FormVersion", -3);
  IniWriteString(settings.get(), "TForm_Read.L_Items", "Count", "1");
  EXPECT_EQ(store.ReadString("Software\\App\\TForm_Read", "q"), "'x'");  // unchanged
  EXPECT_EQ(store.ReadString("Software\\App\\TForm_Read", "FormVersion"), "-3");
  EXPECT_EQ(IniReadInteger(settings.get(), "TForm_Read", "FormVersion", 7), -3);
  EXPECT_EQ(IniReadInteger(settings.get(), "TForm_Read", "q", 7), 7);
  IniEraseSection(settings.get(), "TForm_Read.L_Items");
  EXPECT_FALSE(store.SectionExists("Software\\App\\TForm_Read.L_Items"));
  EXPECT_TRUE(store.SectionExists("Software\\App\\TForm_Read"));

  IniWriteString(nullptr, "s", "i", "v");  // nothing to write to

  // A read-only open of a missing key under another root leaves it missing.
  TSettingsObject::OpenRegistry(SettingsRoot::Users, "Software\\None", false);
  EXPECT_FALSE(SettingsStore(SettingsRoot::Users).SectionExists("Software\\None"));
}

TEST(SettingsAccessTest, IniFileQuotesValuesThatAreQuotedAtBothEnds) {
  auto ini = TSettingsObject::OpenIniFile("test.INI");
  const QString values[] = {"'word'", "\"\"", "\"", "'", "plain", "'open", ""};
  for (const QString& value : values) {
    IniWriteString(ini.get(), "S", "v", value);
    EXPECT_EQ(IniReadString(ini.get(), "S", "v", "def"), value) << value.toStdString();
  }
  for (const auto& [value, raw] :
       {std::pair("'word'", "\"'word'\""), std::pair("'open", "'open")}) {
    IniWriteString(ini.get(), "S", "v", value);
    EXPECT_EQ(SettingsStore(ini->FilePath()).ReadString("S", "v"), raw);
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
  EXPECT_THROW(IniWriteInteger(ini.get(), "S", "v", 1), std::runtime_error);
}

TEST(SettingsAccessTest, WindowPlacementRoundTrip) {
  auto settings = TSettingsObject::OpenRegistry(SettingsRoot::CurrentUser, "Software\\P", true);
  QWidget window;
  window.setGeometry(40, 50, 300, 200);
  WriteFormPlacement(&window, settings.get(), "W");
  const QString suffix = GetScreenSizeSuffix();
  EXPECT_EQ(IniReadString(settings.get(), "W", "NormPos", ""), "40,50,340,250");
  EXPECT_EQ(IniReadString(settings.get(), "W", "NormPos" + suffix, ""), "40,50,340,250");
  EXPECT_EQ(IniReadInteger(settings.get(), "W", "ShowCmd", 0), 1);

  // Another screen size wrote the plain name last: that one is used.
  IniWriteString(settings.get(), "W", "NormPos" + suffix, "");
  IniWriteString(settings.get(), "W", "NormPos", "10,20,210,120");
  QWidget other;
  other.setGeometry(0, 0, 50, 50);
  ReadFormPlacement(&other, settings.get(), "W", false, true);
  EXPECT_EQ(other.geometry(), QRect(10, 20, 200, 100));

  QWidget fixed;  // a window of fixed size takes the position only
  fixed.setFixedSize(60, 70);
  ReadFormPlacement(&fixed, settings.get(), "W", false, true);
  EXPECT_EQ(fixed.geometry(), QRect(10, 20, 60, 70));

  // Other pixels per inch: the position stays.
  IniWriteInteger(settings.get(), "W", "PixelsPerInch", 1);
  QWidget third;
  third.setGeometry(5, 6, 70, 80);
  ReadFormPlacement(&third, settings.get(), "W", false, true);
  EXPECT_EQ(third.geometry(), QRect(5, 6, 70, 80));
}

TEST(SettingsAccessTest, WindowStateIsWrittenAsItIsAndTheOnlyWindowOpensMaximised) {
  auto settings = TSettingsObject::OpenRegistry(SettingsRoot::CurrentUser, "Software\\S", true);
  QWidget window;
  window.showMaximized();
  WriteFormPlacement(&window, settings.get(), "M");
  const QPoint at = window.frameGeometry().topLeft();
  EXPECT_EQ(IniReadString(settings.get(), "M", "ShowCmd", ""), "3");
  EXPECT_EQ(IniReadString(settings.get(), "M", "Flags", ""), "0");
  EXPECT_EQ(IniReadString(settings.get(), "M", "MinMaxPos", ""),
            QString("-1,-1,%1,%2").arg(at.x()).arg(at.y()));
  window.showMinimized();  // un-minimising maximises again
  WriteFormPlacement(&window, settings.get(), "M");
  EXPECT_EQ(IniReadString(settings.get(), "M", "ShowCmd", ""), "2");
  EXPECT_EQ(IniReadString(settings.get(), "M", "Flags", ""), "2");

  // No stored state: maximised when the system placed the window, else normal.
  QWidget unplaced, placed;
  placed.move(10, 10);
  ReadFormPlacement(&unplaced, settings.get(), "None", true, false);
  ReadFormPlacement(&placed, settings.get(), "None", true, false);
  EXPECT_TRUE(unplaced.windowState().testFlag(Qt::WindowMaximized));
  EXPECT_FALSE(placed.windowState().testFlag(Qt::WindowMaximized));
}

}  // namespace
