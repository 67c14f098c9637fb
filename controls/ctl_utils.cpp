#include "controls/ctl_utils.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>

#include <utility>

void SwapValues(int& a, int& b) {
  std::swap(a, b);
}
int MaxOf(int a, int b) {
  return a > b ? a : b;
}
int MinOf(int a, int b) {
  return a < b ? a : b;
}
int WidthOf(const QRect& r) {
  return r.width();
}
int HeightOf(const QRect& r) {
  return r.height();
}

bool PointInRectInclusive(const QPoint& p, const QRect& r) {
  return p.x() >= r.left() && p.x() <= r.left() + r.width() && p.y() >= r.top() &&
         p.y() <= r.top() + r.height();
}

void KeepRectOnScreen(QRect& r, const QRect& screen) {
  const int screenRight = screen.left() + screen.width();
  const int screenBottom = screen.top() + screen.height();
  if (r.left() + r.width() > screenRight) r.moveLeft(screenRight - r.width());
  if (r.left() < screen.left()) r.moveLeft(screen.left());
  if (r.top() + r.height() > screenBottom) r.moveTop(screenBottom - r.height());
  if (r.top() < screen.top()) r.moveTop(screen.top());
}

void KeepRectOnScreen(QRect& r) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    KeepRectOnScreen(r, screen->geometry());
}

namespace {

class MetricStyle : public QProxyStyle {
 public:
  MetricStyle(QStyle::PixelMetric metric, int value)
      : QProxyStyle(QStyleFactory::create(QApplication::style()->name())),
        metric_(metric),
        value_(value) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == metric_) return value_;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  QStyle::PixelMetric metric_;
  int value_;
};

}  // namespace

QStyle* NewMetricStyle(QStyle::PixelMetric metric, int value) {
  return new MetricStyle(metric, value);
}

void CenterWindow(QWidget* window) {
  if (!window) return;
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  QRect r(area.left() + (area.width() - window->width()) / 2,
          area.top() + (area.height() - window->height()) / 2, window->width(), window->height());
  KeepRectOnScreen(r, area);
  window->move(r.topLeft());
}

QWidget* MainApplicationWindow() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->inherits("QMainWindow")) return window;
  return QApplication::activeWindow();
}

namespace {

// The frame the window system puts around `window`: its own once it has been shown, else that
// of `like`, else none.
QMargins WindowFrame(const QWidget* window, const QWidget* like = nullptr) {
  for (const QWidget* known : {window, like}) {
    // A window keeps the frame it was last shown with while hidden; one never shown has none.
    if (!known) continue;
    const QRect outer = known->frameGeometry();
    const QRect inner = known->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (!frame.isNull()) return frame;
  }
  return {};
}

// Moves `window` so that its frame's top-left corner lies at `corner`; `frame` stands for the
// frame where the window system has not told it yet.
void MoveFrameTo(QWidget* window, const QPoint& corner, const QMargins& frame) {
  if (!window->testAttribute(Qt::WA_WState_Created)) {
    // Not made yet: the window system puts the frame's corner at the position given.
    window->move(corner);
    return;
  }
  // Made, perhaps never framed yet: the client area goes inside the frame expected there.
  window->setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window->size()));
}

// Places a window once more when the window system has told the frame it was first shown with,
// where that frame is not the one assumed; then it goes.
class FrameCorrection : public QObject {
 public:
  FrameCorrection(QWidget* window, const QMargins& assumed, FramePlacement place)
      : QObject(window), window_(window), assumed_(assumed), place_(std::move(place)) {
    setObjectName(QStringLiteral("FrameCorrection"));
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      // The frame comes with the window system's placing, after the showing.
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
        QTimer::singleShot(0, this, &FrameCorrection::Check);
        break;
      case QEvent::Hide:
        Done();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void Check() {
    const QMargins frame = WindowFrame(window_);
    if (done_ || frame.isNull()) return;
    Done();
    if (frame != assumed_) MoveFrameTo(window_, place_(window_->size().grownBy(frame)), frame);
  }
  void Done() {
    done_ = true;
    window_->removeEventFilter(this);
    deleteLater();
  }

  QWidget* window_;
  QMargins assumed_;
  FramePlacement place_;
  bool done_ = false;
};

}  // namespace

void PlaceFrame(QWidget* window, const QWidget* like, const FramePlacement& place) {
  delete window->findChild<QObject*>(QStringLiteral("FrameCorrection"), Qt::FindDirectChildrenOnly);
  const QMargins frame = WindowFrame(window, like);
  MoveFrameTo(window, place(window->size().grownBy(frame)), frame);
  if (WindowFrame(window).isNull()) new FrameCorrection(window, frame, place);
}

void CentreFrameOn(QWidget* window, const QRect& area, const QWidget* like) {
  PlaceFrame(window, like, [area](const QSize& outer) {
    return QPoint(area.left() + (area.width() - outer.width()) / 2,
                  area.top() + (area.height() - outer.height()) / 2);
  });
}

