#include "archive/text_file.h"

#include "archive/cp1251.h"

#include <QFile>

bool TextLineReader::Open(const QString& path) {
  QFile file(path);
  data_.clear();
  pos_ = 0;
  open_ = file.open(QIODevice::ReadOnly);
  if (!open_) return false;
  data_ = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    data_.clear();
    open_ = false;
  }
  return open_;
}

QString TextLineReader::ReadLine() {
  if (pos_ >= data_.size()) return QString();
  qsizetype end = data_.indexOf('\n', pos_);
  qsizetype next = end < 0 ? data_.size() : end + 1;
  if (end < 0) end = data_.size();
  qsizetype stop = end;
  if (stop > pos_ && end < data_.size() && data_[stop - 1] == '\r') --stop;
  QString line = DecodeCp1251(QByteArrayView(data_).sliced(pos_, stop - pos_));
  pos_ = next;
  return line;
}

TextLineWriter::TextLineWriter(QIODevice* device) : device_(device) {}

TextLineWriter::~TextLineWriter() {
  Discard();
}

bool TextLineWriter::Open(const QString& path) {
  Discard();
  save_ = std::make_unique<QSaveFile>(path);
  // Unbuffered: Qt's buffer can lose a failed write at close and let the commit report a
  // cut-short file as good. A write per line keeps failures visible at the line that failed.
  ok_ = save_->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  written_ = 0;
  if (!ok_) {
    save_.reset();
    return false;
  }
  device_ = save_.get();
  return true;
}

void TextLineWriter::WriteLine(QStringView line) {
  if (!device_ || !ok_) {
    ok_ = false;
    return;
  }
  QByteArray bytes = EncodeCp1251(OneLine(line));
  bytes.append("\r\n", 2);
  if (device_->write(bytes) != bytes.size()) ok_ = false;
  written_ += bytes.size();
}

bool TextLineWriter::Commit() {
  if (!device_) return false;
  if (save_ && ok_ && save_->size() != written_) ok_ = false;
  bool committed = ok_;
  if (save_) {
    if (ok_)
      committed = save_->commit();
    else
      save_->cancelWriting();
    save_.reset();
  } else {
    device_->close();
  }
  device_ = nullptr;
  ok_ = committed;
  return committed;
}

void TextLineWriter::Discard() {
  if (save_) save_->cancelWriting();
  save_.reset();
  device_ = nullptr;
}

QString OneLine(QStringView text) {
  QString line = text.toString();
  for (QChar& c : line)
    if (c == u'\r' || c == u'\n') c = u' ';
  return line;
}
