// Holding a process at chosen system calls, for tests that act at an exact step of the code
// under test.
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <future>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace jwtest {

// Holds the calling thread at each of the system calls `numbers`: `atCall` runs first, on a
// thread of its own, and the call goes on when it returns. For a child process alone, since
// the watch lasts as long as the thread; false when the system lets no process watch its calls.
inline bool HoldAtCalls(const std::vector<int>& numbers, std::function<void(int)> atCall) {
  std::vector<sock_filter> filter = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
  for (const int number : numbers) {
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __u32(number), 0, 1));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_USER_NOTIF));
  }
  filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  // The watcher starts first: a thread takes the filters of the thread that starts it.
  std::promise<int> listener;
  std::thread([listening = listener.get_future(), atCall = std::move(atCall)]() mutable {
    const int fd = listening.get();
    for (;;) {
      seccomp_notif request{};
      if (fd < 0 || ::ioctl(fd, SECCOMP_IOCTL_NOTIF_RECV, &request) != 0) {
        if (fd >= 0 && errno == EINTR) continue;
        return;
      }
      atCall(int(request.data.nr));
      seccomp_notif_resp response{};
      response.id = request.id;
      response.flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
      ::ioctl(fd, SECCOMP_IOCTL_NOTIF_SEND, &response);
    }
  }).detach();
  const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  int fd = -1;
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0)
    fd = int(::syscall(__NR_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_NEW_LISTENER,
                       &program));
  const int error = errno;
  listener.set_value(fd);
  errno = error;
  return fd >= 0;
}

}  // namespace jwtest
