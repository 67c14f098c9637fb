#include "tests/support/sample_recorders.h"

#include "acquisition/record_decoder.h"
#include "archive/data_file.h"
#include "archive/number_text.h"

namespace {

void PutWord(QByteArray& e, int low, int value, int highMask = 0xFF) {
  e[low] = char(value & 0xFF);
  e[low + 1] =
      char((static_cast<unsigned char>(e[low + 1]) & ~highMask) | ((value >> 8) & highMask));
}

void SetBit(QByteArray& e, int byte, int bit, bool on) {
  if (on) e[byte] = char(e[byte] | (1 << bit));
}

int Fixed(double value, double scale = 256) {
  return int(value * scale);
}

// Entry i of a table: a crane slewing and luffing through its work cycles.
QByteArray Entry(quint8 type, int i, bool overload) {
  QByteArray e(28, '\0');
  const int minutes = i * 7;
  e.replace(0, 4,
            PackDateTime(3 + minutes / 1440, 6, 24, 8 + (minutes / 60) % 10, minutes % 60,
                         (i * 13) % 60));
  const double load = overload ? 10.5 + (i % 4) * 0.75 : 1.0 + (i % 9) * 0.9;
  const double radius = 4.0 + (i % 11) * 1.5;
  const double permitted = 10.0 + 40.0 / radius;
  const int azimuth = (i * 37) % 361 - 180;
  const int degree = int(load * 100 / permitted);
  if (type == 4) {
    PutWord(e, 4, Fixed(60.0 + (i % 5) * 2.5), 0x7F);
    PutWord(e, 6, Fixed(15.0 + (i % 7) * 1.25), 0x7F);
    PutWord(e, 8, Fixed(32.0), 0x3F);
    e[10] = char(20 + i % 3);
    e[12] = char(qAbs(azimuth));
    e[13] = char((azimuth < 0 ? 1 : 0) | (2 << 1) | ((i % 4) << 5));
    PutWord(e, 14, Fixed(load * 1.1, 128));
    SetBit(e, 11, 3, overload);
    SetBit(e, 11, 6, radius > 18);
    SetBit(e, 5, 7, i % 3 == 0);
  } else {
    PutWord(e, 4, Fixed(45.0 + (i % 6) * 3.5), 0x7F);
    PutWord(e, 6, Fixed(12.0 + (i % 4) * 4.25), 0x3F);
    e[8] = char(qAbs(azimuth));
    e[9] = char(azimuth < 0 ? 1 : 0);
    PutWord(e, 10, Fixed((40.0 + load * 8) / 6.25), 0x7F);
    PutWord(e, 12, Fixed(12.0 / 6.25), 0x7F);
    e[14] = char(4 | (1 << 4));
    e[15] = char(3);
    SetBit(e, 25, 5, radius > 18);
    SetBit(e, 25, 1, overload);
    SetBit(e, 9, 3, i % 2 == 0);
    SetBit(e, 15, 4, true);
  }
  PutWord(e, 16, Fixed(load));
  PutWord(e, 18, Fixed(radius));
  PutWord(e, 20, Fixed(30.0 - radius / 2));
  PutWord(e, 22, Fixed(permitted));
  e[24] = char(qMin(degree, 255));
  return SealEntry(e);
}

RecorderTable Table(quint8 type, int count, quint16 ring, bool overload) {
  RecorderTable table;
  table.RingPosition = ring;
  for (int i = 0; i < count; ++i) table.Entries.append(Entry(type, i, overload));
  return table;
}

}  // namespace

RecorderModel SampleRecorder(const SampleSpec& spec) {
  return {.DeviceType = spec.DeviceType,
          .DeviceVariant = spec.DeviceVariant,
          .CraneName = spec.CraneName.leftJustified(16, ' ', true),
          .DeviceNumber = spec.DeviceNumber,
          .CraneNumber = spec.CraneNumber,
          .Maxima = {quint16(25 * 256 + 128), quint16(28 * 256), quint16(40 * 256 + 64),
                     quint16(34 * 256)},
          .Clock = PackDateTime(14, 6, 24, 9, 30, 5),
          .Bands = {12034, 5120, 2210, 640, 35},
          .TotalCycles = 20039,
          .MotoHours = 1843,
          .NpCounter = 211,
          .SpectrumClass = 2,
          .Maintenance = 45,
          .Operational = Table(spec.DeviceType, spec.OperationalCount, spec.OperationalRing, false),
          .Overload = Table(spec.DeviceType, spec.OverloadCount, spec.OverloadRing, true)};
}

ReadoutHeader HeaderFor(const RecorderModel& model, const QString& readDate,
                        const QString& operatorName, const QString& comment) {
  ReadoutHeader h;
  h.CraneName = ConvertDeviceText(model.CraneName.left(16));
  h.CraneNumber = qint32(model.CraneNumber);
  h.DeviceTypeCode = model.DeviceType;
  h.DeviceVariant = model.DeviceVariant;
  h.DeviceNumber = qint32(model.DeviceNumber);
  h.ReadDate = readDate;
  h.OperatorName = operatorName;
  h.Comment = comment;
  h.RecorderClock = DecodePackedDateTime(QByteArrayView(model.Clock));
  for (quint16 v : model.Maxima) h.MaximaLine += FieldNumber(v / 256.0, 8) + u';';
  h.SpectrumLine = DataFile::kLabelSpectrum;
  for (quint32 band : model.Bands) h.SpectrumLine += PadZeros(QString::number(band), 8) + u';';
  h.CyclesLine = DataFile::kLabelCycles + QString::number(model.TotalCycles);
  h.MotoHoursLine = DataFile::kLabelMotoHours + QString::number(model.MotoHours);
  h.CharNumberLine = DataFile::kLabelCharNumber + QString::number(model.NpCounter);
  h.SpectrumClassLine = DataFile::kLabelSpectrumClass + QString::number(model.SpectrumClass);
  h.MaintenanceLine = DataFile::kLabelMaintenance + QString::number(model.Maintenance);
  ComputeDutyClass(model.SpectrumClass, int(model.TotalCycles), h.Duty);
  return h;
}
