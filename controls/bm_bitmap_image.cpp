#include "controls/bm_bitmap_image.h"

#include "controls/set_if_changed.h"

#include <QPainter>

TBmBitmapImage::TBmBitmapImage(QWidget* Parent) : TBmGraphicImageControl(Parent) {
  resize(105, 105);
  ChangeLink_.OnChange = [this](TBmChangeLink*) { AdjustSizeAndRepaint(); };
}

void TBmBitmapImage::SetCenter(bool Value) {
  if (SetIfChanged(Center_, Value)) RepaintControl();
}

void TBmBitmapImage::SetStretch(bool Value) {
  if (SetIfChanged(Stretch_, Value)) RepaintControl();
}

void TBmBitmapImage::SetBitmapIndex(int Value) {
  if (SetIfChanged(BitmapIndex_, Value)) AdjustSizeAndRepaint();
}

void TBmBitmapImage::SetBitmapList(TBmBitmapList* Value) {
  if (BitmapList_ != nullptr) BitmapList_->UnRegisterChanges(&ChangeLink_);
  disconnect(ListDestroyed_);
  BitmapList_ = Value;
  if (Value != nullptr) {
    Value->RegisterChanges(&ChangeLink_);
    // The list's own destructor has already let go of the link.
    ListDestroyed_ = connect(Value, &QObject::destroyed, this, [this] { RepaintControl(); });
  }
  RepaintControl();
}

const QImage* TBmBitmapImage::CurrentBitmap() const {
  return BitmapList_ != nullptr ? BitmapList_->GetBitmap(BitmapIndex_) : nullptr;
}

void TBmBitmapImage::Paint(QPainter& Canvas) {
  const QImage* bitmap = CurrentBitmap();
  ClearImage(Canvas);
  if (bitmap == nullptr || bitmap->isNull()) return;
  QRect dest(QPoint(0, 0), bitmap->size());
  if (Stretch())
    dest = rect();
  else if (Center())
    dest.moveTo((width() - bitmap->width()) / 2, (height() - bitmap->height()) / 2);
  QImage picture = bitmap->convertToFormat(QImage::Format_ARGB32);
  // Pixels of the control's colour let the background show through when transparent.
  if (Transparent()) {
    const QRgb key = Color().rgb();
    for (int y = 0; y < picture.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
      for (int x = 0; x < picture.width(); ++x)
        if ((line[x] | 0xFF000000u) == key) line[x] = 0;
    }
  }
  Canvas.drawImage(dest, picture);
}

bool TBmBitmapImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  const QImage* bitmap = CurrentBitmap();
  if (bitmap == nullptr) return false;
  NewWidth = bitmap->width();
  NewHeight = bitmap->height();
  return true;
}
