#pragma once
// A simulated recorder on the master side of a pseudo-terminal, served by its own thread, for
// readouts through the real serial component. Every command is logged with the line rate the
// master saw as it arrived.

#include "tests/support/pty_pair.h"
#include "tests/support/recorder_simulator.h"

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

class PtyRecorder {
 public:
  explicit PtyRecorder(RecorderModel model = {}, RecorderFaults faults = {})
      : recorder_(std::move(model), std::move(faults)) {
    // Raw before the program opens the slave: no echo or line editing ever touches a byte.
    termios tio{};
    const bool got = tcgetattr(pty_.Master, &tio) == 0;
    cfmakeraw(&tio);
    if (!got || tcsetattr(pty_.Master, TCSANOW, &tio) != 0 || pipe(stopPipe_) != 0)
      pty_.CloseMaster();
  }
  ~PtyRecorder() {
    Stop();
    for (int fd : stopPipe_)
      if (fd >= 0) ::close(fd);
  }

  bool IsValid() const { return pty_.IsValid() && stopPipe_[0] >= 0; }
  // The path the program opens (JIBWARDEN_COM1).
  const QString& SlavePath() const { return pty_.SlavePath; }

  // Serves until Stop; until probed it sends "?" once a second, as a recorder does, and again
  // after each "F".
  void Start() {
    if (IsValid() && !thread_.joinable()) thread_ = std::thread([this] { Serve(); });
  }
  void Stop() {
    if (!thread_.joinable()) return;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], "", 1);
    thread_.join();
  }

  struct Received {
    QByteArray Command;
    int Rate;  // bit/s of the line when the command arrived
  };
  QList<Received> Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }
  QList<QByteArray> Commands() const {
    QList<QByteArray> commands;
    for (const Received& r : Log()) commands.append(r.Command);
    return commands;
  }

 private:
  void Serve() {
    using namespace std::chrono;
    bool probed = false;
    steady_clock::time_point nextAnnounce = steady_clock::now();
    for (;;) {
      const steady_clock::time_point now = steady_clock::now();
      if (!probed && now >= nextAnnounce) {
        // Lost while the slave is closed; the next one follows in a second.
        [[maybe_unused]] const ssize_t n = ::write(pty_.Master, "?", 1);
        nextAnnounce = now + seconds(1);
      }
      const auto untilAnnounce = duration_cast<milliseconds>(nextAnnounce - now).count() + 1;
      pollfd fds[2] = {{pty_.Master, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
      if (::poll(fds, 2, probed ? 1000 : int(untilAnnounce)) < 0 && errno != EINTR) return;
      if (fds[1].revents) return;
      if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[512];
      const ssize_t n = ::read(pty_.Master, buffer, sizeof buffer);
      if (n <= 0) {
        // EIO: the program has the slave closed for now (EAGAIN: nothing after all).
        std::this_thread::sleep_for(milliseconds(10));
        continue;
      }
      const qsizetype before = recorder_.Commands().size();
      const QByteArray reply = recorder_.Receive(QByteArrayView(buffer, n));
      const int rate = int(LineRate(pty_.Master));
      for (const QByteArray& command : recorder_.Commands().mid(before)) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.append({command, rate});
        if (command.front() == '\xAA') probed = true;
        if (command.front() == 'F') {
          probed = false;  // the link ended: announce again
          nextAnnounce = steady_clock::now() + seconds(1);
        }
      }
      if (reply.isEmpty()) continue;
      std::this_thread::sleep_for(milliseconds(recorder_.Faults().ReplyDelayMs));
      pty_.Send(reply);
    }
  }

  RecorderSimulator recorder_;
  PtyPair pty_;
  int stopPipe_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  QList<Received> log_;
};
