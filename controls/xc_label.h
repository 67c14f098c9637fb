#pragma once

#include "controls/xc_mouse_tracking.h"
#include "controls/xc_types.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

// A label that draws its text twice: offset in a shadow colour, then in place.
class TXcCustomLabel : public TXcMouseTrackingWidget {
  Q_OBJECT

 public:
  explicit TXcCustomLabel(QWidget* parent = nullptr);
  ~TXcCustomLabel() override;

  Xc::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(Xc::TAlignment value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value);
  // The background; with ParentColor the parent's background.
  QColor Color() const;
  void SetColor(const QColor& value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  QWidget* FocusControl() const { return focusControl_; }
  void SetFocusControl(QWidget* value);
  QString Hint() const { return hint_; }
  void SetHint(const QString& value);
  Xc::TTextLayout Layout() const { return layout_; }
  void SetLayout(Xc::TTextLayout value);
  bool ParentFont() const;
  void SetParentFont(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }
  QColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(const QColor& value);
  int ShadowSize() const { return shadowSize_; }
  void SetShadowSize(int value);
  Xc::TShadowPosition ShadowPos() const { return shadowPos_; }
  void SetShadowPos(Xc::TShadowPosition value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  bool ShowFocus() const { return showFocus_; }
  void SetShowFocus(bool value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);

 signals:
  void OnClick(QObject* sender);
  void OnDblClick(QObject* sender);
  void OnMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                   int y);
  void OnMouseMove(QObject* sender, Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseUp(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                 int y);

 protected:
  // The colour of the text: the foreground of the palette.
  virtual QColor GetTextColor() const;
  // The text to draw: the caption.
  virtual QString GetLabelText() const;
  bool PressHeld() const override { return pressed_; }

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  // Draws (canvas given) or measures (canvas nullptr) the text with its shadow in `rect`;
  // returns the union of the text and shadow rectangles.
  QRect DoDrawText(QPainter* canvas, const QRect& rect, int flags) const;
  void AdjustBounds();
  void UpdateShortcut();
  void FocusChanged(QWidget* now);
  int AlignmentFlags() const;

  QPointer<QWidget> focusControl_;
  Xc::TAlignment alignment_ = Xc::taLeftJustify;
  bool autoSize_ = true;
  Xc::TTextLayout layout_ = Xc::tlTop;
  QColor shadowColor_;
  quint8 shadowSize_ = 1;
  Xc::TShadowPosition shadowPos_ = Xc::spLeftTop;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  bool showFocus_ = false;
  bool focused_ = false;
  bool pressed_ = false;
  bool transparent_ = false;
  QString caption_;
  QColor color_;
  bool parentColor_ = true;
  QString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  int shortcutId_ = 0;
};

// The label with its published properties.
class TXcLabel : public TXcCustomLabel {
  Q_OBJECT
  Q_PROPERTY(Xc::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(QColor Color READ Color WRITE SetColor)
  Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE SetFocusControl)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(Xc::TTextLayout Layout READ Layout WRITE SetLayout)
  Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE SetShadowColor)
  Q_PROPERTY(int ShadowSize READ ShadowSize WRITE SetShadowSize)
  Q_PROPERTY(Xc::TShadowPosition ShadowPos READ ShadowPos WRITE SetShadowPos)
  Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
  Q_PROPERTY(bool ShowFocus READ ShowFocus WRITE SetShowFocus)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)

 public:
  explicit TXcLabel(QWidget* parent = nullptr);
};
