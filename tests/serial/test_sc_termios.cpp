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
  const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};
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
  comm.SetUserBaudrate(250000);
  EXPECT_EQ(LineRate(pty.Master), 250000u);
  EXPECT_EQ(LastSettings.c_cflag & kFrame, frames[4].frame);
  for (int b = br110; b <= br256000; ++b) {
    comm.SetBaudrate(static_cast<TScBaudrate>(b));
    EXPECT_EQ(LineRate(pty.Master), rates[b - br110]) << b;
  }
  EXPECT_EQ(comm.UserBaudrate(), 0);  // else a stored free rate would come back

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
