#include "serial/sc_objects.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

TScHandleObject::~TScHandleObject() {
  if (Handle >= 0) ::close(Handle);
}

TScEvent::TScEvent() : TScHandleObject(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (Handle < 0) LastError = errno;
}

void TScEvent::SetEvent() {
  const std::uint64_t one = 1;
  if (::write(Handle, &one, sizeof one) < 0) LastError = errno;
}

void TScEvent::ResetEvent() {
  std::uint64_t count;
  if (::read(Handle, &count, sizeof count) < 0 && errno != EAGAIN) LastError = errno;
}

bool TScEvent::IsSet() const {
  pollfd fd{Handle, POLLIN, 0};
  return Handle >= 0 && ::poll(&fd, 1, 0) > 0;
}

TScWaitResult TScWaitEvent::WaitFor(std::uint32_t Timeout) {
  if (Handle < 0) return wrError;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout);
  for (;;) {
    int wait = -1;
    if (Timeout != INFINITE) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      wait = int(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }
    pollfd fd{Handle, POLLIN, 0};
    const int n = ::poll(&fd, 1, wait);
    if (n > 0) return (fd.revents & POLLIN) ? wrSignaled : wrError;
    if (n == 0) return wrTimeout;
    if (errno == EINTR) continue;
    LastError = errno;
    return wrError;
  }
}

void StartTimer(TScTimer& Timer, std::uint32_t Timeout) {
  Timer.Start = std::chrono::steady_clock::now();
  Timer.Timeout = Timeout;
}

bool TimerExpired(const TScTimer& Timer) {
  return std::chrono::steady_clock::now() - Timer.Start > std::chrono::milliseconds(Timer.Timeout);
}
