#include "serial/sc_termios.h"

#include <cerrno>
#include <termios.h>

namespace {

speed_t StandardSpeed(std::uint32_t Rate) {
  switch (Rate) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return B0;
  }
}

// No echo, no line editing, no translation and no marking of bad bytes: every byte,
// FFh included, arrives as sent. Reads return at once with what has arrived.
void MakeRaw(termios& t) {
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                      IXON | IXOFF | IXANY | IGNPAR | INPCK);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

int SetAttr(int Fd, const termios& t) {
  return tcsetattr(Fd, TCSANOW, &t) == 0 ? 0 : errno;
}

}  // namespace

int ScApplyRawMode(int Fd) {
  termios t{};
  if (tcgetattr(Fd, &t) != 0) return errno;
  MakeRaw(t);
  return SetAttr(Fd, t);
}

int ScApplyLineSettings(int Fd, const TScLineSettings& Settings) {
  if (Settings.BaudRate == 0 || Settings.Databits == db4) return EINVAL;
  termios t{};
  if (tcgetattr(Fd, &t) != 0) return errno;
  MakeRaw(t);

  static constexpr tcflag_t kSizes[] = {CS5, CS5, CS6, CS7, CS8};
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= kSizes[Settings.Databits];
  switch (Settings.Parity) {
    case paNone:
      break;
    case paOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case paEven:
      t.c_cflag |= PARENB;
      break;
    case paMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case paSpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
  }
  // With five data bits the line hardware reads CSTOPB as 1.5 stop bits.
  if (Settings.Stopbits != sb1) t.c_cflag |= CSTOPB;
  if (Settings.RtsCtsFlow) t.c_cflag |= CRTSCTS;
  if (Settings.XonXoffOut) t.c_iflag |= IXON;
  if (Settings.XonXoffIn) t.c_iflag |= IXOFF;
  if (Settings.ParityCheck) t.c_iflag |= INPCK;
  t.c_cc[VSTART] = static_cast<cc_t>(Settings.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(Settings.XoffChar);

  const speed_t speed = StandardSpeed(Settings.BaudRate);
  if (speed != B0) {
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return SetAttr(Fd, t);
  }
  if (const int err = SetAttr(Fd, t)) return err;
  return ScSetFreeBaudrate(Fd, Settings.BaudRate);
}
