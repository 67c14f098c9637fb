#pragma once
// The decoded-record window of the variant-10 recorders.

#include "mainwindow/decoded_view.h"

class GridModel;
class QKeyEvent;

class TformView1 : public DecodedRecordWindow {
  Q_OBJECT
 public:
  explicit TformView1(QWidget* parent = nullptr);

  // Shows row Row of a record grid. A cell that does not convert throws std::runtime_error
  // with the conversion's text after the parts before it are shown.
  void DecodeRecordVariant10(const GridModel& Grid, int Row);
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
