#include "mainwindow/archive_list.h"

#include "archive/cp1251.h"
#include "archive/data_file.h"

#include <QDir>
#include <QFile>

QStringList DataFileNames(const QString& dir) {
  QDir d(dir);
  if (dir.isEmpty() || !d.exists()) return {};
  return d.entryList({QStringLiteral("*") + DataFile::kExtension}, QDir::Files,
                     QDir::Name | QDir::IgnoreCase);
}

namespace {

// Header lines only: data files can hold tens of thousands of records, and the list needs
// nine lines of each. Past the end a line reads as "", as the data-file reader does.
QStringList ReadHeaderLines(QFile& file, int count) {
  QStringList lines;
  while (lines.size() < count) {
    QByteArray bytes = file.readLine();
    if (bytes.endsWith('\n')) {
      bytes.chop(1);
      if (bytes.endsWith('\r')) bytes.chop(1);
    }
    lines.append(DecodeCp1251(bytes));
  }
  return lines;
}

}  // namespace

std::optional<ArchiveRow> ReadArchiveRow(const QString& dir, const QString& name) {
  QFile file(QDir(dir).filePath(name));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QStringList lines = ReadHeaderLines(file, DataFile::kLineComment);
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  auto line = [&](int number) { return lines.at(number - 1); };
  if (line(DataFile::kLineMagic) != DataFile::kMagic) return std::nullopt;
  ArchiveRow row;
  row.caption = line(DataFile::kLineCraneType);
  row.subItems = {line(DataFile::kLineCraneNumber),
                  line(DataFile::kLineDeviceType),
                  line(DataFile::kLineDeviceNumber),
                  line(DataFile::kLineReadDate),
                  line(DataFile::kLineOperator),
                  line(DataFile::kLineComment),
                  name};
  return row;
}

int CompareListTexts(const QString& a, const QString& b) {
  const QByteArray x = EncodeCp1251(a);
  const QByteArray y = EncodeCp1251(b);
  const int n = static_cast<int>(std::min(x.size(), y.size()));
  for (int i = 0; i < n; ++i) {
    const auto cx = static_cast<unsigned char>(x[i]);
    const auto cy = static_cast<unsigned char>(y[i]);
    if (cx != cy) return cx < cy ? -1 : 1;
  }
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
}
