#include "acquisition/record_decoder.h"
#include "archive/number_text.h"
#include "tests/support/recorder_simulator.h"

#include <gtest/gtest.h>

// The fake recorder must speak the protocol exactly, or every readout test built on it
// proves nothing.
TEST(RecorderSimulator, AnswersEveryCommandWithCheckedReplies) {
  RecorderModel model;
  model.DeviceType = 4;
  model.DeviceVariant = 2;
  model.CraneName = "K\xA0-474";
  model.DeviceNumber = 0x123456;
  model.CraneNumber = 931;
  model.Clock = PackDateTime(25, 12, 4, 13, 45, 30);
  model.Operational.Entries = {QByteArray(28, '\0'), QByteArray(28, '\0')};
  model.Operational.RingPosition = 1;
  RecorderFaults faults;
  faults.RefuseSpeedFrom = 3;
  RecorderSimulator recorder(model, faults);

  EXPECT_EQ(recorder.Receive("\xAA").at(1), '\x55');
  EXPECT_EQ(recorder.Receive(QByteArray("B\x02", 2)).at(2), '\x55');
  EXPECT_NE(recorder.Receive(QByteArray("B\x03", 2)).at(2), '\x55');
  EXPECT_EQ(recorder.SpeedIndex(), 2);

  for (char c : QByteArray("INPMDCT")) {
    const QByteArray reply = recorder.Receive(QByteArrayView(&c, 1));
    ASSERT_GT(reply.size(), 1) << c;
    EXPECT_TRUE(IsXorBlockValid(reply.mid(1))) << c;
  }
  EXPECT_EQ(recorder.Receive("I").mid(1, 2), QByteArray("\x04\x02"));
  EXPECT_EQ(ConvertDeviceText(recorder.Receive("N").mid(1, 16)), u"KБ-474          ");
  EXPECT_EQ(recorder.Receive("P").mid(1, 6), QByteArray("\x56\x34\x12\xA3\x03\x00", 6));
  EXPECT_EQ(DecodePackedDateTime(QByteArrayView(recorder.Receive("D")).sliced(1)),
            u"25.12.04 13:45:30");
  EXPECT_EQ(recorder.Receive("T").mid(1, 8), QByteArray("\x02\x00\x00\x00\x01\x00\x00\x00", 8));

  EXPECT_EQ(recorder.Receive("W"), QByteArray("W\x01"));
  const QByteArray block = recorder.Receive("R");
  ASSERT_EQ(block.size(), 1 + 2 * 28);
  EXPECT_TRUE(IsXorBlockValid(block.mid(1, 28)));
  EXPECT_EQ(recorder.Receive("S"), "S");
  EXPECT_EQ(recorder.Receive("E"), QByteArray("E\x03"));
  EXPECT_EQ(recorder.Receive("O"), QByteArray("O\x02"));
  EXPECT_EQ(recorder.Receive("F"), QByteArray("F\xFF"));
  // Commands may arrive in pieces: the speed byte comes later.
  EXPECT_TRUE(recorder.Receive("B").isEmpty());
  EXPECT_EQ(recorder.Receive(QByteArray(1, '\x01')).size(), 3);
  EXPECT_EQ(recorder.Commands().back(), QByteArray("B\x01"));
}
