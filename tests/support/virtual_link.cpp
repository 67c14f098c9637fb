#include "tests/support/virtual_link.h"

namespace {
constexpr int kTimerTickMs = 200;
}

void VirtualRecorderLink::WriteText(QByteArrayView bytes) {
  if (!bytes.isEmpty()) lastCommand_ = bytes.front();
  trace_ << QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
  const QByteArray reply = recorder_.Receive(bytes);
  if (!reply.isEmpty()) pending_.append({now_ + recorder_.Faults().ReplyDelayMs, reply});
  Arrive();
}

void VirtualRecorderLink::Arrive() {
  while (!pending_.isEmpty() && pending_.front().At <= now_) input_ += pending_.takeFirst().Bytes;
}

int VirtualRecorderLink::InQueueCount() {
  Arrive();
  return int(input_.size());
}

QByteArray VirtualRecorderLink::ReadText() {
  Arrive();
  QByteArray bytes;
  bytes.swap(input_);
  return bytes;
}

void VirtualRecorderLink::PurgeAll() {
  trace_ << QStringLiteral("purge");
  input_.clear();
  pending_.clear();
}

void VirtualRecorderLink::Delay(int milliseconds) {
  trace_ << QStringLiteral("delay %1").arg(milliseconds);
  now_ += milliseconds;
  Arrive();
  waits_.append({false, milliseconds, milliseconds, lastCommand_});
  if (DuringWait) DuringWait(lastCommand_);
}

void VirtualRecorderLink::WaitProcessingMessages(int milliseconds) {
  trace_ << QStringLiteral("wait %1").arg(milliseconds);
  const qint64 start = now_;
  int previous = -100;  // the first tick never completes
  bool complete = false;
  while (!complete && now_ - start < milliseconds) {
    const qint64 step = qMin<qint64>(kTimerTickMs, milliseconds - (now_ - start));
    now_ += step;
    if (step == kTimerTickMs) {
      const int count = InQueueCount();
      complete = count == previous;
      previous = count;
    }
    if (DuringWait) DuringWait(lastCommand_);
  }
  waits_.append({true, milliseconds, now_ - start, lastCommand_});
}
