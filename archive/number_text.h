#pragma once
// Number texts of the data file and the windows. They never follow the process locale:
// the decimal separator is always ".".

#include <QByteArrayView>
#include <QString>
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

// The recorder's 4-byte time stamp as "dd.mm.yy hh:mm:ss". Missing bytes of a shorter
// input count as zero.
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
