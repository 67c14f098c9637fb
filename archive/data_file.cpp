#include "archive/data_file.h"

#include "archive/number_text.h"

namespace DataFile {

QStringView FieldAt(QStringView line, int pos, int width) {
  if (pos < 1 || width <= 0) return {};
  const qsizetype start = pos - 1;
  if (start >= line.size()) return {};
  const qsizetype length = qMin<qsizetype>(width, line.size() - start);
  return line.sliced(start, length);
}

QStringView RestFrom(QStringView line, int pos) {
  if (pos < 1) pos = 1;
  if (pos - 1 >= line.size()) return {};
  return line.sliced(pos - 1);
}

QString FileName(const QDateTime& when, const QString& suffix) {
  const QDate d = when.date();
  const QTime t = when.time();
  auto two = [](int v) { return PadZeros(QString::number(v), 2); };
  return QStringLiteral("д") + two(d.day()) + QStringLiteral("м") + two(d.month()) +
         QStringLiteral("г") + QString::number(d.year()) + QStringLiteral("ч") + two(t.hour()) +
         QStringLiteral("м") + two(t.minute()) + u'c' + two(t.second()) + u'_' + suffix +
         kExtension;
}

QDateTime SystemClock() {
  return QDateTime::currentDateTime();
}

}  // namespace DataFile
