#include "platform/com_ports.h"
#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(ComPortsTest, EnvironmentThenSettingsThenSerialDevices) {
  qunsetenv("JIBWARDEN_COM2");
  EXPECT_EQ(ComPortDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(ComPortDevicePath("com4"), "/dev/ttyS3");
  EXPECT_EQ(ComPortDevicePath("COM5"), "COM5");
  SettingsStore(SettingsRoot::CurrentUser).WriteString("Ports", "COM2", "/dev/ttyUSB0");
  EXPECT_EQ(ComPortDevicePath("com2"), "/dev/ttyUSB0");
  qputenv("JIBWARDEN_COM2", "");
  EXPECT_EQ(ComPortDevicePath("COM2"), "/dev/ttyUSB0");
  qputenv("JIBWARDEN_COM2", "/dev/pts/3");
  EXPECT_EQ(ComPortDevicePath("COM2"), "/dev/pts/3");
  qunsetenv("JIBWARDEN_COM2");
}

// A port pointed at an adapter by hand, in the user's settings file as the README shows it.
TEST(ComPortsTest, PortWrittenByHandIntoTheUsersSettings) {
  qunsetenv("JIBWARDEN_COM1");
  const QString path = SettingsStore::RootFilePath(SettingsRoot::CurrentUser);
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("[Ports]\nCOM1=/dev/ttyUSB0\n");
  file.close();
  EXPECT_EQ(ComPortDevicePath("COM1"), "/dev/ttyUSB0");
  EXPECT_EQ(ComPortDevicePath("COM3"), "/dev/ttyS2");
  ASSERT_TRUE(QFile::remove(path));
}
