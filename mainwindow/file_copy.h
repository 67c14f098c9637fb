#pragma once
// Copies of data files made by the archive commands.

#include <QString>

enum class CopyResult {
  Ok,
  SameFile,  // source and target are one file (also through another path or a hard link)
  Failed,
};

// True when both paths name one existing file.
bool IsSameFile(const QString& a, const QString& b);

// Copies source over target. The copy is written to a temporary name beside the target and
// renamed into place only when complete, so a failure leaves the target as it was. A copy of a
// file onto itself is refused and changes nothing.
CopyResult CopyFileReplacing(const QString& source, const QString& target);
