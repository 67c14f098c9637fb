// Switching between the list and the data pages, and the command states each view sets.
#include "controls/delay.h"
#include "controls/speed_bar.h"
#include "mainwindow/form_main.h"
#include "mainwindow/form_main_parts.h"
#include "mainwindow/string_grid.h"
#include "platform/message_box.h"

#include <QAction>
#include <QScopeGuard>
#include <QTabWidget>

namespace {

constexpr int kTablePageDelayMs = 100;

}  // namespace

void TForm_main::ShowPage(int index) {
  const bool before = programPageChange_;
  programPageChange_ = true;
  PageControl1->setCurrentIndex(index);
  programPageChange_ = before;
  shownPage_ = PageControl1->currentIndex();
}

bool TForm_main::PageControl1Changing() const {
  return FileSelected != 0 && !disabled_;
}

void TForm_main::OnPageChanged(int index) {
  if (programPageChange_) return;
  if (!PageControl1Changing()) {
    ShowPage(shownPage_);
    return;
  }
  shownPage_ = index;
  PageControl1Change();
}

void TForm_main::PageControl1Change() {
  switch (PageControl1->currentIndex()) {
    case kPageList:
      SpeedItem_SpisokClick();
      break;
    case kPageTable:
      SpeedItem_TableClick();
      break;
    case kPageTableTP:
      SpeedItem_TableTPClick();
      break;
    case kPageParam:
      SpeedItem_PeregrClick();
      break;
    case kPageGraf:
      SpeedItem_GrafClick();
      break;
    default:
      break;
  }
}

void TForm_main::SetPrintEnabled(bool enabled) {
  SpeedItem_Print->setEnabled(enabled);
  N_Print->setEnabled(enabled);
}

void TForm_main::SetAllFileCommandsEnabled(bool enabled) {
  SetFileCommandsEnabled(enabled);
  for (QAction* a :
       {SpeedItem_DelFile, N_DelFile, N_popDelFile, SpeedItem_SaveAs, N_SaveAs, N_popSaveAs}) {
    a->setEnabled(enabled);
  }
}

void TForm_main::SetFindEnabled(bool enabled) {
  SpeedBar_Find->setVisible(enabled);
  N_Find->setEnabled(enabled);
  N_Refresh->setEnabled(enabled);
}

void TForm_main::RunDataPageCommand(QAction* viewItem, const std::function<void()>& pageSteps) {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  SpeedBar1->setEnabled(false);
  const auto enableBar = qScopeGuard([this] { SpeedBar1->setEnabled(true); });
  SetStatusPanel0(QString());
  viewItem->setChecked(true);
  if (!TakeSelectedFile()) return;
  pageSteps();
}

void TForm_main::SpeedItem_TableClick() {
  SG_TPCR->show();
  SG_TPCR_Find->hide();
  RunDataPageCommand(SpeedItem_Table, [this] { TablePageSteps(); });
}

void TForm_main::TablePageSteps() {
  if (NeedReload == 1) {
    ReadDataFile();
    SetPrintEnabled(true);
  }
  if (ReadOk == 1) {
    SetPrintEnabled(true);
    SetAllFileCommandsEnabled(false);
    ShowPage(kPageTable);
    SetFindEnabled(true);
    SetDecodeEnabled(true);
    Delay(kTablePageDelayMs);
  } else {
    MessageBox::Show(QString(), QStringLiteral("2"), MsgButtons::Ok, MsgIcon::None);
    ListSteps();
  }
}

// The overload, long-term and graph pages show whatever the read gives.
void TForm_main::OtherPageSteps(int page) {
  SetPrintEnabled(true);
  SetAllFileCommandsEnabled(false);
  SetFindEnabled(false);
  if (page == kPageTableTP) {
    SetDecodeEnabled(true);
  } else {
    SetDecodeEnabled(false);
    HideDecodedView();
  }
  ShowPage(page);
  if (NeedReload == 1) {
    ReadDataFile();
    SetPrintEnabled(true);
  }
}

void TForm_main::SpeedItem_TableTPClick() {
  RunDataPageCommand(SpeedItem_TableTP, [this] { OtherPageSteps(kPageTableTP); });
}

void TForm_main::SpeedItem_PeregrClick() {
  RunDataPageCommand(SpeedItem_Peregr, [this] { OtherPageSteps(kPageParam); });
}

void TForm_main::SpeedItem_GrafClick() {
  RunDataPageCommand(SpeedItem_Graf, [this] { OtherPageSteps(kPageGraf); });
}

void TForm_main::ListEvent() {
  // On a data page the file commands are off and print is on; the list must not undo that.
  if (PageControl1->currentIndex() == kPageList) UpdateCommandStates();
}

void TForm_main::ListView1Enter() {
  ListEvent();
}

void TForm_main::ListView1Exit() {
  ListEvent();
}

void TForm_main::ListView1Click() {
  ListEvent();
}

void TForm_main::ListView1Change() {
  ListEvent();
}
