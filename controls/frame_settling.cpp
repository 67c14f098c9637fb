#include "controls/frame_settling.h"

#include <utility>

namespace {

bool SaneFrame(const QMargins& frame) {
  for (int side : {frame.left(), frame.top(), frame.right(), frame.bottom()})
    if (side < 0 || side > FrameSettling::kLargestMargin) return false;
  return true;
}

QPoint Offset(const QMargins& frame) {
  return {frame.left(), frame.top()};
}

}  // namespace

FrameSettling::FrameSettling(FramePlacement place, QSize size, QMargins assumed, QPoint corner,
                             bool framed, qint64 startMs)
    : place_(std::move(place)),
      size_(size),
      assumed_(assumed),
      corner_(corner),
      framed_(framed),
      startMs_(startMs) {}

bool FrameSettling::WhereItWasPut(const WindowReport& report) const {
  // A window system puts either the client area where the assumed frame left it, or the frame's
  // corner where it was asked.
  return report.client == corner_ + Offset(assumed_) ||
         report.client - Offset(report.frame) == corner_;
}

std::optional<QPoint> FrameSettling::Observe(const WindowReport& report, qint64 ms) {
  if (done_) return std::nullopt;
  if (ms - startMs_ >= kGiveUpMs) {
    done_ = true;
    return std::nullopt;
  }
  if (!last_ || !(*last_ == report)) {
    last_ = report;
    lastSinceMs_ = ms;
    return std::nullopt;
  }
  if (ms - lastSinceMs_ < kQuietMs) return std::nullopt;
  if (!report.shown || report.size != size_ || !SaneFrame(report.frame) ||
      (framed_ && report.frame.isNull()))
    return std::nullopt;
  if (!frame_) frame_ = report.frame;
  // Perhaps still on its way there: the next reports tell, or the time runs out.
  if (!WhereItWasPut(report)) return std::nullopt;
  done_ = true;
  const QPoint client = place_(size_.grownBy(report.frame)) + Offset(report.frame);
  if (client == report.client) return std::nullopt;
  return client;
}
