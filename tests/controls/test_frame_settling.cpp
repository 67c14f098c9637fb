#include "controls/frame_settling.h"

#include <QRect>

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

const QRect kDesktop(0, 0, 1280, 1024);
const QSize kSize(305, 207);
// What the main window's frame is (assumed) and what the window really gets.
const QMargins kAssumed(4, 26, 4, 4);
const QMargins kReal(4, 22, 4, 4);

QPoint Centred(const QSize& outer) {
  return {kDesktop.left() + (kDesktop.width() - outer.width()) / 2,
          kDesktop.top() + (kDesktop.height() - outer.height()) / 2};
}

QPoint Offset(const QMargins& frame) {
  return {frame.left(), frame.top()};
}

// How the window system takes a position: the client area where it is asked, or the frame's
// corner there.
enum class Gravity { Client, Frame };

// A stretch of time in which the window system reports the same thing.
struct Phase {
  Phase(qint64 length, bool isShown = true, QMargins withFrame = kReal, QSize ofSize = kSize,
        std::optional<QPoint> reportedAt = std::nullopt, std::optional<QPoint> movedTo = {})
      : ms(length),
        shown(isShown),
        frame(withFrame),
        size(ofSize),
        at(reportedAt),
        moved(movedTo) {}
  qint64 ms;
  bool shown;
  QMargins frame;
  QSize size;
  // A place reported meanwhile instead of where the window is.
  std::optional<QPoint> at;
  // Where the user or the window manager moves the client area as the phase begins.
  std::optional<QPoint> moved;
};

struct Row {
  const char* name;
  Gravity gravity;
  std::vector<Phase> phases;
  // Where the client area must end: centred with the real frame when not given.
  std::optional<QPoint> endsAt;
};

// The window system's reports, every 20 ms as the window's timer reads them, to a settling that
// began when the window was placed for the assumed frame; a move it asks for is made at once.
TEST(FrameSettlingTest, AWindowEndsCentredWhateverTheWindowSystemReportsMeanwhile) {
  const QPoint corner = Centred(kSize.grownBy(kAssumed));
  const QPoint putByClient = corner + Offset(kAssumed);
  const Row rows[] = {
      {"frame as assumed", Gravity::Client, {{400, true, kAssumed}}, putByClient},
      {"frame other than assumed", Gravity::Client, {{400}}, std::nullopt},
      {"frame's corner put where asked", Gravity::Frame, {{400}}, std::nullopt},
      {"frame arriving late",
       Gravity::Client,
       {{60, false, {}}, {300, true, {}}, {400}},
       std::nullopt},
      {"a passing place of 0,0",
       Gravity::Client,
       {{200, true, kReal, kSize, QPoint(0, 0)}, {400}},
       std::nullopt},
      {"a passing small size",
       Gravity::Client,
       {{200, true, kReal, QSize(1, 1)}, {400}},
       std::nullopt},
      {"a passing frame",
       Gravity::Client,
       {{60, true, QMargins(4, 40, 4, 4)}, {400}},
       std::nullopt},
      {"a passing frame being built",
       Gravity::Client,
       {{300, true, QMargins(-640, -512, 0, 0)}, {400}},
       std::nullopt},
      {"moved by the user before the frame held",
       Gravity::Client,
       {{60}, {1000, true, kReal, kSize, std::nullopt, QPoint(100, 90)}},
       QPoint(100, 90)},
      {"put elsewhere by the window manager",
       Gravity::Client,
       {{6000, true, kReal, kSize, std::nullopt, QPoint(30, 40)}},
       QPoint(30, 40)},
      {"a size that never comes",
       Gravity::Client,
       {{6000, true, kReal, QSize(305, 300)}},
       putByClient},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FrameSettling settling(Centred, kSize, kAssumed, corner, true, 0);
    const QMargins final = row.phases.back().frame;
    QPoint client = row.gravity == Gravity::Client ? putByClient : corner + Offset(final);
    int moves = 0;
    qint64 t = 0;
    WindowReport last;
    for (const Phase& phase : row.phases) {
      client = phase.moved.value_or(client);
      for (const qint64 end = t + phase.ms; t < end; t += 20) {
        last = {phase.shown, phase.at.value_or(client), phase.size, phase.frame};
        if (const std::optional<QPoint> to = settling.Observe(last, t)) {
          client = *to;
          ++moves;
        }
      }
    }
    EXPECT_LE(moves, 1);
    const QPoint expected = row.endsAt.value_or(Centred(kSize.grownBy(kReal)) + Offset(kReal));
    EXPECT_EQ(last.client, expected);
  }
}

// Reports that never hold give up in time, with nothing moved.
TEST(FrameSettlingTest, ReportsThatNeverHoldMoveNothing) {
  const QPoint corner = Centred(kSize.grownBy(kAssumed));
  FrameSettling settling(Centred, kSize, kAssumed, corner, true, 0);
  for (qint64 t = 0; t < FrameSettling::kGiveUpMs + 100; t += 20) {
    const QMargins frame = (t / 60) % 2 ? kReal : QMargins(4, 30, 4, 4);
    EXPECT_FALSE(settling.Observe({true, corner + Offset(kAssumed), kSize, frame}, t));
  }
  EXPECT_TRUE(settling.Done());
  EXPECT_FALSE(settling.Frame());
}

}  // namespace
