#include "platform/program_directory.h"

#include "platform/user_homes.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryFile>

QString ProgramDirectory() {
  return QCoreApplication::applicationDirPath();
}

QString WritableDirectoryFor(const QString& programDirectory) {
  // Trying a file tells the truth where permission bits do not (root, read-only mounts).
  QTemporaryFile probe(programDirectory + QStringLiteral("/.jw-write-probe-XXXXXX"));
  if (!programDirectory.isEmpty() && probe.open()) return programDirectory;
  const QString data = AppDataHome();
  // Without a known home the program's folder stays, and writes there fail as they would.
  if (data.isEmpty()) return programDirectory;
  QDir().mkpath(data);
  return data;
}

QString ProgramWriteDirectory() {
  return WritableDirectoryFor(ProgramDirectory());
}
