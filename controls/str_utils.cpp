#include "controls/str_utils.h"

#include "archive/cp1251.h"

#include <QByteArray>

bool IsEmptyStr(QStringView s, QStringView chars) {
  for (QChar c : s)
    if (!chars.contains(c)) return false;
  return true;
}

QString ReplaceStr(const QString& s, const QString& f, const QString& r) {
  if (f.isEmpty()) return s;
  QString result;
  qsizetype from = 0;
  for (qsizetype at = s.indexOf(f, from); at >= 0; at = s.indexOf(f, from)) {
    result += QStringView(s).mid(from, at - from);
    result += r;
    from = at + f.size();
  }
  result += QStringView(s).mid(from);
  return result;
}

QString MakeStr(QChar c, int count) {
  return count < 1 ? QString() : QString(count, c);
}

namespace {

// Index just past the delimiters (or the word) that start at i.
qsizetype SkipIn(QStringView s, QStringView delims, qsizetype i) {
  while (i < s.size() && delims.contains(s.at(i))) ++i;
  return i;
}

qsizetype SkipOut(QStringView s, QStringView delims, qsizetype i) {
  while (i < s.size() && !delims.contains(s.at(i))) ++i;
  return i;
}

}  // namespace

int WordCount(QStringView s, QStringView delims) {
  int count = 0;
  for (qsizetype i = SkipIn(s, delims, 0); i < s.size(); i = SkipIn(s, delims, i)) {
    ++count;
    i = SkipOut(s, delims, i);
  }
  return count;
}

int WordPosition(int n, QStringView s, QStringView delims) {
  if (n < 1) return 0;
  int count = 0;
  for (qsizetype i = SkipIn(s, delims, 0); i < s.size(); i = SkipIn(s, delims, i)) {
    if (++count == n) return int(i) + 1;
    i = SkipOut(s, delims, i);
  }
  return 0;
}

QString ExtractWord(int n, QStringView s, QStringView delims) {
  const int pos = WordPosition(n, s, delims);
  if (pos == 0) return {};
  const qsizetype start = pos - 1;
  return s.mid(start, SkipOut(s, delims, start) - start).toString();
}

QString XorEncode(const QString& key, const QString& s) {
  const QByteArray k = EncodeCp1251(key);
  const QByteArray bytes = EncodeCp1251(s);
  QString result;
  result.reserve(bytes.size() * 2);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    uint b = uchar(bytes.at(i));
    if (!k.isEmpty()) b ^= uchar(k.at(i % k.size()));
    result += QStringLiteral("%1").arg(b, 2, 16, QChar(u'0'));
  }
  return result;
}

namespace {

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

}  // namespace

QString XorDecode(const QString& key, const QString& h) {
  const QByteArray k = EncodeCp1251(key);
  QByteArray bytes;
  const qsizetype pairs = h.size() / 2;
  bytes.reserve(pairs);
  for (qsizetype j = 0; j < pairs; ++j) {
    const int high = HexDigit(h.at(2 * j));
    const int low = HexDigit(h.at(2 * j + 1));
    uint b = high < 0 || low < 0 ? 0x20 : uint(high * 16 + low);
    if (!k.isEmpty()) b ^= uchar(k.at(j % k.size()));
    bytes += char(b & 0xff);
  }
  return DecodeCp1251(bytes);
}
