#include "serial/sc_comm.h"
#include "tests/support/pty_pair.h"

#include <cstdint>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <termios.h>

namespace {

termios LastSettings{};

}  // namespace

// A pseudo-terminal always reads back eight bits without parity, and this kernel refuses it
// other sizes with parity, so the settings the component gives the kernel are caught on their
// way and the pseudo-terminal is given the frame it takes.
extern "C" int tcsetattr(int Fd, int Actions, const termios* Settings) noexcept {
  using Real = int (*)(int, int, const termios*);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcsetattr"));
  LastSettings = *Settings;
  termios taken = *Settings;
  taken.c_cflag = (taken.c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB)) | CS8;
  return real(Fd, Actions, &taken);
}

TEST(ScTermiosTest, LineSettingsReachTheLine) {
  constexpr tcflag_t kKept = PARODD | CMSPAR | CSTOPB;  // what a pseudo-terminal keeps
  constexpr tcflag_t kFrame = PARENB | kKept | CSIZE;
  const struct {
    TScParity parity;
    TScDatabits databits;
    TScStopbits stopbits;
    tcflag_t frame;
  } frames[] = {
      {paNone, db8, sb2, CS8 | CSTOPB},
      {paOdd, db7, sb1, PARENB | PARODD | CS7},
      {paEven, db6, sb15, PARENB | CS6 | CSTOPB},
      {paMark, db5, sb1, PARENB | PARODD | CMSPAR | CS5},
      {paSpace, db8, sb2, PARENB | CMSPAR | CS8 | CSTOPB},
  };
  const struct {
    TScBaudrate baudrate;
    std::uint32_t rate;
  } rates[] = {{br110, 110},       {br300, 300},       {br600, 600},      {br1200, 1200},
               {br2400, 2400},     {br4800, 4800},     {br9600, 9600},    {br14400, 14400},
               {br19200, 19200},   {br38400, 38400},   {br56000, 56000},  {br57600, 57600},
               {br115200, 115200}, {br128000, 128000}, {br256000, 256000}};
  PtyPair pty;
  ASSERT_TRUE(pty.IsValid());
  TScComm comm;
  comm.SetDeviceName(pty.SlavePath);
  for (const auto& row : frames) {
    SCOPED_TRACE(row.parity);
    comm.SetParity(row.parity);
    comm.SetDatabits(row.databits);
    comm.SetStopbits(row.stopbits);
    if (!comm.IsOpen()) comm.Open();  // the first row at the opening, the others at once
    EXPECT_EQ(LastSettings.c_cflag & kFrame, row.frame);
    EXPECT_EQ(pty.Attributes().c_cflag & kKept, row.frame & kKept);
  }
  // Rates without a B constant go through the free-rate interface.
  for (const auto& row : rates) {
    comm.SetBaudrate(row.baudrate);
    EXPECT_EQ(LineRate(pty.Master), row.rate);
  }
  comm.SetUserBaudrate(250000);
  EXPECT_EQ(LineRate(pty.Master), 250000u);
  EXPECT_EQ(LastSettings.c_cflag & kFrame, frames[4].frame);

  // The flow-control settings change at once.
  comm.FlowControl().SetXonXoffOut(true);
  comm.EventChars().SetXonChar(0x21);
  EXPECT_TRUE(pty.Attributes().c_iflag & IXON);
  EXPECT_EQ(pty.Attributes().c_cc[VSTART], 0x21);

  // Settings the line cannot take are refused, and the port does not open with them.
  EXPECT_THROW(comm.SetDatabits(db4), EScCommError);
  comm.Close();
  EXPECT_THROW(comm.Open(), EScCommError);
  EXPECT_FALSE(comm.IsOpen());
}
