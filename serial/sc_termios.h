// Line settings onto termios; private to the serial library.
#pragma once

#include "serial/sc_classes.h"

#include <cstdint>

struct TScLineSettings {
  std::uint32_t BaudRate = 0;
  TScDatabits Databits = db8;
  TScParity Parity = paNone;
  TScStopbits Stopbits = sb1;
  bool RtsCtsFlow = false;
  bool XonXoffOut = false;
  bool XonXoffIn = false;
  char XonChar = 17;
  char XoffChar = 19;
  bool ParityCheck = false;
};

// Each returns 0 or the errno of the failing call.
int ScApplyRawMode(int Fd);
int ScApplyLineSettings(int Fd, const TScLineSettings& Settings);
// Rates without a B constant go through the kernel's free-rate interface.
int ScSetFreeBaudrate(int Fd, std::uint32_t Rate);
