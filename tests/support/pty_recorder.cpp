#include "tests/support/pty_recorder.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyRecorder::PtyRecorder(RecorderModel model, RecorderFaults faults)
    : recorder_(std::move(model), std::move(faults)) {
  // Raw before the program opens the slave: no echo or line editing ever touches a byte.
  termios tio{};
  const bool got = tcgetattr(pty_.Master, &tio) == 0;
  cfmakeraw(&tio);
  if (!got || tcsetattr(pty_.Master, TCSANOW, &tio) != 0 || pipe(stopPipe_) != 0)
    pty_.CloseMaster();
}

PtyRecorder::~PtyRecorder() {
  Stop();
  for (int fd : stopPipe_)
    if (fd >= 0) ::close(fd);
}

void PtyRecorder::Start() {
  if (IsValid() && !thread_.joinable()) thread_ = std::thread([this] { Serve(); });
}

void PtyRecorder::Stop() {
  if (!thread_.joinable()) return;
  const char stop = 1;
  [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], &stop, 1);
  thread_.join();
}

QList<PtyRecorder::Received> PtyRecorder::Log() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

QList<QByteArray> PtyRecorder::Commands() const {
  QList<QByteArray> commands;
  for (const Received& r : Log()) commands.append(r.Command);
  return commands;
}

// Waits, unless told to stop.
void PtyRecorder::Pause(int milliseconds) {
  pollfd stop{stopPipe_[0], POLLIN, 0};
  ::poll(&stop, 1, milliseconds);
}

void PtyRecorder::Serve() {
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
      Pause(10);
      continue;
    }
    QByteArray reply;
    int delayMs = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const qsizetype before = recorder_.Commands().size();
      reply = recorder_.Receive(QByteArrayView(buffer, n));
      const int rate = int(LineRate(pty_.Master));
      for (qsizetype i = before; i < recorder_.Commands().size(); ++i) {
        const QByteArray& command = recorder_.Commands()[i];
        log_.append({command, rate});
        if (command.front() == '\xAA') probed = true;
        if (command.front() == 'F') {
          probed = false;  // the link ended: announce again
          nextAnnounce = steady_clock::now() + seconds(1);
        }
      }
      delayMs = recorder_.Faults().ReplyDelayMs;
    }
    if (reply.isEmpty()) continue;
    if (delayMs > 0) Pause(delayMs);
    pty_.Send(reply);
  }
}
