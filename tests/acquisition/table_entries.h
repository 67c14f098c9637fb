#pragma once
// Table entries shared by the tests of both data-file writers.

#include "tests/support/recorder_simulator.h"

#include <QByteArray>
#include <QStringList>

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

// A table of count entries told apart by their time stamps.
inline RecorderTable Table(int count, int ring) {
  RecorderTable t;
  for (int i = 0; i < count; ++i) t.Entries.append(PackDateTime(1, 1, 24, 0, i / 60, i % 60));
  t.RingPosition = quint16(ring);
  return t;
}

// The time-stamp numbers (minutes * 60 + seconds) of count record lines from line first.
inline QList<int> Numbers(const QStringList& lines, int first, int count) {
  QList<int> numbers;
  for (int i = first; i < first + count && i < lines.size(); ++i)
    numbers.append(lines[i].mid(12, 2).toInt() * 60 + lines[i].mid(15, 2).toInt());
  return numbers;
}
