#pragma once
// Registration of the ".bbi" data-file type, rewritten at every start.

#include <QString>

class SettingsStore;

// Keys of the user's data directory in the users root.
inline const QString kDirDataSection = QStringLiteral("\\.DEFAULT\\SOFTWARE\\TALTREX\\");
inline const QString kDirDataName = QStringLiteral("DirData");

// Writes the six file-type values to the classes root, in order; stops at the first failed
// write and returns false.
bool RegisterFileTypeKeys(SettingsStore& classes, const QString& programFile);

// The desktop's registration under $XDG_DATA_HOME: a shared-mime-info package for the type and
// a desktop entry that opens the program with the file. The entry's name is the application
// title, which the desktop shows for the program's windows. False when a file could not be
// written.
inline const QString kDesktopFileName = QStringLiteral("jibwarden");
bool RegisterDesktopFileType(const QString& programFile, const QString& title);
