#include "tests/support/pty_recorder.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

int RateOf(speed_t speed) {
  switch (speed) {
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    default:
      return -int(speed);
  }
}

}  // namespace

PtyRecorder::PtyRecorder(RecorderModel model, RecorderFaults faults)
    : recorder_(std::move(model), std::move(faults)) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || pipe(stopPipe_) != 0)
    return;
  // Raw before the program opens the slave: no echo or line editing ever touches a byte.
  termios tio{};
  if (tcgetattr(master_, &tio) != 0) return;
  cfmakeraw(&tio);
  if (tcsetattr(master_, TCSANOW, &tio) != 0) return;
  slavePath_ = QString::fromLocal8Bit(ptsname(master_));
}

PtyRecorder::~PtyRecorder() {
  Stop();
  for (int fd : {master_, stopPipe_[0], stopPipe_[1]})
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

int PtyRecorder::Rate() const {
  termios tio{};
  return tcgetattr(master_, &tio) == 0 ? RateOf(cfgetospeed(&tio)) : 0;
}

// Waits, unless told to stop.
void PtyRecorder::Pause(int milliseconds) {
  pollfd stop{stopPipe_[0], POLLIN, 0};
  ::poll(&stop, 1, milliseconds);
}

void PtyRecorder::Serve() {
  using Clock = std::chrono::steady_clock;
  bool probed = false;
  Clock::time_point nextAnnounce = Clock::now();
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (!probed && now >= nextAnnounce) {
      // Lost while the slave is closed; the next one follows in a second.
      [[maybe_unused]] const ssize_t n = ::write(master_, "?", 1);
      nextAnnounce = now + std::chrono::seconds(1);
    }
    const int timeout =
        probed ? 1000
               : int(std::chrono::duration_cast<std::chrono::milliseconds>(nextAnnounce - now)
                         .count()) +
                     1;
    pollfd fds[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    if (::poll(fds, 2, timeout) < 0 && errno != EINTR) return;
    if (fds[1].revents) return;
    if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buffer[512];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      // EIO: the program has the slave closed for now.
      Pause(10);
      continue;
    }
    QByteArray reply;
    int delayMs = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const qsizetype before = recorder_.Commands().size();
      reply = recorder_.Receive(QByteArrayView(buffer, n));
      const int rate = Rate();
      for (qsizetype i = before; i < recorder_.Commands().size(); ++i) {
        const QByteArray& command = recorder_.Commands()[i];
        log_.append({command, rate});
        if (command.front() == '\xAA') probed = true;
        if (command.front() == 'F') {
          probed = false;  // the link ended: announce again
          nextAnnounce = Clock::now() + std::chrono::seconds(1);
        }
      }
      delayMs = recorder_.Faults().ReplyDelayMs;
    }
    if (reply.isEmpty()) continue;
    if (delayMs > 0) Pause(delayMs);
    qsizetype sent = 0;
    while (sent < reply.size()) {
      const ssize_t w = ::write(master_, reply.constData() + sent, size_t(reply.size() - sent));
      if (w <= 0) break;
      sent += w;
    }
  }
}
