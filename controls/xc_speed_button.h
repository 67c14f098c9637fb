#pragma once

#include "controls/xc_button_glyph.h"
#include "controls/xc_mouse_tracking.h"
#include "controls/xc_types.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QTimer;
class TXcSpeedButton;

// The message a button sends its siblings to keep one member of its group down.
class TXcButtonGroupEvent : public QEvent {
 public:
  TXcButtonGroupEvent(int groupIndex, TXcSpeedButton* sender);
  int GroupIndex() const { return groupIndex_; }
  TXcSpeedButton* Sender() const { return sender_; }
  static QEvent::Type EventType() { return static_cast<QEvent::Type>(Xc::kButtonGroupMessage); }

 private:
  int groupIndex_;
  TXcSpeedButton* sender_;
};

// A push button with up, disabled, down, exclusive and inactive pictures, flat and
// transparent looks, groups with one member down, an optional drop-down menu and an
// auto-repeating click.
class TXcSpeedButton : public TXcMouseTrackingWidget {
  Q_OBJECT
  Q_PROPERTY(QAction* Action READ Action WRITE SetAction)
  Q_PROPERTY(Xc::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
  Q_PROPERTY(bool AllowTimer READ AllowTimer WRITE SetAllowTimer)
  Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
  Q_PROPERTY(bool Down READ Down WRITE SetDown)
  Q_PROPERTY(QMenu* DropDownMenu READ DropDownMenu WRITE SetDropDownMenu)
  Q_PROPERTY(Xc::TXcDropDownMenuPos MenuPosition READ MenuPosition WRITE SetMenuPosition)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
  Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
  Q_PROPERTY(QPixmap Glyph READ Glyph WRITE SetGlyph)
  Q_PROPERTY(bool GrayedInactive READ GrayedInactive WRITE SetGrayedInactive)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(int InitPause READ InitPause WRITE SetInitPause)
  Q_PROPERTY(Xc::TButtonLayout Layout READ Layout WRITE SetLayout)
  Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
  Q_PROPERTY(bool MarkDropDown READ MarkDropDown WRITE SetMarkDropDown)
  Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
  Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(int RepeatInterval READ RepeatInterval WRITE SetRepeatInterval)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
  Q_PROPERTY(Xc::TButtonStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)

 public:
  explicit TXcSpeedButton(QWidget* parent = nullptr);
  ~TXcSpeedButton() override;

  QAction* Action() const { return action_; }
  void SetAction(QAction* value);
  Xc::TAlignment Alignment() const { return glyph_.Alignment(); }
  void SetAlignment(Xc::TAlignment value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  bool AllowTimer() const { return allowTimer_; }
  void SetAllowTimer(bool value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  bool Down() const { return down_; }
  void SetDown(bool value);
  QMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(QMenu* value);
  Xc::TXcDropDownMenuPos MenuPosition() const { return menuPosition_; }
  void SetMenuPosition(Xc::TXcDropDownMenuPos value) { menuPosition_ = value; }
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  QPixmap Glyph() const { return glyph_.Glyph(); }
  void SetGlyph(const QPixmap& value);
  bool GrayedInactive() const { return grayedInactive_; }
  void SetGrayedInactive(bool value);
  // Tool tip and status text separated by "|".
  QString Hint() const { return hint_; }
  void SetHint(const QString& value);
  int InitPause() const { return initPause_; }
  void SetInitPause(int value) { initPause_ = static_cast<quint16>(value); }
  Xc::TButtonLayout Layout() const { return layout_; }
  void SetLayout(Xc::TButtonLayout value);
  int Margin() const { return margin_; }
  void SetMargin(int value);  // below -1 is refused
  bool MarkDropDown() const { return markDropDown_; }
  void SetMarkDropDown(bool value);
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }
  TXcNumGlyphs NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(TXcNumGlyphs value);
  bool ParentFont() const;
  void SetParentFont(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }
  int RepeatInterval() const { return repeatInterval_; }
  void SetRepeatInterval(int value) { repeatInterval_ = static_cast<quint16>(value); }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  Xc::TButtonStyle Style() const { return style_; }
  void SetStyle(Xc::TButtonStyle value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return glyph_.WordWrap(); }
  void SetWordWrap(bool value);

  Xc::TButtonPaintState PaintState() const { return state_; }
  TXcButtonGlyph& ButtonGlyph() { return glyph_; }
  // The window's modal result becomes ModalResult, then OnClick runs (or the action).
  virtual void Click();

  // Where the drop-down menu's reference corner goes, in button coordinates.
  static QPoint DropDownMenuPoint(Xc::TXcDropDownMenuPos position, Qt::Alignment menuAlignment,
                                  const QSize& buttonSize);

 signals:
  void OnClick(QObject* sender);
  void OnDblClick(QObject* sender);
  void OnMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                   int y);
  void OnMouseMove(QObject* sender, Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseUp(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                 int y);

 protected:
  // Draws glyph, caption and, with `drawMark`, the drop-down mark inside `rect`.
  virtual void PaintGlyph(QPainter& canvas, const QRect& rect, Xc::TButtonPaintState state,
                          bool drawMark);
  // A flat button repaints before the notification.
  void MouseEnter() override;
  void MouseLeave() override;
  bool PressHeld() const override { return pressing_; }

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void UpdateExclusive();
  void DoMouseUp(Qt::MouseButton button, const QPoint& pos);
  bool CheckMenuDropDown();
  void TimerExpired();
  void ActionChanged(bool checkDefaults);
  void UpdateShortcut();
  bool InsideForClick(const QPoint& pos) const;

  int groupIndex_ = 0;
  Xc::TButtonStyle style_ = Xc::bsAutoDetect;
  TXcButtonGlyph glyph_;
  QPixmap image_;  // off-screen picture of the button
  bool down_ = false;
  bool pressing_ = false;
  bool flat_ = false;
  bool allowAllUp_ = false;
  Xc::TButtonLayout layout_ = Xc::blGlyphTop;
  int spacing_ = 1;
  int margin_ = -1;
  int modalResult_ = 0;
  bool transparent_ = false;
  bool markDropDown_ = true;
  QPointer<QMenu> dropDownMenu_;
  Xc::TXcDropDownMenuPos menuPosition_ = Xc::dmpBottom;
  bool grayedInactive_ = true;
  bool menuTracking_ = false;
  QTimer* repeatTimer_ = nullptr;
  bool allowTimer_ = false;
  quint16 initPause_ = 500;
  quint16 repeatInterval_ = 100;
  Xc::TButtonPaintState state_ = Xc::bpsUp;
  QString caption_;
  QString hint_;
  bool showHint_ = true;
  bool parentShowHint_ = false;
  QPointer<QAction> action_;
  QMetaObject::Connection actionLink_;
  int shortcutId_ = 0;
};
