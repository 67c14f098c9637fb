#include "archive/cp1251.h"
#include "archive/data_file.h"

#include <gtest/gtest.h>

using namespace DataFile;

TEST(DataFileTest, ConstantsAreByteExact) {
  EXPECT_EQ(kMagic, "Taltrex");
  for (const QString& label : {kLabelSpectrum, kLabelCycles, kLabelMotoHours, kLabelCharNumber,
                               kLabelSpectrumClass, kLabelMaintenance, kLabelUsageClass,
                               kLabelSpectrumFactor, kLabelGroup, kLabelCountTPCR, kLabelCountTP})
    EXPECT_EQ(label.size(), kValuePos - 1) << label.toStdString();
}

TEST(DataFileTest, RecordLineLayoutsFieldByField) {
  const struct {
    Field field;
    int pos;
    int width;
  } rows[] = {
      {Type2::kStamp, 1, 17},    {Type2::kAngle, 19, 7},          {Type2::kLength, 27, 7},
      {Type2::kAzimuth, 35, 4},  {Type2::kPistonPressure, 40, 7}, {Type2::kRodPressure, 48, 7},
      {Type2::kReeving, 56, 2},  {Type2::kEquipment, 59, 2},      {Type2::kContour, 62, 2},
      {Type2::kLoad, 65, 7},     {Type2::kRadius, 73, 7},         {Type2::kHeight, 81, 7},
      {Type2::kMaxLoad, 89, 7},  {Type2::kDegree, 97, 3},         {Type2::kFlags, 101, 5},
      {Type2::kOutputs, 107, 6}, {Type2::kInputs, 114, 14},       {Type4::kStamp, 1, 17},
      {Type4::kAngle1, 19, 7},   {Type4::kAngle2, 27, 7},         {Type4::kLength1, 35, 7},
      {Type4::kLength2, 43, 7},  {Type4::kAzimuth, 51, 4},        {Type4::kReeving, 56, 2},
      {Type4::kContour, 59, 2},  {Type4::kForce, 62, 7},          {Type4::kLoad, 70, 7},
      {Type4::kRadius, 78, 7},   {Type4::kHeight, 86, 7},         {Type4::kMaxLoad, 94, 7},
      {Type4::kDegree, 102, 3},  {Type4::kInputs, 106, 5},        {Type4::kOutputs, 112, 2},
      {Type4::kFlags, 115, 6},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pos);
    EXPECT_EQ(row.field.pos, row.pos);
    EXPECT_EQ(row.field.width, row.width);
  }
  // 127 and 120 characters and the closing ";".
  EXPECT_EQ(Type2::kLineLength, 128);
  EXPECT_EQ(Type4::kLineLength, 121);
}

TEST(DataFileTest, FileNameFromTheClock) {
  // Every field two digits wide, so a morning readout sorts before an afternoon one.
  const QDateTime when(QDate(2004, 3, 5), QTime(7, 8, 9));
  EXPECT_EQ(FileName(when, "12345"), "д05м03г2004ч07м08c09_12345.bbi");
  const Clock fixed = [] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); };
  const QString name = FileName(fixed, "КС-45");
  EXPECT_EQ(name, "д31м12г2024ч23м59c58_КС-45.bbi");
}

TEST(DataFileTest, FieldsAreCutByBytePosition) {
  // Cyrillic characters are one byte each, so positions after them stay right.
  const QString line = DecodeCp1251(EncodeCp1251(u"ТПЧР : 00042"));
  EXPECT_EQ(RestFrom(line, kValuePos).toString(), "00042");
  // Short lines clip, never run out of range.
  EXPECT_EQ(FieldAt(u"abc", 2, 10).toString(), "bc");
  EXPECT_EQ(FieldAt(u"abc", 0, 2).toString(), "");
  EXPECT_EQ(RestFrom(u"abc", 9).toString(), "");
  EXPECT_EQ(FieldAt(u"abc", 2, -1).toString(), "");
  EXPECT_EQ(RestFrom(u"Csum : ", kValuePos).toString(), "");
}
