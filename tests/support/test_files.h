// Whole files as bytes, for tests that compare or prepare files byte for byte.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace jwtest {

// The file's bytes, or "<missing>" when it cannot be read, so that a missing file never
// equals an empty one.
inline QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace jwtest
