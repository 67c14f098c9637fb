#pragma once
// The ring-order scratch store: record lines numbered below a table's ring position wait here
// and are appended after the rest of the table. It lives in memory, one per writer, so two
// running programs never share it and an installed program needs no writable directory.

#include <QString>
#include <QStringList>
#include <QStringView>

class TextLineWriter;

class RingStore {
 public:
  void WriteLine(QStringView line) { lines_.append(line.toString()); }
  qsizetype LineCount() const { return lines_.size(); }
  const QStringList& Lines() const { return lines_; }

  // Writes every held line to out, in order; false when a write failed.
  bool AppendTo(TextLineWriter& out) const;
  void Clear() { lines_.clear(); }

 private:
  QStringList lines_;
};
