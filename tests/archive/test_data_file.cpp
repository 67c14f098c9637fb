#include "archive/cp1251.h"
#include "archive/data_file.h"

#include <gtest/gtest.h>

using namespace DataFile;

TEST(DataFileFormat, ConstantsAreByteExact) {
  EXPECT_EQ(kMagic, "Taltrex");
  EXPECT_EQ(kColumnsType2.size(), 108);
  EXPECT_EQ(kColumnsType4.size(), 113);
  EXPECT_EQ(kHandheldColumnsType2.size(), 101);
  EXPECT_EQ(kHandheldColumnsType4.size(), 113);
  EXPECT_EQ(kSeparator.size(), 39);
  EXPECT_EQ(EncodeCp1251(kSeparator).size(), 39);
  EXPECT_TRUE(kColumnsType2.startsWith("DATA             ;a      ;L      ;g   ;Pp"));
  EXPECT_TRUE(kColumnsType2.endsWith(";Qmax   ;M  ;Флаги   "));
  for (const QString& label : {kLabelSpectrum, kLabelCycles, kLabelMotoHours, kLabelCharNumber,
                               kLabelSpectrumClass, kLabelMaintenance, kLabelUsageClass,
                               kLabelSpectrumFactor, kLabelGroup, kLabelCountTPCR, kLabelCountTP})
    EXPECT_EQ(label.size(), kValuePos - 1) << label.toStdString();
  EXPECT_EQ(EncodeCp1251(kLabelCountTPCR), QByteArray("\xD2\xCF\xD7\xD0 : "));
  // The record layouts end on their closing ";".
  EXPECT_EQ(Type2::kInputs.pos + Type2::kInputs.width, Type2::kLineLength);
  EXPECT_EQ(Type4::kFlags.pos + Type4::kFlags.width, Type4::kLineLength);
}

TEST(DataFileFormat, FileNameFromTheClock) {
  const QDateTime when(QDate(2004, 3, 5), QTime(7, 8, 9));
  EXPECT_EQ(FileName(when, "12345"), "д05м03г2004ч07м08c09_12345.bbi");
  const Clock fixed = [] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); };
  const QString name = FileName(fixed, "КС-45");
  EXPECT_EQ(name, "д31м12г2024ч23м59c58_КС-45.bbi");
  EXPECT_EQ(name.at(name.indexOf("c58")).unicode(), u'c');  // the Latin letter
}

TEST(DataFileFormat, FieldsAreCutByBytePosition) {
  // Cyrillic characters are one byte each, so positions after them stay right.
  const QString line = DecodeCp1251(EncodeCp1251(u"ТПЧР : 00042"));
  EXPECT_EQ(RestFrom(line, kValuePos).toString(), "00042");
  EXPECT_EQ(FieldAt(line, 1, 4).toString(), "ТПЧР");
  const QString maxima = "00012.50;00010,25;";
  EXPECT_EQ(FieldAt(maxima, kMaximaPos[0], kMaximaWidth).toString(), "00012.50");
  EXPECT_EQ(FieldAt(maxima, kMaximaPos[1], kMaximaWidth).toString(), "00010,25");
  // Short lines clip, never run out of range.
  EXPECT_EQ(FieldAt(maxima, kMaximaPos[2], kMaximaWidth).toString(), "");
  EXPECT_EQ(FieldAt(u"abc", 2, 10).toString(), "bc");
  EXPECT_EQ(FieldAt(u"abc", 0, 2).toString(), "");
  EXPECT_EQ(FieldAt(u"abc", 2, -1).toString(), "");
  EXPECT_EQ(RestFrom(u"abc", 9).toString(), "");
  EXPECT_EQ(RestFrom(u"Csum : ", kValuePos).toString(), "");
}
