#pragma once
// Handheld database files as a handheld computer keeps a readout: one recorder reply per
// record, in a Palm OS database container.

#include "tests/support/recorder_simulator.h"

#include <QByteArray>
#include <QList>

// The replies of a readout of model in the handheld's record order: "I" to "W", the
// operational blocks, "E", "O", the overload blocks, "E", "F"; no block for an empty table.
QList<QByteArray> HandheldRecords(const RecorderModel& model);

// A database file: the 78-byte header, the record list, two bytes of padding, the records.
QByteArray PalmDatabaseBytes(const QList<QByteArray>& records);

// Writes value as a big-endian number of size bytes at offset at, as the container does.
void PutBigEndian(QByteArray& file, int at, quint32 value, int size);
