#pragma once

#include "controls/bm_controls.h"

#include <QBrush>
#include <QPen>

enum class TBmShadowButtonStyle { ssRectangle, ssRoundRect };
enum class TBmShadowDirection { sdTopLeft, sdTopRight, sdBottomLeft, sdBottomRight };
enum class TBmTextAlignment {
  btaLeft,
  btaCenter,
  btaRight,
  btaTopLeft,
  btaTop,
  btaTopRight,
  btaBottomLeft,
  btaBottom,
  btaBottomRight
};

// The shadow button's face brush: black until set.
class TBmShadowBrush : public QBrush {
 public:
  TBmShadowBrush() : QBrush(Qt::black, Qt::SolidPattern) {}
  TBmShadowBrush(const QBrush& Value) : QBrush(Value) {}
};

// The shadow button's outline pen: green until set.
class TBmShadowPen : public QPen {
 public:
  TBmShadowPen() : QPen(QColor(0x00, 0xFF, 0x00)) {}
  TBmShadowPen(const QPen& Value) : QPen(Value) {}
};

// A button drawn as a face over a shadow offset by Depth towards Direction; pressing
// moves the face DepthAdjust pixels into the shadow. OnClick fires once per release
// over the face, and for the caption's accelerator while enabled.
class TBmShadowButton : public TBmGraphicImageControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int Depth READ Depth WRITE SetDepth)
  Q_PROPERTY(int DepthAdjust READ DepthAdjust WRITE SetDepthAdjust)

 public:
  // 110 x 30, white text on a black face with a green outline, parent's colour.
  explicit TBmShadowButton(QWidget* Parent = nullptr);

  QString Caption() const { return Caption_; }
  void SetCaption(const QString& Value);
  const TBmShadowBrush& Brush() const { return Brush_; }
  void SetBrush(const QBrush& Value);
  const TBmShadowPen& Pen() const { return Pen_; }
  void SetPen(const QPen& Value);
  int Depth() const { return Depth_; }
  // Values below 3 are ignored.
  void SetDepth(int Value);
  int DepthAdjust() const { return DepthAdjust_; }
  // Takes effect at the next paint.
  void SetDepthAdjust(int Value) { DepthAdjust_ = Value; }
  QColor ShadowColor() const;
  void SetShadowColor(const QColor& Value);
  QColor ShadowOutline() const;
  void SetShadowOutline(const QColor& Value);
  TBmShadowButtonStyle Style() const { return Style_; }
  void SetStyle(TBmShadowButtonStyle Value);
  TBmShadowDirection Direction() const { return Direction_; }
  void SetDirection(TBmShadowDirection Value);
  TBmTextAlignment TextAlign() const { return TextAlign_; }
  void SetTextAlign(TBmTextAlignment Value);
  QColor DisabledTextColor() const;
  void SetDisabledTextColor(const QColor& Value);
  // The caption's colour while enabled.
  QColor FontColor() const { return FontColor_; }
  void SetFontColor(const QColor& Value);

  bool Pressed() const { return Pressed_; }
  // The text box of the face as painted in the current state; presses count only
  // inside it.
  QRect FaceRect() const { return ComputeFaceRect(Pressed_); }

 signals:
  void OnClick(QObject* Sender);

 protected:
  void Paint(QPainter& Canvas) override;

  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint DirectionSign() const;
  QRect ComputeFaceRect(bool pressed) const;
  void Press(QMouseEvent* event);
  void UpdateAccelerator();

  QString Caption_;
  TBmShadowBrush Brush_;
  TBmShadowPen Pen_;
  int Depth_ = 4;
  int DepthAdjust_ = 2;
  QColor ShadowColor_;
  QColor ShadowOutline_;
  TBmShadowButtonStyle Style_ = TBmShadowButtonStyle::ssRoundRect;
  TBmShadowDirection Direction_ = TBmShadowDirection::sdBottomRight;
  TBmTextAlignment TextAlign_ = TBmTextAlignment::btaCenter;
  QColor DisabledTextColor_;
  QColor FontColor_{Qt::white};
  bool Pressed_ = false;
  bool Tracking_ = false;
  int ShortcutId_ = 0;
};
