#pragma once
// The modal preview of a report, from which it is printed or saved as PDF. Tests install
// a recording preview instead of opening a window.

#include "platform/service_hook.h"

#include <QStringList>

#include <functional>

class Report;

class ReportPreviewService {
 public:
  virtual ~ReportPreviewService() = default;
  // Returns when the preview is closed.
  virtual void Preview(Report& report) = 0;
  // QPrintPreviewDialog over an A4 printer, with a PDF button.
  static ReportPreviewService& Default();
};

// Shows the report's modal preview through the installed service.
void PreviewReport(Report& report);

// Counts the previews and lets a test look at the report while its preview is "open".
class RecordingReportPreview final : public ReportPreviewService {
 public:
  explicit RecordingReportPreview(std::function<void(Report&)> inspect = {})
      : inspect_(std::move(inspect)), scope_(*this) {}
  void Preview(Report& report) override;
  // objectName of each previewed report, in order.
  const QStringList& Previewed() const { return previewed_; }

 private:
  std::function<void(Report&)> inspect_;
  QStringList previewed_;
  ScopedService<ReportPreviewService> scope_;
};
