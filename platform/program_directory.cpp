#include "platform/program_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

QString ProgramDirectory() {
  return QCoreApplication::applicationDirPath();
}

QString WritableDirectoryFor(const QString& programDirectory) {
  // Trying a file tells the truth where permission bits do not (root, read-only mounts).
  QTemporaryFile probe(programDirectory + QStringLiteral("/.jw-write-probe-XXXXXX"));
  if (!programDirectory.isEmpty() && probe.open()) return programDirectory;
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(data);
  return data;
}

QString ProgramWriteDirectory() {
  return WritableDirectoryFor(ProgramDirectory());
}
