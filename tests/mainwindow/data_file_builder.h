#pragma once
// Data files with a chosen header and record lines of either device type.

#include <QString>
#include <QStringList>

struct Type2Record {
  QString stamp = QStringLiteral("01.02.03 04:05:06");
  QString a = "0045.50", L = "0012.00", g = "+045", pp = "0100.00", psh = "0050.00";
  QString np = "04", ns = "01", nk = "02";
  QString q = "0010.00", r = "0008.00", h = "0020.00", qmax = "0012.00", m = "083";
  QString flags = "10000", outputs = "000001", inputs = "10000000000001";
  QString Line() const;
};

struct Type4Record {
  QString stamp = QStringLiteral("01.02.03 04:05:06");
  QString a1 = "0045.00", a2 = "0030.00", l1 = "0031.99", l2 = "0021.00", g = "-090";
  QString np = "02", nk = "03";
  QString f = "0100.00", q = "0010.00", r = "0008.00", h = "0020.00", qmax = "0012.00", m = "083";
  QString inputs = "11000", outputs = "01", flags = "101010";
  QString Line() const;
};

struct FileSpec {
  QString type = "2";
  QString variant = "10";
  QString maxima = "00020.00;00010.00;00030.00;00040.00;";
  QString spectrum = "Ci   : 00000001;00000002;00000003;00000004;00000005;";
  QString countTPCR;  // default: the number of operational lines
  QString countTP;
  QStringList operational;
  QStringList overload;
  bool stopAfterCounts = false;
};

// The file's lines (without line ends).
QStringList FileLines(const FileSpec& spec);
// Writes the lines as Windows-1251 with CR LF into dir; returns the path.
QString WriteDataFile(const QString& dir, const QString& name, const QStringList& lines);
