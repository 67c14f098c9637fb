// Reading the selected file into the data pages, behind the reading panel.
#include "controls/delay.h"
#include "mainwindow/form_main.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_view.h"
#include "platform/message_box.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTabWidget>

namespace {

constexpr int kPanelShowDelayMs = 100;

}  // namespace

bool TForm_main::ReadDataFile() {
  PageControl1->setEnabled(false);
  PB_Read->setValue(0);
  ConditionFilterOn = 0;
  ResetPickedPoints();
  // Also when a step throws: the window must stay usable.
  const auto done = qScopeGuard([this] {
    NeedReload = 0;
    Panel_Read->hide();
    PageControl1->setEnabled(true);
    Chart_Data->show();
  });

  Panel_Read->move(width() / 2 - Panel_Read->width() / 2, height() / 2 - Panel_Read->height() / 2);
  Panel_Read->raise();
  Panel_Read->show();
  Delay(kPanelShowDelayMs);
  ST_ReadFile->setText(ReadPanelText(CurrentFilePath));
  Chart_Data->hide();

  ReadTargets targets;
  targets.Series1 = Series1;
  targets.records.SG_TPCR = &SG_TPCR->Grid();
  targets.records.SG_TP = &SG_TP->Grid();
  targets.records.SG_TPCR_Find = &SG_TPCR_Find->Grid();
  for (int k = 1; k <= kGraphSeries; ++k) targets.records.graphs[std::size_t(k - 1)] = Series_G(k);
  ReadHooks hooks;
  hooks.progress = [this](int percent) {
    PB_Read->setValue(percent);
    // The read runs without returning to the event loop: draw the step now.
    if (PB_Read->isVisible()) PB_Read->repaint();
  };
  hooks.pause = [](int milliseconds) { Delay(milliseconds); };
  hooks.layout = [this](const QStringList& titles, const ColumnDescriptionList& descriptions) {
    PrepareGraphWindows(titles, descriptions);
  };
  hooks.message = [](const QString& text, const QString& caption, BoxIcon icon) {
    MessageBox::Show(text, caption, MsgButtons::Ok,
                     icon == BoxIcon::Error ? MsgIcon::Error : MsgIcon::None);
  };
  ReadOk = ::ReadDataFile(CurrentFilePath, OpenFile, targets, hooks) ? 1 : 0;
  ShowFileData();
  return ReadOk == 1;
}

void TForm_main::ShowFileData() {
  const LongTermTexts& texts = OpenFile.LongTerm;
  ST_Csum->setText(texts.ST_Csum);
  ST_Haract->setText(texts.ST_Haract);
  ST_ClassIsp->setText(texts.ST_ClassIsp);
  ST_Km->setText(texts.ST_Km);
  ST_Rezim->setText(texts.ST_Rezim);
  ST_Mch->setText(texts.ST_Mch);
  ST_TO->setText(texts.ST_TO);
  // Every read has emptied the search results along with the records.
  SG_TP->show();
  SG_TPCR->show();
  SG_TPCR_Find->hide();
}
