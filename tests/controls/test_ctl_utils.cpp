#include "controls/controls_init.h"
#include "controls/ctl_utils.h"
#include "controls/icon_clip.h"
#include "controls/xc_cursors.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(CtlUtilsTest, RectanglesKeptOnTheScreen) {
  const QRect r(10, 20, 30, 40);
  EXPECT_TRUE(PointInRectInclusive({40, 60}, r));  // far edges included
  EXPECT_FALSE(PointInRectInclusive({41, 30}, r));
  EXPECT_FALSE(PointInRectInclusive({9, 30}, r));
  EXPECT_FALSE(PointInRectInclusive({20, 61}, r));
  const struct {
    QRect in, out;
  } rows[] = {
      {QRect(750, 580, 100, 50), QRect(700, 550, 100, 50)},
      {QRect(-20, -5, 100, 50), QRect(0, 0, 100, 50)},
      {QRect(100, 100, 100, 50), QRect(100, 100, 100, 50)},
      {QRect(500, 0, 1000, 50), QRect(0, 0, 1000, 50)},  // wider: the left edge wins
  };
  for (const auto& row : rows) {
    QRect moved = row.in;
    KeepRectOnScreen(moved, QRect(0, 0, 800, 600));
    EXPECT_EQ(moved, row.out);
  }
}

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

TEST(CtlUtilsTest, ShortenText) {
  const QFontMetrics metrics(QApplication::font());
  const QString text = "Номер прибора";
  const int full = metrics.horizontalAdvance(text);
  EXPECT_EQ(ShortenText(text, metrics, full), text);
  EXPECT_EQ(ShortenText("", metrics, 0), "");

  const QString shortened = ShortenText(text, metrics, full - 1);
  EXPECT_TRUE(shortened.endsWith("..."));
  EXPECT_TRUE(text.startsWith(shortened.chopped(3)));
  EXPECT_LE(metrics.horizontalAdvance(shortened), full - 1);
  EXPECT_LE(shortened.size() - 3, text.size() - 2);  // at least two characters go

  EXPECT_EQ(ShortenText(text, metrics, 0), "...");
}