QString ShortenText(const QString& s, const QFontMetrics& metrics, int maxWidth) {
  QString result = s;
  for (qsizetype i = 1; i <= s.size() && metrics.horizontalAdvance(result) > maxWidth;) {
    ++i;
    result = s.left(MaxOf(0, static_cast<int>(s.size() - i))) + QStringLiteral("...");
  }
  return result;
}

namespace {

// The shape of the foreground pixels as a bitmap (1 = foreground).
QBitmap ForegroundMask(const QImage& image, const QColor& background) {
  QImage mask(image.size(), QImage::Format_MonoLSB);
  mask.setColorTable({QColor(Qt::color0).rgba(), QColor(Qt::color1).rgba()});
  mask.fill(0);
  const QRgb back = background.isValid() ? background.rgb() : 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      const bool isBack =
          qAlpha(pixel) == 0 || (background.isValid() && (pixel & 0xffffff) == (back & 0xffffff));
      if (!isBack) mask.setPixel(x, y, 1);
    }
  return QBitmap::fromImage(mask);
}

void PaintMask(QPainter& painter, const QBitmap& mask, const QPoint& at, const QColor& color) {
  painter.setPen(color);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.drawPixmap(at, mask);
}

}  // namespace

QPixmap MakeDisabledBitmapWithColors(const QPixmap& bitmap, const QColor& outlineColor,
                                     const QColor& backColor, const QColor& highlightColor,
                                     const QColor& shadowColor, bool drawHighlight) {
  const QImage image = bitmap.toImage().convertToFormat(QImage::Format_ARGB32);
  const QBitmap mask = ForegroundMask(image, outlineColor);
  QPixmap result(bitmap.size());
  result.fill(backColor);
  QPainter painter(&result);
  if (drawHighlight) PaintMask(painter, mask, QPoint(1, 1), highlightColor);
  PaintMask(painter, mask, QPoint(0, 0), shadowColor);
  return result;
}

QPixmap MakeDisabledBitmap(const QPixmap& bitmap, const QColor& outlineColor) {
  const QPalette palette = QGuiApplication::palette();
  return MakeDisabledBitmapWithColors(bitmap, outlineColor, palette.color(QPalette::Button),
                                      palette.color(QPalette::Light), palette.color(QPalette::Dark),
                                      true);
}

void DrawDisabledImage(QPainter& canvas, const QList<QPixmap>& images, int x, int y, int index,
                       const QColor& highlightColor, const QColor& grayColor, bool drawHighlight) {
  if (index < 0 || index >= images.size()) return;
  const QImage image = images.at(index).toImage().convertToFormat(QImage::Format_ARGB32);
  const QBitmap mask = ForegroundMask(image, QColor());
  canvas.save();
  if (drawHighlight) PaintMask(canvas, mask, QPoint(x + 1, y + 1), highlightColor);
  PaintMask(canvas, mask, QPoint(x, y), grayColor);
  canvas.restore();
}

void DrawInvertFrame(QPainter& canvas, const QRect& r, int width) {
  canvas.save();
  canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  canvas.setPen(Qt::NoPen);
  canvas.setBrush(Qt::white);
  QRect frame = r;
  for (int i = 0; i < width && frame.width() > 0 && frame.height() > 0; ++i) {
    const QRegion ring = QRegion(frame).subtracted(QRegion(frame.adjusted(1, 1, -1, -1)));
    for (const QRect& part : ring) canvas.drawRect(part);
    frame.adjust(1, 1, -1, -1);
  }
  canvas.restore();
}

void CopyParentImage(QWidget* control, QPainter& dest) {
  if (!control || !control->parentWidget()) return;
  QWidget* parent = control->parentWidget();
  const QRect area = control->geometry() & parent->rect();
  if (area.isEmpty()) return;
  const QPoint offset = -control->pos();
  dest.save();
  dest.setClipRect(QRect(area.topLeft() + offset, area.size()));
  parent->render(&dest, offset + area.topLeft(), QRegion(area), QWidget::DrawWindowBackground);
  for (QObject* child : parent->children()) {
    if (child == control) break;
    auto* sibling = qobject_cast<QWidget*>(child);
    if (!sibling || !sibling->isVisible() || sibling->isWindow()) continue;
    const QRect overlap = sibling->geometry() & area;
    if (overlap.isEmpty()) continue;
    sibling->render(&dest, overlap.topLeft() + offset, QRegion(overlap.translated(-sibling->pos())),
                    QWidget::DrawWindowBackground | QWidget::DrawChildren);
  }
  dest.restore();
}

void RemovePendingMessage(QObject* receiver, QEvent::Type type) {
  if (type == QEvent::Quit || !receiver) return;
  // Qt removes every pending event of the type: the queue has no single-event removal.
  QCoreApplication::removePostedEvents(receiver, type);
}

bool IsAppForeground() {
  return QApplication::activeWindow() != nullptr;
}
