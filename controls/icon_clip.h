#pragma once

#include <QImage>
#include <QString>

class QMimeData;

// The clipboard format that carries icons: "Tessel Icon", used as a MIME format name.
QString IconClipboardFormat();

// Registers the format at start-up; until then IsIconClipboardFormat is false for it.
void RegisterIconClipboardFormat();
bool IsIconClipboardFormat(const QString& format);

// Puts an icon picture (PNG bytes) into `data` under the icon format.
void SetIconMimeData(QMimeData& data, const QImage& icon);
// The icon in `data`, a null image when there is none.
QImage IconFromMimeData(const QMimeData& data);
