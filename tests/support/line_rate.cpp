// Kept apart: the kernel's termios2 header clashes with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cstdint>

extern "C" int ioctl(int Fd, unsigned long Request, ...) noexcept;

std::uint32_t LineRate(int Fd) {
  termios2 t{};
  return ioctl(Fd, TCGETS2, &t) == 0 ? t.c_ospeed : 0;
}
