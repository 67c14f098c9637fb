#include "archive/number_text.h"

#include "archive/cp1251.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

QString PadZeros(const QString& text, int width) {
  if (text.size() >= width) return text;
  return QString(width - text.size(), u'0') + text;
}

QString PadTwoDigits(const QString& text) {
  return text.size() == 1 ? u'0' + text : text;
}

QString TruncateToTwoDecimals(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'.' || c == u',' || c == kDecimalSeparator) {
      return text.size() > i + 3 ? text.left(i + 3) : text;
    }
  }
  return text;
}

QString NormalizeDecimalSeparator(const QString& text) {
  QString result = text;
  for (QChar& c : result)
    if (c == u'.' || c == u',') c = kDecimalSeparator;
  return result;
}

TPackedDateTime TPackedDateTime::FromBytes(QByteArrayView packed) {
  TPackedDateTime result;
  for (qsizetype i = 0; i < 4 && i < packed.size(); ++i)
    result.Bytes[std::size_t(i)] = static_cast<quint8>(packed[i]);
  return result;
}

QString DecodePackedDateTime(const TPackedDateTime& packed) {
  auto two = [](int v) { return PadTwoDigits(QString::number(v)); };
  return two(packed.Day()) + u'.' + two(packed.Month()) + u'.' + two(packed.Year()) + u' ' +
         two(packed.Hour()) + u':' + two(packed.Minute()) + u':' + two(packed.Second());
}

QString DecodePackedDateTime(QByteArrayView packed) {
  return DecodePackedDateTime(TPackedDateTime::FromBytes(packed));
}

QString DecodePackedDateTime(QStringView packed) {
  char bytes[4] = {0, 0, 0, 0};
  const qsizetype n = packed.size() < 4 ? packed.size() : 4;
  // Byte texts come either one character per byte value or through the Windows-1251
  // codec; both agree on every character below 100h.
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = packed[i];
    bytes[i] = c.unicode() < 0x100 ? char(c.unicode()) : CharToCp1251(c);
  }
  return DecodePackedDateTime(QByteArrayView(bytes, n));
}

namespace {

// The ASCII text of a number field, or empty when it holds anything else.
std::string AsciiOf(QStringView text) {
  std::string s;
  s.reserve(text.size());
  for (QChar c : text) {
    if (c.unicode() > 0x7F) return {};
    s.push_back(char(c.unicode()));
  }
  return s;
}

std::size_t SkipLeadingBlanks(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}

}  // namespace

std::optional<int> TextToInt(QStringView text) {
  const std::string s = AsciiOf(text);
  std::size_t i = SkipLeadingBlanks(s);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size()) return std::nullopt;
  long long value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    value = value * 10 + (s[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return int(value);
}

std::optional<double> TextToFloat(QStringView text) {
  const std::string s = AsciiOf(NormalizeDecimalSeparator(text.toString()));
  std::size_t i = SkipLeadingBlanks(s);
  std::size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  // Only digits, one separator and a decimal exponent: this refuses nan, inf and hex.
  std::size_t digits = 0;
  bool separator = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9')
      ++digits;
    else if (s[i] == '.' && !separator)
      separator = true;
    else
      break;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  const char* first = s.data() + start;
  if (*first == '+') ++first;  // from_chars takes no plus sign
  double value = 0;
  const auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), value);
  if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString FloatToText(double value) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  if (value == 0) return QStringLiteral("0");
  // 15 significant digits in scientific form give the digits and the exponent.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  std::string sci(buf, res.ptr);
  const bool negative = sci[0] == '-';
  if (negative) sci.erase(0, 1);
  const std::size_t ePos = sci.find('e');
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  std::string digits;
  for (std::size_t k = 0; k < ePos; ++k)
    if (sci[k] != '.') digits.push_back(sci[k]);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out;
  if (exponent >= 15 || exponent < -5) {
    out = digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
  } else if (exponent < 0) {
    out = "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
  } else {
    const std::size_t intDigits = std::size_t(exponent) + 1;
    if (digits.size() <= intDigits) {
      out = digits + std::string(intDigits - digits.size(), '0');
    } else {
      out = digits.substr(0, intDigits) + "." + digits.substr(intDigits);
    }
  }
  if (negative) out.insert(0, 1, '-');
  return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QString IntToText(long long value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return QString::fromLatin1(buf, res.ptr - buf);
}

QString FieldNumber(double value, int width) {
  return PadZeros(TruncateToTwoDecimals(FloatToText(value)), width);
}
