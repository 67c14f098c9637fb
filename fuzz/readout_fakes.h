#pragma once
// What the readout-replies target and its seed writer share: the readout window and progress
// that keep nothing, and the input's layout. Byte 0 picks the speed choice; then each command
// the readout sends takes one reply: two length bytes (little-endian) and that many bytes. A
// length of kPortFailure makes the port fail on that command instead.

#include "acquisition/recorder_readout.h"

#include <QByteArray>
#include <QDateTime>

inline constexpr int kPortFailure = 0xFFFF;

inline void AppendReply(QByteArray& input, const QByteArray& reply) {
  input.append(char(reply.size() & 0xFF));
  input.append(char((reply.size() >> 8) & 0xFF));
  input.append(reply);
}

class SilentProgress : public ReadoutProgress {
 public:
  void SetStatusText(const QString&) override {}
  void SetFileNameText(const QString&) override {}
  void SetRemainingText(const QString&) override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
};

class FixedWindow : public ReadoutWindow {
 public:
  FixedWindow(int choice, QString directory) : choice_(choice), directory_(std::move(directory)) {}
  void ReopenWithoutEvents() override {}
  void SetSpeed(int) override {}
  void ProcessMessages() override {}
  int BaudrateChoice() override { return choice_; }
  ReadoutFileChoices FileChoices() override {
    return {QStringLiteral("01.02.2024"), QStringLiteral("Петров"), QString(), directory_,
            QDateTime(QDate(2024, 2, 1), QTime(9, 30, 0))};
  }
  void SetBaudText(const QString&) override {}
  void StartElapsedTime() override {}
  void CleanUp() override {}
  void CloseWindow() override {}
  void ReadoutEnded() override {}

 private:
  int choice_;
  QString directory_;
};
