// A simulated recorder on a pseudo-terminal, to try a readout without a recorder:
//   build/tests/support/jw_recorder_sim [--type 2|4] [--variant N] [--records N]
//       [--ring N] [--overload N] [--overload-ring N] [--delay MS]
// It prints the terminal's path; point JIBWARDEN_COM1 at it and read from "COM1". Until it is
// probed it sends "?" once a second, as a recorder does.
#include "tests/support/sample_recorders.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
  SampleSpec spec{2, 10, "K\xA0-405.1A", 310457, 1187, 70, 25, 12, 5};
  RecorderFaults faults;
  for (int i = 1; i + 1 < argc; i += 2) {
    const int value = std::atoi(argv[i + 1]);
    const char* name = argv[i];
    if (!std::strcmp(name, "--type"))
      spec.DeviceType = quint8(value);
    else if (!std::strcmp(name, "--variant"))
      spec.DeviceVariant = quint8(value);
    else if (!std::strcmp(name, "--records"))
      spec.OperationalCount = value;
    else if (!std::strcmp(name, "--ring"))
      spec.OperationalRing = quint16(value);
    else if (!std::strcmp(name, "--overload"))
      spec.OverloadCount = value;
    else if (!std::strcmp(name, "--overload-ring"))
      spec.OverloadRing = quint16(value);
    else if (!std::strcmp(name, "--delay"))
      faults.ReplyDelayMs = value;
    else {
      std::fprintf(stderr, "unknown option %s\n", name);
      return 2;
    }
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("pseudo-terminal");
    return 1;
  }
  const char* path = ptsname(master);
  // Holding the other end open keeps the terminal alive between readouts.
  const int slave = open(path, O_RDWR | O_NOCTTY);
  termios tio{};
  if (slave < 0 || tcgetattr(slave, &tio) != 0) {
    std::perror(path);
    return 1;
  }
  cfmakeraw(&tio);
  tcsetattr(slave, TCSANOW, &tio);
  std::printf("%s\n", path);
  std::fflush(stdout);

  RecorderSimulator recorder(SampleRecorder(spec), faults);
  bool probed = false;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    const int ready = poll(&p, 1, 1000);
    if (ready < 0) break;
    if (ready == 0) {
      if (!probed && write(master, "?", 1) != 1) break;
      continue;
    }
    char buffer[256];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    const QByteArray bytes(buffer, n);
    if (bytes.contains('\xAA')) probed = true;
    if (bytes.contains('F')) probed = false;  // the link ended: announce again
    const QByteArray reply = recorder.Receive(bytes);
    if (reply.isEmpty()) continue;
    std::this_thread::sleep_for(std::chrono::milliseconds(faults.ReplyDelayMs));
    if (write(master, reply.constData(), size_t(reply.size())) != reply.size()) break;
  }
  close(slave);
  close(master);
  return 0;
}
