#pragma once
// The archive list: which files of the data directory are data files, and the texts of
// their list rows. No widgets here.

#include <QString>
#include <QStringList>

#include <optional>

// One row of the list: the caption (crane type) and the seven sub-items.
struct ArchiveRow {
  QString caption;
  QStringList subItems;  // crane number, device type, device number, date, operator, comment,
                         // file name
};

inline constexpr int kArchiveColumnCount = 8;
inline constexpr int kFileNameColumn = 7;

// Names of the "*.bbi" files directly in dir, in name order.
QStringList DataFileNames(const QString& dir);

// The row of dir/name, or nothing when the file cannot be read or its first line is not
// exactly the magic.
std::optional<ArchiveRow> ReadArchiveRow(const QString& dir, const QString& name);

// Orders list texts by their Windows-1251 byte values: no locale, no number sense.
int CompareListTexts(const QString& a, const QString& b);
