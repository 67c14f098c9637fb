#include "platform/com_ports.h"
#include "platform/settings_store.h"

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
