#pragma once
// Number texts of the data file and the windows. They never follow the process locale:
// the decimal separator is always ".".

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

inline constexpr QChar kDecimalSeparator = u'.';

// Text left-padded with "0" to width; a text of width characters or longer is unchanged.
QString PadZeros(const QString& text, int width);
// "0" + text for a one-character text, otherwise text unchanged.
QString PadTwoDigits(const QString& text);
// Cuts (never rounds) a number text after the second digit behind its separator.
QString TruncateToTwoDecimals(const QString& text);
// Every "." and "," becomes the decimal separator.
QString NormalizeDecimalSeparator(const QString& text);

// The recorder's 4-byte time stamp. Year, month and day share bytes with the time: the two
// top bits of b0 and b1 make the month, the two top bits of b2 and three of b3 the day.
struct TPackedDateTime {
  std::array<quint8, 4> Bytes{};

  // The first four bytes of packed; missing bytes of a shorter input count as zero.
  static TPackedDateTime FromBytes(QByteArrayView packed);

  int Year() const { return Bytes[0] & 0x3F; }  // within the century
  int Month() const { return (Bytes[0] >> 6) * 4 + (Bytes[1] >> 6); }
  int Second() const { return Bytes[1] & 0x3F; }
  int Minute() const { return Bytes[2] & 0x3F; }
  int Day() const { return (Bytes[2] >> 6) * 8 + (Bytes[3] >> 5); }
  int Hour() const { return Bytes[3] & 0x1F; }
};

// "dd.mm.yy hh:mm:ss", without a range check: a month of 13 shows as 13.
QString DecodePackedDateTime(const TPackedDateTime& packed);
// The first four bytes taken as a TPackedDateTime.
QString DecodePackedDateTime(QByteArrayView packed);
QString DecodePackedDateTime(QStringView packed);  // characters taken as bytes

// Integer conversion: optional leading blanks, an optional sign, decimal digits, nothing
// after them; fails outside the 32-bit range.
std::optional<int> TextToInt(QStringView text);
// Float conversion after NormalizeDecimalSeparator: leading blanks, a sign, digits with an
// optional separator and exponent; "nan", "inf" and hex floats are refused.
std::optional<double> TextToFloat(QStringView text);

// General text of a double: up to 15 significant digits, "." as separator, no trailing
// zeros, an integral value without separator; scientific ("1.5E20", "1E-6") only for very
// large or small magnitudes.
QString FloatToText(double value);
// Decimal text of an integer.
QString IntToText(long long value);

// The measured-value field of a record line: the value's text cut to two decimals and
// left-padded with "0" to width.
QString FieldNumber(double value, int width);
