// A simulated recorder on a pseudo-terminal, to try a readout without a recorder:
//   build/tests/support/jw_recorder_sim [--type 2|4] [--variant N] [--records N]
//       [--ring N] [--overload N] [--overload-ring N] [--delay MS] [--refuse-speed N]
// It prints the terminal's path; point JIBWARDEN_COM1 at it and read from "COM1". Until it is
// probed it sends "?" once a second, as a recorder does.
#include "tests/support/pty_recorder.h"
#include "tests/support/sample_recorders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  // The options in the order of the usage line, with their defaults.
  const char* names[] = {"--type",     "--variant",       "--records", "--ring",
                         "--overload", "--overload-ring", "--delay",   "--refuse-speed"};
  int values[] = {2, 10, 70, 25, 12, 5, 0, 5};
  for (int i = 1; i + 1 < argc; i += 2) {
    const auto name = std::find_if(std::begin(names), std::end(names),
                                   [&](const char* n) { return !std::strcmp(n, argv[i]); });
    if (name == std::end(names)) {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
    values[name - names] = std::atoi(argv[i + 1]);
  }
  const SampleSpec spec{
      quint8(values[0]),  quint8(values[1]), "K\xA0-405.1A",    310457, 1187, values[2],
      quint16(values[3]), values[4],         quint16(values[5])};
  RecorderFaults faults;
  faults.ReplyDelayMs = values[6];
  faults.RefuseSpeedFrom = values[7];

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
