#pragma once
// Line-by-line access to Windows-1251 text files with CR LF line ends.

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

// Reads a whole file once, then hands out its lines strictly forward. Lines end at CR LF
// (a bare LF is tolerated); past the end every call yields "".
class TextLineReader {
 public:
  TextLineReader() = default;
  explicit TextLineReader(QByteArray content) : data_(std::move(content)), open_(true) {}

  // False when the file cannot be read.
  bool Open(const QString& path);
  bool IsOpen() const { return open_; }

  QString ReadLine();
  bool AtEnd() const { return pos_ >= data_.size(); }
  qsizetype BytesRead() const { return pos_; }
  qsizetype Size() const { return data_.size(); }

 private:
  QByteArray data_;
  qsizetype pos_ = 0;
  bool open_ = false;
};

// Writes lines with CR LF after each into a file that appears under its name only when
// Commit succeeds; until then an older file of that name stays as it was. Every write is
// checked: the first failure sticks, and Commit then fails.
class TextLineWriter {
 public:
  TextLineWriter() = default;
  // For tests: write to any device (for example one that fails). Commit closes it.
  explicit TextLineWriter(QIODevice* device);
  ~TextLineWriter();
  TextLineWriter(const TextLineWriter&) = delete;
  TextLineWriter& operator=(const TextLineWriter&) = delete;

  bool Open(const QString& path);
  bool IsOpen() const { return device_ != nullptr; }

  // A value is one line: CR and LF inside it become blanks, characters outside
  // Windows-1251 become "?".
  void WriteLine(QStringView line);
  bool Ok() const { return ok_; }

  // Makes the file appear under its final name; false when any write or the commit failed
  // (then nothing is left under that name by this writer).
  bool Commit();
  // Drops everything written; an older file of the same name is untouched.
  void Discard();

 private:
  std::unique_ptr<QSaveFile> save_;
  QIODevice* device_ = nullptr;
  qint64 written_ = 0;
  bool ok_ = true;
};

// Replaces CR and LF with blanks so a free text stays one line of the file.
QString OneLine(QStringView text);
