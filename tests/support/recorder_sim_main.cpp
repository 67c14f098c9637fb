// A simulated recorder on a pseudo-terminal, to try a readout without a recorder:
//   build/tests/support/jw_recorder_sim [--type 2|4] [--variant N] [--records N]
//       [--ring N] [--overload N] [--overload-ring N] [--delay MS] [--refuse-speed N]
// It prints the terminal's path; point JIBWARDEN_COM1 at it and read from "COM1". Until it is
// probed it sends "?" once a second, as a recorder does.
#include "tests/support/pty_recorder.h"
#include "tests/support/sample_recorders.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    else if (!std::strcmp(name, "--refuse-speed"))
      faults.RefuseSpeedFrom = value;
    else {
      std::fprintf(stderr, "unknown option %s\n", name);
      return 2;
    }
  }

  PtyRecorder recorder(SampleRecorder(spec), faults);
  if (!recorder.IsValid()) {
    std::perror("pseudo-terminal");
    return 1;
  }
  std::printf("%s\n", recorder.SlavePath().toLocal8Bit().constData());
  std::fflush(stdout);
  recorder.Start();
  for (;;) pause();
}
