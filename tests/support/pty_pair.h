// A pseudo-terminal pair: the component opens the slave, the master plays the device.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// The output rate in bit/s the kernel keeps for a terminal, free rates included.
std::uint32_t LineRate(int Fd);  // line_rate.cpp

class PtyPair {
 public:
  PtyPair() {
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Master >= 0 && grantpt(Master) == 0 && unlockpt(Master) == 0)
      SlavePath = QString::fromLocal8Bit(ptsname(Master));
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool IsValid() const { return Master >= 0 && !SlavePath.isEmpty(); }
  void CloseMaster() {
    if (Master >= 0) ::close(Master);
    Master = -1;
  }
  bool Send(const QByteArray& Bytes) const {
    return ::write(Master, Bytes.constData(), static_cast<size_t>(Bytes.size())) == Bytes.size();
  }
  // What the slave side has sent, until Count bytes came or TimeoutMs ran out.
  QByteArray Receive(int Count, int TimeoutMs = 5000) const {
    QByteArray got;
    const QDeadlineTimer deadline(TimeoutMs);
    pollfd in{Master, POLLIN, 0};
    char chunk[4096];
    while (got.size() < Count && ::poll(&in, 1, int(deadline.remainingTime())) > 0) {
      const ssize_t n = ::read(Master, chunk, sizeof chunk);
      if (n <= 0) break;
      got.append(chunk, static_cast<qsizetype>(n));
    }
    return got;
  }
  // The slave's settings, as the master sees them.
  termios Attributes() const {
    termios t{};
    tcgetattr(Master, &t);
    return t;
  }

  int Master = -1;
  QString SlavePath;
};
