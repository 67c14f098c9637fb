#include "controls/icon_clip.h"

#include <QBuffer>
#include <QMimeData>
#include <QStringList>

namespace {

QStringList& IconFormats() {
  static QStringList formats;
  return formats;
}

}  // namespace

QString IconClipboardFormat() {
  return QStringLiteral("Tessel Icon");
}

void RegisterIconClipboardFormat() {
  if (!IconFormats().contains(IconClipboardFormat())) IconFormats().append(IconClipboardFormat());
}

bool IsIconClipboardFormat(const QString& format) {
  return IconFormats().contains(format);
}

void SetIconMimeData(QMimeData& data, const QImage& icon) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  icon.save(&buffer, "PNG");
  data.setData(IconClipboardFormat(), bytes);
}

QImage IconFromMimeData(const QMimeData& data) {
  for (const QString& format : data.formats())
    if (IsIconClipboardFormat(format)) return QImage::fromData(data.data(format), "PNG");
  return QImage();
}
