// Whole files as bytes, for tests that compare or prepare files byte for byte.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <unistd.h>

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

// Root reads and writes what it likes; for its scope a test run as root acts as the user
// nobody, so that file modes count.
struct AsAnotherUser {
  AsAnotherUser() : changed(geteuid() == 0 && seteuid(65534) == 0) {}
  ~AsAnotherUser() {
    if (changed) (void)seteuid(0);
  }
  AsAnotherUser(const AsAnotherUser&) = delete;
  AsAnotherUser& operator=(const AsAnotherUser&) = delete;
  const bool changed;
};

}  // namespace jwtest
