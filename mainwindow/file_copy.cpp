#include "mainwindow/file_copy.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

bool IsSameFile(const QString& a, const QString& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(QFile::encodeName(a).constData(), &sa) != 0) return false;
  if (::stat(QFile::encodeName(b).constData(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

CopyResult CopyFileReplacing(const QString& source, const QString& target) {
  if (IsSameFile(source, target)) return CopyResult::SameFile;
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) return CopyResult::Failed;
  QSaveFile out(target);
  // Never fall back to writing the target in place: that is what truncates it.
  out.setDirectWriteFallback(false);
  if (!out.open(QIODevice::WriteOnly)) return CopyResult::Failed;
  constexpr qint64 kChunk = 1 << 16;
  while (!in.atEnd()) {
    const QByteArray chunk = in.read(kChunk);
    if (in.error() != QFileDevice::NoError || chunk.isEmpty() || out.write(chunk) != chunk.size()) {
      out.cancelWriting();
      out.commit();
      return CopyResult::Failed;
    }
  }
  return out.commit() ? CopyResult::Ok : CopyResult::Failed;
}
