#include "reports/report_preview.h"

#include "platform/dialog_services.h"
#include "reports/report_engine.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace {

class PrintPreview final : public ReportPreviewService {
 public:
  void Preview(Report& report) override {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(Report::PageLayout());
    QPrintPreviewDialog dialog(&printer, DialogOwner());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* target) { report.Print(*target); });
    if (auto* bar = dialog.findChild<QToolBar*>()) {
      QAction* pdf = bar->addAction(QStringLiteral("PDF"));
      pdf->setToolTip(QStringLiteral("Сохранить в PDF"));
      QObject::connect(pdf, &QAction::triggered, &dialog, [&report] {
        FileDialogRequest request;
        request.title = QStringLiteral("Сохранить в PDF");
        request.filter = QStringLiteral("PDF (*.pdf)|*.pdf");
        request.fileName = report.objectName() + QStringLiteral(".pdf");
        const QString path = ServiceHook<FileDialogService>::Current().SaveFileName(request);
        if (!path.isEmpty()) report.ExportPdf(path);
      });
    }
    dialog.exec();
  }
};

}  // namespace

ReportPreviewService& ReportPreviewService::Default() {
  static PrintPreview preview;
  return preview;
}

void PreviewReport(Report& report) {
  ServiceHook<ReportPreviewService>::Current().Preview(report);
}

void RecordingReportPreview::Preview(Report& report) {
  previewed_.append(report.objectName());
  if (inspect_) inspect_(report);
}
