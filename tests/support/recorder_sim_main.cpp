// A simulated recorder on a pseudo-terminal, to try a readout without a recorder. It prints the
// terminal's path; point JIBWARDEN_COM1 at it and read from "COM1". Until it is probed it sends
// "?" once a second, as a recorder does. `jw_recorder_sim --help` lists the options.
#include "tests/support/pty_recorder.h"
#include "tests/support/sample_recorders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: jw_recorder_sim [--type 2|4] [--variant N] [--records N] [--ring N]\n"
    "                       [--overload N] [--overload-ring N] [--delay MS] [--refuse-speed N]\n"
    "Serves a simulated recorder on a pseudo-terminal and prints the terminal's path;\n"
    "start the program with JIBWARDEN_COM1 set to that path and read from \"COM1\".\n"
    "  --type 2|4          recorder type (2)\n"
    "  --variant N         recorder variant (10)\n"
    "  --records N         records in the operational table (70)\n"
    "  --ring N            ring position of the operational table (25)\n"
    "  --overload N        records in the overload table (12)\n"
    "  --overload-ring N   ring position of the overload table (5)\n"
    "  --delay MS          time from a command to its reply (0)\n"
    "  --refuse-speed N    line speed steps N and above are refused (5)\n"
    "  --help              this text\n";

int Refuse(const char* what, const char* option) {
  std::fprintf(stderr, "jw_recorder_sim: %s %s\n%s", what, option, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // The options in the order of the usage line, with their defaults.
  const char* names[] = {"--type",     "--variant",       "--records", "--ring",
                         "--overload", "--overload-ring", "--delay",   "--refuse-speed"};
  int values[] = {2, 10, 70, 25, 12, 5, 0, 5};
  for (int i = 1; i < argc; i += 2) {
    if (!std::strcmp(argv[i], "--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const auto name = std::find_if(std::begin(names), std::end(names),
                                   [&](const char* n) { return !std::strcmp(n, argv[i]); });
    if (name == std::end(names)) return Refuse("unknown option", argv[i]);
    if (i + 1 == argc) return Refuse("missing value of", argv[i]);
    char* end = nullptr;
    const long value = std::strtol(argv[i + 1], &end, 10);
    if (!*argv[i + 1] || *end || value < 0 || value > 65535)
      return Refuse("a whole number from 0 to 65535 must follow", argv[i]);
    values[name - names] = static_cast<int>(value);
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
