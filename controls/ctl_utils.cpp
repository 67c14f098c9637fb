#include "controls/ctl_utils.h"

#include <QApplication>
#include <QBitmap>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <optional>
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

QMargins MeasuredFrame(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  return handle ? handle->frameMargins() : QMargins();
}

WindowReport ReportOf(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  return {window->isVisible() && handle && handle->isExposed(), window->geometry().topLeft(),
          window->size(), MeasuredFrame(window)};
}

// Moves `window` so that its frame's top-left corner lies at `corner`, for the frame `frame`.
void MoveFrameTo(QWidget* window, const QPoint& corner, const QMargins& frame) {
  if (!window->testAttribute(Qt::WA_WState_Created)) {
    // Not made yet: the window system puts the frame's corner at the position given.
    window->move(corner);
    return;
  }
  // Made, perhaps never framed yet: the client area goes inside the frame expected there.
  window->setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window->size()));
}

// A window's placing: the frame the window system last gave it, and the settling of a placing
// under way, which begins when the window shows and ends when it hides.
class FrameKeeper : public QObject {
 public:
  static constexpr int kTickMs = 20;

  static FrameKeeper* Of(const QWidget* window) {
    return window->findChild<FrameKeeper*>(QStringLiteral("FrameKeeper"),
                                           Qt::FindDirectChildrenOnly);
  }
  static FrameKeeper* For(QWidget* window) {
    FrameKeeper* keeper = Of(window);
    return keeper ? keeper : new FrameKeeper(window);
  }

  std::optional<QMargins> KnownFrame() const { return known_; }

  void Place(const QMargins& assumed, const FramePlacement& place) {
    ticks_.stop();
    const QPoint corner = place(window_->size().grownBy(assumed));
    MoveFrameTo(window_, corner, assumed);
    const bool framed = !window_->windowFlags().testFlag(Qt::FramelessWindowHint);
    settling_.emplace(place, window_->size(), assumed, corner, framed, 0);
    if (window_->isVisible()) Start();
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Show && settling_ && !ticks_.isActive()) Start();
    if (e->type() == QEvent::Hide) Stop();
    return false;
  }

 private:
  explicit FrameKeeper(QWidget* window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("FrameKeeper"));
    ticks_.setInterval(kTickMs);
    connect(&ticks_, &QTimer::timeout, this, &FrameKeeper::Tick);
    window->installEventFilter(this);
  }

  // The settling's time runs from the showing.
  void Start() {
    clock_.start();
    ticks_.start();
  }
  void Stop() {
    settling_.reset();
    ticks_.stop();
  }
  void Tick() {
    if (!settling_) return Stop();
    const std::optional<QPoint> client = settling_->Observe(ReportOf(window_), clock_.elapsed());
    if (settling_->Frame()) known_ = settling_->Frame();
    if (client) window_->setGeometry(QRect(*client, window_->size()));
    if (settling_->Done()) Stop();
  }

  QWidget* window_;
  QElapsedTimer clock_;
  QTimer ticks_;
  std::optional<FrameSettling> settling_;
  std::optional<QMargins> known_;
};

// The frame to place `window` for: its own as last given, else that of `like` (a window already
// shown, whose frame is likely the same), else none. A hidden window's frame is never measured:
// one shown only for an instant may report a frame still being built.
QMargins AssumedFrame(const QWidget* window, const QWidget* like) {
  if (const FrameKeeper* keeper = FrameKeeper::Of(window); keeper && keeper->KnownFrame())
    return *keeper->KnownFrame();
  if (!like) return {};
  if (const FrameKeeper* keeper = FrameKeeper::Of(like); keeper && keeper->KnownFrame())
    return *keeper->KnownFrame();
  return like->isVisible() ? MeasuredFrame(like) : QMargins();
}

}  // namespace

void PlaceFrame(QWidget* window, const QWidget* like, const FramePlacement& place) {
  FrameKeeper::For(window)->Place(AssumedFrame(window, like), place);
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