QImage Render(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(CtlUtilsTest, DisabledBitmapPaintsTheShapeInShadowAndHighlight) {
  QPixmap source(6, 6);
  source.fill(Qt::magenta);  // outline colour = background
  {
    QPainter p(&source);
    p.fillRect(1, 1, 2, 2, Qt::blue);
  }
  const QImage out = Render(
      MakeDisabledBitmapWithColors(source, Qt::magenta, Qt::gray, Qt::white, Qt::black, true));
  EXPECT_EQ(QColor(out.pixel(0, 0)), QColor(Qt::gray));
  EXPECT_EQ(QColor(out.pixel(1, 1)), QColor(Qt::black));
  EXPECT_EQ(QColor(out.pixel(3, 3)), QColor(Qt::white));  // highlight shows at (+1, +1)
  EXPECT_EQ(QColor(out.pixel(3, 1)), QColor(Qt::gray));
  const QImage flat = Render(
      MakeDisabledBitmapWithColors(source, Qt::magenta, Qt::gray, Qt::white, Qt::black, false));
  EXPECT_EQ(QColor(flat.pixel(3, 3)), QColor(Qt::gray));

  const QImage themed = Render(MakeDisabledBitmap(source, Qt::magenta));
  const QPalette palette = QApplication::palette();
  EXPECT_EQ(themed.pixel(0, 0), palette.color(QPalette::Button).rgb());
  EXPECT_EQ(themed.pixel(1, 1), palette.color(QPalette::Dark).rgb());
}

TEST(CtlUtilsTest, DisabledImageDrawsTheOpaqueShapeAndIgnoresBadIndexes) {
  QPixmap icon(4, 4);
  icon.fill(Qt::transparent);
  {
    QPainter p(&icon);
    p.fillRect(0, 0, 2, 2, Qt::red);
  }
  QImage canvas(8, 8, QImage::Format_RGB32);
  canvas.fill(Qt::green);
  QPainter painter(&canvas);
  painter.setBrush(Qt::yellow);
  DrawDisabledImage(painter, {icon}, 2, 2, 0, Qt::white, Qt::darkGray, true);
  DrawDisabledImage(painter, {icon}, 0, 0, 1, Qt::white, Qt::darkGray, true);
  DrawDisabledImage(painter, {icon}, 0, 0, -1, Qt::white, Qt::darkGray, true);
  EXPECT_EQ(painter.brush().color(), QColor(Qt::yellow));
  painter.end();
  EXPECT_EQ(QColor(canvas.pixel(2, 2)), QColor(Qt::darkGray));
  EXPECT_EQ(QColor(canvas.pixel(4, 4)), QColor(Qt::white));
  EXPECT_EQ(QColor(canvas.pixel(0, 0)), QColor(Qt::green));
}

TEST(CtlUtilsTest, InvertFrameDrawnTwiceRestoresThePicture) {
  QImage canvas(10, 10, QImage::Format_RGB32);
  canvas.fill(QColor(10, 20, 30));
  const QImage before = canvas;
  {
    QPainter p(&canvas);
    DrawInvertFrame(p, QRect(1, 1, 8, 8), 2);
  }
  EXPECT_EQ(QColor(canvas.pixel(2, 2)), QColor(245, 235, 225));
  EXPECT_EQ(QColor(canvas.pixel(3, 3)), QColor(10, 20, 30));  // inside the two rings
  {
    QPainter p(&canvas);
    DrawInvertFrame(p, QRect(1, 1, 8, 8), 2);
  }
  EXPECT_EQ(canvas, before);
}

void Fill(QWidget& widget, const QColor& color, const QRect& geometry) {
  widget.setGeometry(geometry);
  widget.setAutoFillBackground(true);
  QPalette palette;
  palette.setColor(QPalette::Window, color);
  widget.setPalette(palette);
}

TEST(CtlUtilsTest, CopyParentImagePaintsBackgroundAndEarlierSiblingsOnly) {
  QWidget parent;
  Fill(parent, Qt::red, QRect(0, 0, 100, 100));
  QLabel below(&parent);
  Fill(below, Qt::green, QRect(0, 0, 50, 100));
  QWidget control(&parent);
  control.setGeometry(40, 10, 30, 30);
  QLabel above(&parent);  // after the control: not part of what lies under it
  Fill(above, Qt::blue, QRect(60, 0, 40, 100));
  parent.show();

  QImage image(30, 30, QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter p(&image);
    CopyParentImage(&control, p);
  }
  EXPECT_EQ(QColor(image.pixel(5, 5)), QColor(Qt::green));  // x 45: the earlier sibling
  EXPECT_EQ(QColor(image.pixel(15, 5)), QColor(Qt::red));   // x 55: the parent
  EXPECT_EQ(QColor(image.pixel(25, 25)), QColor(Qt::red));  // x 65: not the later sibling
}

class CountingObject : public QObject {
 public:
  int events = 0;
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) ++events;
    return QObject::event(e);
  }
};

class QuitCatcher : public QObject {
 public:
  int quits = 0;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != qApp || e->type() != QEvent::Quit) return false;
    ++quits;
    return true;
  }
};

TEST(CtlUtilsTest, RemovePendingMessageDropsPendingEventsButNeverQuit) {
  CountingObject target;
  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  RemovePendingMessage(&target, QEvent::User);
  QCoreApplication::processEvents();
  EXPECT_EQ(target.events, 0);

  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  RemovePendingMessage(&target, QEvent::Timer);
  QCoreApplication::processEvents();
  EXPECT_EQ(target.events, 1);

  // The quit request stays queued; the filter takes it so the test process goes on.
  QuitCatcher catcher;
  qApp->installEventFilter(&catcher);
  QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
  RemovePendingMessage(qApp, QEvent::Quit);
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&catcher);
  EXPECT_EQ(catcher.quits, 1);
  EXPECT_FALSE(IsAppForeground());
}

TEST(ControlsInitTest, CursorsAndIconFormatAreRegisteredAtStart) {
  EXPECT_FALSE(IsIconClipboardFormat("Tessel Icon"));
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
  EXPECT_EQ(IconFromMimeData(data).convertToFormat(QImage::Format_ARGB32), icon);
  EXPECT_TRUE(IconFromMimeData(QMimeData()).isNull());
}

}  // namespace
