#include "acquisition/record_decoder.h"
#include "tests/support/recorder_simulator.h"

#include <gtest/gtest.h>

// The fake recorder must speak the protocol exactly, or every readout test built on it
// proves nothing.
TEST(RecorderSimulatorTest, AnswersEveryCommandWithCheckedReplies) {
  RecorderModel model;
  model.DeviceType = 4;
  model.DeviceVariant = 2;
  model.Operational.Entries = {QByteArray(28, '\0'), QByteArray(28, '\0')};
  model.Operational.RingPosition = 1;
  RecorderFaults faults;
  faults.RefuseSpeedFrom = 3;
  RecorderSimulator recorder(model, faults);

  EXPECT_EQ(recorder.Receive("\xAA").at(1), '\x55');
  EXPECT_EQ(recorder.Receive(QByteArray("B\x02", 2)).at(2), '\x55');
  EXPECT_NE(recorder.Receive(QByteArray("B\x03", 2)).at(2), '\x55');
  EXPECT_EQ(recorder.SpeedIndex(), 2);
  // Commands may arrive in pieces: the speed byte comes later.
  EXPECT_TRUE(recorder.Receive("B").isEmpty());
  EXPECT_EQ(recorder.Receive(QByteArray(1, '\x01')).size(), 3);
  EXPECT_EQ(recorder.Commands().back(), QByteArray("B\x01"));

  for (char c : QByteArray("INPMDCT")) {
    const QByteArray reply = recorder.Receive(QByteArrayView(&c, 1));
    ASSERT_GT(reply.size(), 1) << c;
    EXPECT_TRUE(IsXorBlockValid(reply.mid(1))) << c;
  }

  EXPECT_EQ(recorder.Receive("W"), QByteArray("W\x01"));
  const QByteArray block = recorder.Receive("R");
  ASSERT_EQ(block.size(), 1 + 2 * 28);
  EXPECT_TRUE(IsXorBlockValid(block.mid(1, 28)));
}
