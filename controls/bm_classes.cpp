#include "controls/bm_classes.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr int kFileHeaderSize = 14;

// Reads exactly `size` bytes or throws: a short stream must never yield half an item.
QByteArray ReadExactly(QIODevice& stream, qint64 size) {
  QByteArray bytes = stream.read(size);
  if (bytes.size() != size) throw EBmError(QStringLiteral("Stream read error"));
  return bytes;
}

qint32 ReadInt32(QIODevice& stream) {
  return qFromLittleEndian<qint32>(ReadExactly(stream, 4).constData());
}

void WriteBytes(QIODevice& stream, const QByteArray& bytes) {
  if (stream.write(bytes) != bytes.size()) throw EBmError(QStringLiteral("Stream write error"));
}

void WriteInt32(QIODevice& stream, qint32 value) {
  char bytes[4];
  qToLittleEndian(value, bytes);
  WriteBytes(stream, QByteArray(bytes, 4));
}

// One BMP file: its 14-byte header gives the size it occupies in the stream.
QImage ReadBitmapFile(QIODevice& stream) {
  QByteArray file = ReadExactly(stream, kFileHeaderSize);
  if (file[0] != 'B' || file[1] != 'M') throw EBmError(QStringLiteral("Bitmap image is not valid"));
  const quint32 total = qFromLittleEndian<quint32>(file.constData() + 2);
  if (total <= static_cast<quint32>(kFileHeaderSize) ||
      total - kFileHeaderSize > static_cast<quint64>(stream.bytesAvailable()))
    throw EBmError(QStringLiteral("Stream read error"));
  file += ReadExactly(stream, total - kFileHeaderSize);
  QImage image = QImage::fromData(file, "BMP");
  if (image.isNull()) throw EBmError(QStringLiteral("Bitmap image is not valid"));
  return image;
}

QByteArray BitmapFileBytes(const QImage& bitmap) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // Pictures without alpha are written as 24-bit files.
  const QImage source =
      bitmap.hasAlphaChannel() ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
  if (!source.save(&buffer, "BMP")) throw EBmError(QStringLiteral("Stream write error"));
  return bytes;
}

}  // namespace

EBmError::EBmError(const QString& Message) : std::runtime_error(Message.toStdString()) {}

void TBmPersistent::EndUpdate() {
  if (UpdateCount > 0) --UpdateCount;
  Changed();
}

void TBmPersistent::Changed() {
  if (UpdateCount == 0 && OnChange) OnChange(this);
}

int TBmBitmaps::Add(const QImage& Bitmap) {
  Items_.push_back(Bitmap.copy());
  Changed();
  return Count() - 1;
}

const QImage& TBmBitmaps::Bitmap(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EBmError(QStringLiteral("List index out of bounds (%1)").arg(Index));
  return Items_[static_cast<std::size_t>(Index)];
}

void TBmBitmaps::Clear() {
  BeginUpdate();
  Items_.clear();
  EndUpdate();
}

void TBmBitmaps::Assign(const TBmBitmaps* Source) {
  if (Source == this) return;
  BeginUpdate();
  Items_.clear();
  if (Source != nullptr)
    for (const QImage& bitmap : Source->Items_) Items_.push_back(bitmap.copy());
  EndUpdate();
}

void TBmBitmaps::LoadFromStream(QIODevice& Stream) {
  const QByteArray signature = ReadExactly(Stream, 4);
  if (qFromLittleEndian<quint32>(signature.constData()) != kSignature)
    throw EBmError(QStringLiteral("Invalid file format"));
  const qint32 count = ReadInt32(Stream);
  // Everything is read before anything is added, so a bad bitmap adds none.
  std::vector<QImage> loaded;
  for (qint32 i = 0; i < count; ++i) loaded.push_back(ReadBitmapFile(Stream));
  BeginUpdate();
  for (const QImage& bitmap : loaded) Add(bitmap);
  EndUpdate();
}

void TBmBitmaps::SaveToStream(QIODevice& Stream) const {
  WriteInt32(Stream, static_cast<qint32>(kSignature));
  WriteInt32(Stream, Count());
  for (const QImage& bitmap : Items_) WriteBytes(Stream, BitmapFileBytes(bitmap));
}

void TBmBitmaps::LoadFromFile(const QString& FileName) {
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EBmError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, file.errorString()));
  LoadFromStream(file);
}

void TBmBitmaps::SaveToFile(const QString& FileName) const {
  QSaveFile file(FileName);
  if (!file.open(QIODevice::WriteOnly))
    throw EBmError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, file.errorString()));
  SaveToStream(file);
  if (!file.commit()) throw EBmError(QStringLiteral("Stream write error"));
}

void TBmBitmaps::ReadProperty(QIODevice& Stream) {
  Clear();
  LoadFromStream(Stream);
}

TBmChangeLink::~TBmChangeLink() {
  if (Sender_ != nullptr) Sender_->UnRegisterChanges(this);
}

void TBmChangeLink::Change() {
  if (OnChange) OnChange(this);
}

TBmSharedComponent::~TBmSharedComponent() {
  for (TBmChangeLink* link : Links_) link->Sender_ = nullptr;
}

void TBmSharedComponent::RegisterChanges(TBmChangeLink* Link) {
  if (Link == nullptr || Link->Sender_ == this) return;
  if (Link->Sender_ != nullptr) Link->Sender_->UnRegisterChanges(Link);
  Link->Sender_ = this;
  Links_.push_back(Link);
}

void TBmSharedComponent::UnRegisterChanges(TBmChangeLink* Link) {
  const auto it = std::find(Links_.begin(), Links_.end(), Link);
  if (it == Links_.end()) return;
  Links_.erase(it);
  Link->Sender_ = nullptr;
}

void TBmSharedComponent::NotifyLinks() {
  // A client may unregister itself or another one while being told.
  const std::vector<TBmChangeLink*> links = Links_;
  for (TBmChangeLink* link : links)
    if (std::find(Links_.begin(), Links_.end(), link) != Links_.end()) link->Change();
}

TBmBitmapList::TBmBitmapList(QObject* Owner) : TBmSharedComponent(Owner) {
  Bitmaps_.OnChange = [this](TBmPersistent*) {
    NotifyLinks();
    Changed();
  };
}

const QImage* TBmBitmapList::GetBitmap(int Index) const {
  if (Index < 0 || Index >= Bitmaps_.Count()) return nullptr;
  return &Bitmaps_.Bitmap(Index);
}

void TBmBitmapList::Changed() {
  emit OnChange(this);
}
