#pragma once
// The decoded-record window of the variant-02 recorders.

#include "mainwindow/decoded_view.h"

class GridModel;
class QKeyEvent;

class TFormView2 : public DecodedRecordWindow {
  Q_OBJECT
 public:
  explicit TFormView2(QWidget* parent = nullptr);

  // Shows row Row of a record grid of a file of device type DeviceType.
  void DecodeRecordVariant02(const GridModel& Grid, int Row, int DeviceType);

  TBmBitmapImage* im3;
  TBmBitmapImage* im8;
  TBmBitmapImage* imE1;
  TBmBitmapImage* imE2;

 protected:
  // No key handler: Esc does not close this window.
  void keyPressEvent(QKeyEvent* event) override;
};
