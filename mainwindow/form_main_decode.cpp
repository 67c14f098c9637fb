// The decoded-record windows, filled from the record row last clicked.
#include "controls/window_family.h"
#include "mainwindow/form_main.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "mainwindow/string_grid.h"
#include "platform/exception_guard.h"

#include <QAction>

void TForm_main::HideDecodedView() {
  if (view1_) view1_->hide();
}

void TForm_main::SetDecodeEnabled(bool enabled) {
  N_DecodeData->setEnabled(enabled);
  SpeedItem_DecodeData->setEnabled(enabled);
}

TformView1* TForm_main::DecodedView1() {
  if (!view1_) view1_ = new TformView1(this);
  return view1_;
}

TFormView2* TForm_main::DecodedView2() {
  if (!view2_) view2_ = new TFormView2(this);
  return view2_;
}

void TForm_main::DecodeRowIntoView(StringGrid* grid, int row) {
  RunGuarded([&] {
    if (OpenFile.DeviceVariant == 1 && view1_ && view1_->isVisible())
      view1_->DecodeRecordVariant10(grid->Grid(), row, OpenFile.DeviceTypeCode);
    else if (OpenFile.DeviceVariant == 2 && view2_ && view2_->isVisible())
      view2_->DecodeRecordVariant02(grid->Grid(), row, OpenFile.DeviceTypeCode);
  });
}

void TForm_main::N_DecodeDataClick() {
  if (disabled_) return;
  QDialog* view = nullptr;
  if (OpenFile.DeviceVariant == 1) view = DecodedView1();
  if (OpenFile.DeviceVariant == 2) view = DecodedView2();
  if (view) {
    if (OnScreen(view)) {
      view->hide();
      return;
    }
    // One the user minimised comes back where it was left.
    if (!view->isVisible()) CentreOnWindow(view);
    BringBack(view);
  }
  // Fill it from the row of the grid in sight.
  auto refresh = [this](StringGrid* grid, void (TForm_main::*click)()) {
    if (!grid->isVisible()) return;
    activateWindow();
    grid->setFocus();
    (this->*click)();
  };
  if (TabSheet_Table->isVisible()) {
    refresh(SG_TPCR, &TForm_main::SG_TPCRClick);
    refresh(SG_TPCR_Find, &TForm_main::SG_TPCR_FindClick);
  }
  if (TabSheet_TableTP->isVisible()) refresh(SG_TP, &TForm_main::SG_TPClick);
}
