#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

// Cursor number and resource name registered by the graphic controls.
constexpr int kBmHandPointCursor = 99;  // "BMCURSORHANDPOINT"

// Registers BMCURSORHANDPOINT (the controls library's pointing hand); repeated calls
// change nothing.
void RegisterBmCursors();

// Shapes 0 rectangle, 1 square, 2 rounded rectangle, 3 rounded square, 4 ellipse,
// 5 circle, filling the pixels X .. X + W - 1 and Y .. Y + H - 1 with the painter's pen
// and brush. A pen of width 0 makes the box one pixel smaller; the square shapes are
// centred in the box; any other shape draws nothing.
void DrawShape(QPainter& Canvas, int Shape, int X, int Y, int W, int H);

// A windowless-style control: it paints itself and reports mouse, font and text
// changes. Size changes by AutoSize repaint by themselves.
class TBmGraphicControl : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Version READ Version STORED false)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(QColor Color READ Color WRITE SetColor)
  Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)

 public:
  explicit TBmGraphicControl(QWidget* Parent = nullptr);

  QString Version() const { return QStringLiteral("1.2"); }
  bool AutoSize() const { return AutoSize_; }
  void SetAutoSize(bool Value);
  // With ParentColor the parent's background colour, else the control's own.
  QColor Color() const;
  void SetColor(const QColor& Value);
  bool ParentColor() const { return ParentColor_; }
  void SetParentColor(bool Value);

  virtual void RepaintControl();
  virtual void AdjustSizeAndRepaint();
  virtual void ForceAdjustSizeAndRepaint();

 signals:
  void OnMouseEnter(QObject* Sender);
  void OnMouseLeave(QObject* Sender);
  void OnFontChanged(QObject* Sender);
  void OnTextChanged(QObject* Sender);

 protected:
  virtual void MouseEntered();
  virtual void MouseLeft();
  virtual void FontChanged();
  virtual void TextChanged();
  // The size AutoSize gives the control; false keeps the current one.
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);

  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyAutoSize();

  bool AutoSize_ = false;
  QColor Color_;
  bool ParentColor_ = false;
};

// The base of a serial port's display (a widget that also implements TScDisplay) repaints
// with the same protocol.
using TScGraphicControl = TBmGraphicControl;

// Paints into an off-screen drawing image and copies it to the screen in one go;
// a transparent control starts from a copy of what lies under it.
class TBmGraphicImageControl : public TBmGraphicControl {
  Q_OBJECT
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

 public:
  explicit TBmGraphicImageControl(QWidget* Parent = nullptr);

  bool Transparent() const { return Transparent_; }
  void SetTransparent(bool Value);

  void RepaintControl() override;

  // The picture of the last paint, as it went to the screen.
  const QImage& DrawingImage() const { return DrawingImage_; }

 protected:
  // Draws the control into the drawing image, already sized to the control.
  virtual void Paint(QPainter& Canvas) = 0;
  // Fills the drawing image with Color, or with the background when transparent.
  virtual void ClearImage(QPainter& Canvas);

  void paintEvent(QPaintEvent* event) override;

 private:
  QImage BackgroundImage_;
  QImage DrawingImage_;
  bool CaptureNeeded_ = true;
  bool Transparent_ = false;
};
