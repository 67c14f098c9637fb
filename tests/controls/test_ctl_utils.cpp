#include "controls/controls_init.h"
#include "controls/ctl_utils.h"
#include "controls/frame_settling.h"
#include "controls/icon_clip.h"
#include "controls/xc_cursors.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(CtlUtilsTest, RectanglesKeptOnScreenAndTextShortened) {
  const struct {
    QRect in, out;
  } rows[] = {
      {QRect(750, 580, 100, 50), QRect(700, 550, 100, 50)},
      {QRect(-20, -5, 100, 50), QRect(0, 0, 100, 50)},
      {QRect(500, 0, 1000, 50), QRect(0, 0, 1000, 50)},  // wider: the left edge wins
  };
  for (const auto& row : rows) {
    QRect moved = row.in;
    KeepRectOnScreen(moved, QRect(0, 0, 800, 600));
    EXPECT_EQ(moved, row.out);
  }

  const QFontMetrics metrics(QApplication::font());
  const QString text = "Номер прибора";
  const int full = metrics.horizontalAdvance(text);
  EXPECT_EQ(ShortenText(text, metrics, full), text);
  const QString shortened = ShortenText(text, metrics, full - 1);
  EXPECT_EQ(shortened, text.left(shortened.size() - 3) + "...");
}

// The opaque shape is drawn in shadow with its highlight at (+1, +1); bad indexes draw nothing.
TEST(CtlUtilsTest, DisabledImagesAndInvertFrames) {
  QPixmap icon(4, 4);
  icon.fill(Qt::transparent);
  QPainter(&icon).fillRect(0, 0, 2, 2, Qt::red);
  QImage canvas(8, 8, QImage::Format_RGB32);
  canvas.fill(Qt::green);
  QPainter painter(&canvas);
  for (int index : {0, 1, -1})
    DrawDisabledImage(painter, {icon}, 2 * index + 2, 2, index, Qt::white, Qt::darkGray, true);
  DrawInvertFrame(painter, QRect(0, 6, 8, 2), 1);
  painter.end();
  EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::darkGray));
  EXPECT_EQ(canvas.pixelColor(4, 4), QColor(Qt::white));
  EXPECT_EQ(canvas.pixelColor(0, 2), QColor(Qt::green));
  EXPECT_EQ(canvas.pixelColor(0, 7), QColor(255, 0, 255));
}

// Takes what is posted to the application, so a quit request does not end the test process.
class Catcher : public QObject {
 public:
  QList<int> seen;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != qApp || (e->type() != QEvent::Quit && e->type() != QEvent::User)) return false;
    seen += e->type();
    return true;
  }
};

TEST(CtlUtilsTest, RemovePendingMessageDropsPendingEventsButNeverQuit) {
  Catcher catcher;
  qApp->installEventFilter(&catcher);
  QCoreApplication::postEvent(qApp, new QEvent(QEvent::User));
  QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
  RemovePendingMessage(qApp, QEvent::User);
  RemovePendingMessage(qApp, QEvent::Quit);
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&catcher);
  EXPECT_EQ(catcher.seen, QList<int>{QEvent::Quit});
}

// Centred on its screen, as the folder dialog is: the size kept, neither shown nor activated.
TEST(CtlUtilsTest, CenterWindowKeepsSizeAndActivation) {
  QWidget window;
  window.resize(201, 101);
  CenterWindow(&window);
  const QRect area = window.screen()->geometry();
  EXPECT_EQ(window.size(), QSize(201, 101));
  EXPECT_EQ(window.pos(),
            QPoint(area.left() + (area.width() - 201) / 2, area.top() + (area.height() - 101) / 2));
  EXPECT_FALSE(window.isVisible());
  CenterWindow(nullptr);
}

// A window's frame centred on an area at every showing, also when the frame it is shown with is
// not the one first assumed (here a frameless window's, none), when the window system reports a
// passing size while the window is mapped, and after a showing so short that no frame came.
TEST(CtlUtilsTest, CentreFrameOnTakesTheFrameTheWindowSystemSettlesOn) {
  QWidget like(nullptr, Qt::FramelessWindowHint);
  like.resize(300, 200);
  like.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&like));
  const QRect area(40, 30, 600, 500);
  auto centred = [&](const QWidget& window) {
    const QRect frame = window.frameGeometry();
    return frame.topLeft() == QPoint(area.left() + (area.width() - frame.width()) / 2,
                                     area.top() + (area.height() - frame.height()) / 2);
  };
  const struct {
    const char* name;
    bool passingSize;
    bool instantShowing;
  } rows[] = {
      {"plain", false, false}, {"a passing size", true, false}, {"after an instant", false, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    QWidget window;
    window.resize(201, 101);
    if (row.instantShowing) {
      CentreFrameOn(&window, area, &like);
      window.show();
      window.hide();
    }
    for (int showing = 1; showing <= 2; ++showing) {
      SCOPED_TRACE(showing);
      CentreFrameOn(&window, area, &like);
      window.show();
      if (row.passingSize) {
        // As the window system may while it maps the window.
        window.resize(1, 1);
        QTest::qWait(FrameSettling::kQuietMs / 2);
        window.resize(201, 101);
      }
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
      EXPECT_TRUE(QTest::qWaitFor([&] { return centred(window); }, 2000));
      EXPECT_GT(window.frameGeometry().width(), 201);  // the platform gives it a frame
      EXPECT_EQ(window.size(), QSize(201, 101));
      // Nothing moves it afterwards.
      QTest::qWait(2 * FrameSettling::kQuietMs);
      EXPECT_TRUE(centred(window));
      window.move(window.pos() + QPoint(31, 17));  // the user's
      window.hide();
    }
  }
}

// Start-up registers the cursors once and the icon format, through which an icon travels.
TEST(ControlsInitTest, CursorsAndIconFormatAreRegisteredAtStart) {
  InitControlsLibrary();
  InitControlsLibrary();
  EXPECT_EQ(CursorRegistry::NameOf(14000), "XC_HANDCUR");
  EXPECT_FALSE(CursorRegistry::ByNumber(14000).pixmap().isNull());
  EXPECT_EQ(CursorRegistry::ByName("XC_DRAGCUR").shape(), Qt::BitmapCursor);
  EXPECT_EQ(CursorRegistry::ByNumber(12345).shape(), Qt::ArrowCursor);

  EXPECT_TRUE(IsIconClipboardFormat("Tessel Icon"));
  QImage icon(16, 16, QImage::Format_ARGB32);
  icon.fill(Qt::cyan);
  QMimeData data;
  SetIconMimeData(data, icon);
  EXPECT_EQ(data.formats(), QStringList{"Tessel Icon"});
  EXPECT_EQ(IconFromMimeData(data).convertToFormat(QImage::Format_ARGB32), icon);
  EXPECT_TRUE(IconFromMimeData(QMimeData()).isNull());
}

}  // namespace
