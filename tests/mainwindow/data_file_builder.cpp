#include "data_file_builder.h"

#include "archive/cp1251.h"
#include "archive/data_file.h"

#include <QFile>

QString Type2Record::Line() const {
  const QStringList fields = {
      stamp, a, L, g, pp, psh, np, ns, nk, q, r, h, qmax, m, flags + "_" + outputs + "_" + inputs};
  return fields.join(';') + ";";
}

QString Type4Record::Line() const {
  const QStringList fields = {
      stamp, a1, a2, l1, l2, g, np, nk, f, q, r, h, qmax, m, inputs + "_" + outputs + "_" + flags};
  return fields.join(';') + ";";
}

QStringList FileLines(const FileSpec& spec) {
  QStringList lines = {
      DataFile::kMagic, "КС-45717",   "123",         spec.type,     spec.variant,
      "4567",           "01.02.2023", "Иванов",      "примечание",  "01.02.23 10:11:12",
      spec.maxima,      "",           spec.spectrum, "Csum : 1234", "Mch  : 567",
      "Np   : 89",      "Km   : 2",   "T0   : 120",  "U    : U3",   "Q    : 0.25",
      "A    : A3",
  };
  const QString countTPCR =
      spec.countTPCR.isNull() ? QString::number(spec.operational.size()) : spec.countTPCR;
  const QString countTP =
      spec.countTP.isNull() ? QString::number(spec.overload.size()) : spec.countTP;
  lines << DataFile::kLabelCountTPCR + countTPCR.rightJustified(5, '0')
        << DataFile::kLabelCountTP + countTP.rightJustified(5, '0');
  if (spec.stopAfterCounts) return lines;
  lines << (spec.type == "4" ? DataFile::kColumnsType4 : DataFile::kColumnsType2);
  lines << spec.operational << DataFile::kSeparator << spec.overload;
  return lines;
}

QString WriteDataFile(const QString& dir, const QString& name, const QStringList& lines) {
  const QString path = dir + "/" + name;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  for (const QString& line : lines) file.write(EncodeCp1251(line) + "\r\n");
  return path;
}
