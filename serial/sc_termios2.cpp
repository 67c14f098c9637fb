// Kept apart: the kernel's termios2 header clashes with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>

extern "C" int ioctl(int Fd, unsigned long Request, ...) noexcept;

int ScSetFreeBaudrate(int Fd, std::uint32_t Rate) {
  termios2 t{};
  if (ioctl(Fd, TCGETS2, &t) != 0) return errno;
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = Rate;
  t.c_ospeed = Rate;
  return ioctl(Fd, TCSETS2, &t) == 0 ? 0 : errno;
}
