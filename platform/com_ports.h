#pragma once

#include <QString>

// The device path behind a port name the user picks. "COM1".."COM4" (any case) map to
// $JIBWARDEN_COMn when set and not empty, else the value "COMn" of the current user's
// section "Ports" when not empty, else /dev/ttyS0../dev/ttyS3. Any other name is
// returned unchanged, so a device path can be given directly.
QString ComPortDevicePath(const QString& portName);
