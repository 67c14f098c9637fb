#pragma once
// A simulated recorder on the master side of a pseudo-terminal, served by its own thread, for
// readouts through the real serial component. The master is in raw mode before anyone opens
// the slave; while the program has the slave closed the master reads EIO, which only means
// "wait". Every command is logged with the line rate the master saw as it arrived.

#include "tests/support/pty_pair.h"
#include "tests/support/recorder_simulator.h"

#include <QList>

#include <mutex>
#include <thread>

class PtyRecorder {
 public:
  explicit PtyRecorder(RecorderModel model = {}, RecorderFaults faults = {});
  ~PtyRecorder();

  bool IsValid() const { return pty_.IsValid() && stopPipe_[0] >= 0; }
  // The path the program opens (JIBWARDEN_COM1).
  const QString& SlavePath() const { return pty_.SlavePath; }

  // Serves until Stop; until probed it sends "?" once a second, as a recorder does, and again
  // after each "F".
  void Start();
  void Stop();

  struct Received {
    QByteArray Command;
    int Rate;  // bit/s of the line when the command arrived
  };
  QList<Received> Log() const;
  QList<QByteArray> Commands() const;

 private:
  void Serve();
  void Pause(int milliseconds);

  RecorderSimulator recorder_;
  PtyPair pty_;
  int stopPipe_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  QList<Received> log_;
};
