// Child processes that end with the test that started them, whether it passes or fails: a
// failed assertion returns early, and nothing started may outlive it.
#pragma once

#include <QByteArray>
#include <QProcess>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace jwtest {

// A forked child, killed and reaped at the end of the scope unless it was reaped before. Made
// from fork()'s result: in the child itself (0) and where the fork failed (-1) it guards nothing.
class ScopedChild {
 public:
  ScopedChild() = default;
  explicit ScopedChild(pid_t pid) : pid_(pid) {}
  ~ScopedChild() { Kill(); }
  ScopedChild(ScopedChild&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
  ScopedChild& operator=(ScopedChild&& other) noexcept {
    if (this != &other) {
      Kill();
      pid_ = std::exchange(other.pid_, -1);
    }
    return *this;
  }
  ScopedChild(const ScopedChild&) = delete;
  ScopedChild& operator=(const ScopedChild&) = delete;

  // The child's id; 0 in the child, -1 when there is none (the fork failed, or it was reaped).
  pid_t Pid() const { return pid_; }

  // True while it runs: started and not ended.
  bool Running() const {
    siginfo_t info{};
    return pid_ > 0 && ::waitid(P_PID, id_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
  }

  // Its wait status once it has ended, reaped; none when it had not ended within `limit`, and
  // it is then killed and reaped, so that a child that blocks fails the test instead of holding it.
  std::optional<int> Wait(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (pid_t got; (got = ::waitpid(pid_, &status, WNOHANG)) != pid_;) {
      if (got < 0 && errno != EINTR) {
        pid_ = -1;  // not this process's child: nothing to reap
        return std::nullopt;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        Kill();
        return std::nullopt;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return status;
  }

  // Kills and reaps it, where it is still there; a stopped child too.
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// A child process running a body, and the pipe its result comes through: killed and reaped,
// the pipe closed, when the test leaves it early.
struct Child {
  Child() = default;
  Child(pid_t pid, int pipe) : process(pid), out(pipe) {}
  ~Child() {
    if (out >= 0) ::close(out);
  }
  Child(Child&& other) noexcept
      : process(std::move(other.process)), out(std::exchange(other.out, -1)) {}
  Child& operator=(Child&& other) noexcept {
    if (this != &other) {
      process = std::move(other.process);
      if (out >= 0) ::close(out);
      out = std::exchange(other.out, -1);
    }
    return *this;
  }

  ScopedChild process;
  int out = -1;
};

// Starts `body` in a child process. The child never returns into the test, whose guards of
// other children it holds copies of.
inline Child StartInChild(const std::function<QByteArray()>& body) {
  int out[2];
  if (::pipe(out) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    ::close(out[0]);
    QByteArray result;
    try {
      result = body();
    } catch (...) {
      result = "the body threw";
    }
    const bool sent =
        ::write(out[1], result.constData(), std::size_t(result.size())) == ssize_t(result.size());
    _exit(sent ? 0 : 1);
  }
  ::close(out[1]);
  if (child < 0) {
    ::close(out[0]);
    return {};
  }
  return {child, out[0]};
}

// What the child's body returned; none when the child had not ended within `limit` (it is
// then killed), so that a store that blocks fails the test.
inline std::optional<QByteArray> Finish(Child& child, std::chrono::seconds limit) {
  if (!child.process.Wait(limit)) return std::nullopt;
  QByteArray result;
  char buffer[4096];
  for (ssize_t got; (got = ::read(child.out, buffer, sizeof buffer)) > 0;)
    result.append(buffer, got);
  return result;
}

inline std::optional<QByteArray> RunInChild(const std::function<QByteArray()>& body,
                                            std::chrono::seconds limit) {
  Child child = StartInChild(body);
  return Finish(child, limit);
}

// A program started through QProcess, killed and waited for at the end of the scope when it
// still runs (QProcess alone would do so too, but with a warning for every such test).
class ScopedProcess : public QProcess {
 public:
  ScopedProcess() = default;
  ~ScopedProcess() override {
    if (state() == QProcess::NotRunning) return;
    kill();
    waitForFinished(-1);
  }
  ScopedProcess(const ScopedProcess&) = delete;
  ScopedProcess& operator=(const ScopedProcess&) = delete;
};

}  // namespace jwtest
