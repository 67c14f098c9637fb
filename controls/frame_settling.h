#pragma once
// Placing a window once more when the window system has told the frame it really got.

#include <QMargins>
#include <QPoint>
#include <QSize>

#include <functional>
#include <optional>

// Where a window's frame goes, for the frame's outer size.
using FramePlacement = std::function<QPoint(const QSize& outer)>;

// What the window system reports of a top-level window at one moment.
struct WindowReport {
  bool shown = false;  // mapped and exposed
  QPoint client;       // the client area's top-left corner on the screen
  QSize size;          // the client area's size
  QMargins frame;      // what the frame adds on each side
  bool operator==(const WindowReport&) const = default;
};

// After a window was placed for a frame assumed, follows what the window system reports of it
// and tells where to put it once more when its real frame is another. While a window is being
// mapped, reports pass that must not count (a place of 0,0, a size not yet final, a frame still
// being built): only a report that held for a quiet time, of a shown window of the size it was
// placed with and of a frame with sane margins, counts. The window moves only from where it was
// put, never from a place the user or the window manager chose; when no such report comes in
// time, nothing moves.
class FrameSettling {
 public:
  static constexpr qint64 kQuietMs = 100;
  static constexpr qint64 kGiveUpMs = 5000;
  static constexpr int kLargestMargin = 256;

  // The window of client size `size` was put with its frame's corner at `corner`, the frame
  // taken to be `assumed`; `startMs` on the clock that the reports' times follow. A `framed`
  // window (not frameless) counts no report without a frame: its frame is not built yet.
  FrameSettling(FramePlacement place, QSize size, QMargins assumed, QPoint corner, bool framed,
                qint64 startMs);

  // A report at `ms`. Returns the place for the client area's corner when the window is to move
  // there; the settling is then done, as it is when the report shows the window right where it
  // is and when the time has run out.
  std::optional<QPoint> Observe(const WindowReport& report, qint64 ms);

  bool Done() const { return done_; }
  // The frame of the first report that counted.
  std::optional<QMargins> Frame() const { return frame_; }

 private:
  bool WhereItWasPut(const WindowReport& report) const;

  FramePlacement place_;
  QSize size_;
  QMargins assumed_;
  QPoint corner_;
  bool framed_;
  qint64 startMs_;
  std::optional<WindowReport> last_;
  qint64 lastSinceMs_ = 0;
  std::optional<QMargins> frame_;
  bool done_ = false;
};
