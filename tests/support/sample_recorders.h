#pragma once
// Recorders with plausible tables for the samples and the stand-alone simulator, and the
// header lines a readout of them collects.

#include "acquisition/table_transfer.h"
#include "tests/support/recorder_simulator.h"

struct SampleSpec {
  quint8 DeviceType = 2;
  quint8 DeviceVariant = 10;
  QByteArray CraneName;  // display character set
  quint32 DeviceNumber = 0;
  quint32 CraneNumber = 0;
  int OperationalCount = 0;
  quint16 OperationalRing = 0;
  int OverloadCount = 0;
  quint16 OverloadRing = 0;
};

RecorderModel SampleRecorder(const SampleSpec& spec);

// The header a readout of model writes: the texts it builds from the replies.
ReadoutHeader HeaderFor(const RecorderModel& model, const QString& readDate,
                        const QString& operatorName, const QString& comment);
