// The search commands over the record grids.
#include "mainwindow/form_main.h"
#include "mainwindow/form_searsh.h"
#include "mainwindow/form_table_searsh.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"

void TForm_main::SetSearchWindows(TForm_Searsh* searsh, TForm_TableSearsh* tableSearsh) {
  searsh_ = searsh;
  if (searsh) searsh->SetTargets({SG_TPCR, SG_TPCR_Find, &LastMzSearchText});
  if (tableSearsh) {
    tableSearsh->SetConditionFilterHook([this](quint8 on) {
      ConditionFilterOn = on;
      SG_TPCR->viewport()->update();
    });
  }
}

void TForm_main::SpeedBtn_FindClick() {
  CommandScope scope(*this);
  if (!scope.Acquired() || !searsh_) return;
  CentreOnWindow(searsh_);
  searsh_->exec();
}

void TForm_main::SpeedBtn_RefreshClick() {
  if (disabled_) return;
  SG_TPCR_Find->Grid().SetRowCount(1);
  SG_TPCR_Find->hide();
  SG_TPCR->show();
}
