#include "tests/support/recorder_simulator.h"

#include <gtest/gtest.h>

// The replies themselves are proven by the readout tests and the golden files built on
// them; what those cannot show is a command arriving in pieces over a real port.
TEST(RecorderSimulatorTest, TakesACommandInPieces) {
  RecorderSimulator recorder;
  EXPECT_TRUE(recorder.Receive("B").isEmpty());
  EXPECT_EQ(recorder.Receive(QByteArray(1, '\x01')).size(), 3);
  EXPECT_EQ(recorder.Commands().back(), QByteArray("B\x01"));
}
