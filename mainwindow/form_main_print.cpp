// The print command: a report of the active data page in the report preview.

#include "mainwindow/form_main.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"
#include "reports/form_print_dialog.h"
#include "reports/report_forms.h"
#include "reports/report_preview.h"

#include <QLabel>
#include <QScopeGuard>
#include <QTabWidget>

namespace {

enum PrintPage { kPrintTable = 1, kPrintTableTP = 2, kPrintParam = 3, kPrintGraf = 4 };
constexpr int kPrintedGraphSeries = 11;

ReportHeading HeadingOf(const OpenFileData& file) {
  return {file.CraneType, file.CraneNumber,  file.DeviceNumber,
          file.ReadDate,  file.OperatorName, file.Comment};
}

}  // namespace

void TForm_main::SetPrintWindows(const PrintWindows& windows) {
  printWindows_ = windows;
  if (TForm_PrintDialog* dialog = windows.Form_PrintDialog) {
    TForm_PrintDialog::Hooks hooks;
    hooks.columnTitles = [this] { return &SG_TPCR->Grid(); };
    hooks.source = [this] {
      StringGrid* grid = SG_TP;
      if (PageControl1->currentIndex() == kPrintTable)
        grid = SG_TPCR_Find->isHidden() ? SG_TPCR : SG_TPCR_Find;
      return TForm_PrintDialog::Source{&grid->Grid(), !grid->isHidden(),
                                       [grid](int col) { return grid->columnWidth(col); }};
    };
    hooks.heading = [this] { return HeadingOf(OpenFile); };
    hooks.report = windows.Form_PrintTPCR;
    dialog->SetHooks(std::move(hooks));
  }
}

void TForm_main::SpeedItem_PrintClick() {
  if (disabled_) return;
  const ReportHeading heading = HeadingOf(OpenFile);
  switch (PageControl1->currentIndex()) {
    case kPrintTable:
    case kPrintTableTP: {
      TForm_PrintDialog* dialog = printWindows_.Form_PrintDialog;
      if (!dialog) return;
      dialog->PrepareColumns(SG_TPCR->Grid());
      CentreOnWindow(dialog);
      dialog->exec();
      break;
    }
    case kPrintParam: {
      TForm_PrintParam* param = printWindows_.Form_PrintParam;
      if (!param) return;
      param->Heading.Set(heading);
      param->QL_ST_Csum->SetCaption(ST_Csum->text());
      param->QL_ST_Haract->SetCaption(ST_Haract->text());
      param->QL_ST_ClassIsp->SetCaption(ST_ClassIsp->text());
      param->QL_ST_Km->SetCaption(ST_Km->text());
      param->QL_ST_Rezim->SetCaption(ST_Rezim->text());
      param->QL_ST_Mch->SetCaption(ST_Mch->text());
      param->QL_ST_TO->SetCaption(ST_TO->text());
      Chart1->RemoveSeries(Series1);
      param->QRChart1->AddSeries(Series1);
      // The series goes back to the page even when the preview fails.
      const auto back = qScopeGuard([this, param] {
        param->QRChart1->RemoveSeries(Series1);
        Chart1->AddSeries(Series1);
      });
      PreviewReport(*param->QR_Param);
      break;
    }
    case kPrintGraf: {
      TForm_PrintGraf* graf = printWindows_.Form_PrintGraf;
      if (!graf) return;
      graf->Heading.Set(heading);
      // The graph settings address the series by their place, so they return to it.
      std::vector<ChartSeries*> order;
      for (int i = 0; i < Chart_Data->SeriesCount(); ++i) order.push_back(Chart_Data->Series(i));
      const AxisRange left = Chart_Data->LeftAxis();
      const AxisRange bottom = Chart_Data->BottomAxis();
      for (int k = 1; k <= kPrintedGraphSeries; ++k) {
        Chart_Data->RemoveSeries(Series_G(k));
        graf->QRChart1->AddSeries(Series_G(k));
      }
      graf->QRChart1->SetLeftAxis(left.minimum, left.maximum);
      graf->QRChart1->SetBottomAxis(bottom.minimum, bottom.maximum);
      graf->QRChart1->Repaint();
      const auto back = qScopeGuard([this, graf, &order] {
        for (int k = 1; k <= kPrintedGraphSeries; ++k) graf->QRChart1->RemoveSeries(Series_G(k));
        while (Chart_Data->SeriesCount() > 0) Chart_Data->RemoveSeries(Chart_Data->Series(0));
        for (ChartSeries* series : order) Chart_Data->AddSeries(series);
        Chart_Data->Sync();
      });
      PreviewReport(*graf->QR_Graf);
      break;
    }
    default:
      break;
  }
}
