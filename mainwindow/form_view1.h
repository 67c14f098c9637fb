#pragma once
// The decoded-record window of the variant-10 recorders.

#include "mainwindow/decoded_view.h"

class GridModel;
class QKeyEvent;

class TformView1 : public DecodedRecordWindow {
  Q_OBJECT
 public:
  explicit TformView1(QWidget* parent = nullptr);

  // Shows row Row of a record grid of a file of device type DeviceType.
  void DecodeRecordVariant10(const GridModel& Grid, int Row, int DeviceType);
  // Esc closes the window.
  void FormKeyDown(int Key);

  TBmBitmapImage* im1;
  TBmBitmapImage* im2;
  TBmBitmapImage* im3;
  TBmBitmapImage* im4;
  TBmBitmapImage* im5;
  TBmBitmapImage* im6;
  TBmBitmapImage* im7;
  TBmBitmapImage* im8;
  TBmBitmapImage* imE1;

 protected:
  // The window sees the keys before its controls do.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
