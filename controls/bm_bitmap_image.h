#pragma once

#include "controls/bm_classes.h"
#include "controls/bm_controls.h"

#include <QPointer>

// Shows picture BitmapIndex of a bitmap list: the indicator lamps of the windows.
// An index outside the list shows only the background.
class TBmBitmapImage : public TBmGraphicImageControl {
  Q_OBJECT
  Q_PROPERTY(bool Center READ Center WRITE SetCenter)
  Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
  Q_PROPERTY(int BitmapIndex READ BitmapIndex WRITE SetBitmapIndex)

 public:
  // 105 x 105, opaque, in the button-face colour.
  explicit TBmBitmapImage(QWidget* Parent = nullptr);

  bool Center() const { return Center_; }
  void SetCenter(bool Value);
  bool Stretch() const { return Stretch_; }
  void SetStretch(bool Value);
  int BitmapIndex() const { return BitmapIndex_; }
  void SetBitmapIndex(int Value);
  // Null when none is set or the list was destroyed.
  TBmBitmapList* BitmapList() const { return BitmapList_; }
  void SetBitmapList(TBmBitmapList* Value);

 protected:
  void Paint(QPainter& Canvas) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;

 private:
  const QImage* CurrentBitmap() const;

  bool Center_ = true;
  bool Stretch_ = false;
  int BitmapIndex_ = -1;
  QPointer<TBmBitmapList> BitmapList_;
  QMetaObject::Connection ListDestroyed_;
  TBmChangeLink ChangeLink_;
};
