#pragma once

#include <QString>

// The directory of the executable, without a trailing separator.
QString ProgramDirectory();

// Where files that belong beside the program are written: `programDirectory` when a
// file can be created there, else the per-user data directory (created when missing); where
// the user's data home is not known, `programDirectory` all the same.
QString WritableDirectoryFor(const QString& programDirectory);

// WritableDirectoryFor(ProgramDirectory()).
QString ProgramWriteDirectory();
