#include "reports/print_ranges.h"

#include <limits>

bool ParseRangeNumber(const QString& text, qint32& value) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == QLatin1Char('$')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == QLatin1Char('0') &&
             (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  qint64 magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = text[i].isDigit() && text[i].unicode() < 128
                          ? text[i].unicode() - '0'
                          : (base == 16 && QStringLiteral("abcdef").contains(text[i].toLower())
                                 ? text[i].toLower().unicode() - 'a' + 10
                                 : -1);
    if (digit < 0) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > qint64(std::numeric_limits<qint32>::max()) + 1) return false;
  }
  const qint64 result = negative ? -magnitude : magnitude;
  if (result > std::numeric_limits<qint32>::max()) return false;
  value = qint32(result);
  return true;
}

qint32 ParsePrintRanges(QString Text, qint32 LastRow, PrintRanges& ranges) {
  ranges.PrintRangeCount = 0;
  if (Text.isEmpty()) return kRangesEmpty;
  if (Text.endsWith(QLatin1Char(','))) Text.chop(1);
  for (int n = 0; n < PrintRanges::kMaxRanges && !Text.isEmpty(); ++n) {
    QString item;
    const qsizetype comma = Text.indexOf(QLatin1Char(','));
    if (comma >= 0) {
      item = Text.left(comma);
      Text.remove(0, comma + 1);
    } else {
      item = Text;
      Text.clear();
      // Only the last item may stay open: "5-" runs to the last row.
      if (item.endsWith(QLatin1Char('-'))) item += QString::number(LastRow);
    }
    qint32 from = 0;
    qint32 to = 0;
    const qsizetype dash = item.indexOf(QLatin1Char('-'));
    if (dash < 0) {
      if (!ParseRangeNumber(item, from)) return kRangeNotNumber;
      if (from > LastRow) return kRangeAboveLastRow;
      to = from;
    } else {
      if (!ParseRangeNumber(item.left(dash), from)) return kRangeNotNumber;
      if (from > LastRow) return kRangeAboveLastRow;
      if (!ParseRangeNumber(item.mid(dash + 1), to)) return kRangeNotNumber;
      if (to > LastRow) return kRangeAboveLastRow;
      if (to < from) return kRangeDescending;
    }
    ++ranges.PrintRangeCount;
    ranges.PrintRangeFrom[std::size_t(ranges.PrintRangeCount)] = from;
    ranges.PrintRangeTo[std::size_t(ranges.PrintRangeCount)] = to;
  }
  return kRangesRead;
}
