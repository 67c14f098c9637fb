#pragma once
// Table entries and file helpers shared by the tests of both data-file writers.

#include "tests/support/recorder_simulator.h"

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Entries of the golden files; the check byte is added when they are sent.
inline const QByteArray kType2A =
    QByteArray::fromHex("C41EED2D808C40C52DAB8084400253B69A030064FF1F200557A611");
inline const QByteArray kType2B =
    QByteArray::fromHex("178A0928FFFFFFFF07FEFFFF0180F0F80100000000FFFFFFFFFF00");
inline const QByteArray kType2Worked = QByteArray::fromHex("00000000800C000000810000000023");
inline const QByteArray kType4F =
    QByteArray::fromHex("C41EED2D409E0005C04A9CA587CB4001330280160030C003641234");
inline const QByteArray kType4G =
    QByteArray::fromHex("178A0928FFFFFFFFFFFFFFFFFFFEFFFFFFFFFFFFFFFFFFFFFF0000");

// Entry n of a table, told apart by its time stamp.
inline QByteArray Numbered(int n) {
  return PackDateTime(1, 1, 24, 0, n / 60, n % 60);
}

inline RecorderTable Table(int count, int ring) {
  RecorderTable t;
  for (int i = 0; i < count; ++i) t.Entries.append(Numbered(i));
  t.RingPosition = quint16(ring);
  return t;
}
