#pragma once
// A masked edit with a small button at its right edge and an optional drop-down window
// that opens under the edit and hands a value back to it.

#include "controls/xc_speed_button.h"

#include <QBasicTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QVariant>

class TCustomComboEdit;

// The drop-down window: a borderless tool window that never takes the focus, so the
// edit keeps it and forwards its keys.
class TPopupWindow : public QFrame {
  Q_OBJECT

 public:
  explicit TPopupWindow(QWidget* owner);

  virtual QVariant GetValue() = 0;
  virtual void SetValue(const QVariant& value) = 0;
  virtual void CloseUp(bool accept);
  virtual QString GetPopupText() { return QString(); }

  // origin in screen coordinates
  void Show(const QPoint& origin);
  void Hide();

  // Key handling forwarded by the edit while the popup is open; a consumed key is set to 0.
  virtual void PopupKeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void PopupKeyPress(QChar& key);

 signals:
  void OnCloseUp(QObject* sender, bool accept);

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  virtual void PopupMouseUp(Qt::MouseButton button, const QPoint& pos);
};

// The embedded button; a press that closes the popup swallows the click that follows.
class TEditButton : public TXcSpeedButton {
  Q_OBJECT

 public:
  TEditButton(TCustomComboEdit* combo, QWidget* parent);
  void Click() override;
  bool NoAction() const { return noAction_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  TCustomComboEdit* combo_;
  bool noAction_ = false;
};

namespace Combo {
Q_NAMESPACE
enum TPopupAlign { epaRight, epaLeft };
Q_ENUM_NS(TPopupAlign)
enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
Q_ENUM_NS(TGlyphKind)
// A key with its shift state as one 16-bit code: the virtual-key code plus 0x2000 for
// Shift, 0x4000 for Ctrl and 0x8000 for Alt.
constexpr quint16 scShift = 0x2000;
constexpr quint16 scCtrl = 0x4000;
constexpr quint16 scAlt = 0x8000;
constexpr quint16 kAltDown = scAlt | 40;
// The virtual-key code of a Qt key, 0 when it has none.
int VirtualKey(int qtKey);
// The same for a key event, where keypad plus and minus have codes of their own.
int VirtualKey(const QKeyEvent& e);
quint16 ShortCutOf(int virtualKey, Qt::KeyboardModifiers shift);
}  // namespace Combo

class TCustomComboEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(Qt::Alignment Alignment READ alignment WRITE setAlignment)
  Q_PROPERTY(bool AlwaysEnable READ AlwaysEnable WRITE SetAlwaysEnable)
  Q_PROPERTY(QString ButtonHint READ ButtonHint WRITE SetButtonHint)
  Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)
  Q_PROPERTY(int ClickKey READ ClickKey WRITE SetClickKey)
  Q_PROPERTY(bool DirectInput READ DirectInput WRITE SetDirectInput)
  Q_PROPERTY(QPixmap Glyph READ Glyph WRITE SetGlyph)
  Q_PROPERTY(Combo::TGlyphKind GlyphKind READ GlyphKind WRITE SetGlyphKind)
  Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
  Q_PROPERTY(Combo::TPopupAlign PopupAlign READ PopupAlign WRITE SetPopupAlign)
  Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)

 public:
  explicit TCustomComboEdit(QWidget* parent = nullptr);
  ~TCustomComboEdit() override;

  TEditButton* Button() const { return button_; }
  QWidget* ButtonHost() const { return host_; }
  bool AlwaysEnable() const { return alwaysEnable_; }
  void SetAlwaysEnable(bool value) { alwaysEnable_ = value; }
  QString ButtonHint() const { return button_->Hint(); }
  void SetButtonHint(const QString& value) { button_->SetHint(value); }
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int value);
  int ClickKey() const { return clickKey_; }
  void SetClickKey(int value) { clickKey_ = static_cast<quint16>(value); }
  bool DirectInput() const { return directInput_; }
  void SetDirectInput(bool value);
  QPixmap Glyph() const { return button_->Glyph(); }
  void SetGlyph(const QPixmap& value);
  Combo::TGlyphKind GlyphKind() const { return glyphKind_; }
  void SetGlyphKind(Combo::TGlyphKind value);
  int NumGlyphs() const { return button_->NumGlyphs(); }
  void SetNumGlyphs(int value);
  Combo::TPopupAlign PopupAlign() const { return popupAlign_; }
  void SetPopupAlign(Combo::TPopupAlign value) { popupAlign_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);

  TPopupWindow* Popup() const { return popup_; }
  bool PopupVisible() const { return popup_ && popupVisible_; }
  bool Focused() const { return focused_; }
  int GetMinHeight() const;
  int GetTextHeight() const;
  // The caret while the edit shows one, an empty size otherwise.
  QSize CaretSize() const { return caretShown_ ? caretSize_ : QSize(); }

  virtual void ButtonClick();
  void EditButtonClick();
  void PopupCloseUp(QObject* sender, bool accept);
  // A mouse press on `sender` anywhere in the program while the popup is open: unless it is
  // the edit, its button or inside the popup, the popup closes without taking its value.
  void CancelMode(QWidget* sender);
  // Selects the whole text, only with DirectInput.
  void SelectAll();
  virtual bool EditCanModify() const { return !readOnly_; }

 signals:
  void OnButtonClick(QObject* sender);
  void OnChange(QObject* sender);

 protected:
  virtual QPixmap GetDefaultBitmap(bool& destroyNeeded);
  virtual void PopupDropDown(bool disableEdit);
  virtual void ShowPopup(const QPoint& origin);
  virtual void HidePopup();
  virtual bool AcceptPopup(QVariant& value);
  virtual void AcceptValue(const QVariant& value);
  virtual void SetPopupValue(const QVariant& value);
  virtual QVariant GetPopupValue();
  virtual void PopupChanged() {}
  virtual bool GetReadOnly() const { return readOnly_; }
  // Key hooks run before the edit's own handling; a consumed key is set to 0.
  virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void KeyPress(QChar& key);
  // The text changed: the change notification, or PopupChanged while the popup is open.
  virtual void Change();

  void DoChange();
  void UpdatePopupVisible();
  // An open popup taken away is closed first, without taking its value.
  void SetPopup(TPopupWindow* popup);
  void RecreateGlyph();
  void UpdateBtnBounds();
  void SetEditRect();
  void SetCreating(bool value) { creating_ = value; }
  int DefNumGlyphs() const { return defNumGlyphs_; }
  void SetDefNumGlyphs(int value) { defNumGlyphs_ = value; }
  QPixmap CreateEllipsisGlyph() const;
  QPixmap CreateDropDownGlyph() const;
  // The edit's own read-only state: ReadOnly or no direct input.
  void ApplyEditReadOnly();
  // Makes and shows the caret: 1 pixel wide, 2 with a bold font, GetTextHeight high.
  void SetShowCaret();
  void HideCaret();

  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  // Watches the program's mouse presses while the popup is open.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QWidget* host_;
  TEditButton* button_;
  quint16 clickKey_ = Combo::kAltDown;
  bool readOnly_ = false;
  bool directInput_ = true;
  bool alwaysEnable_ = false;
  bool popupVisible_ = false;
  bool focused_ = false;
  bool creating_ = false;
  Combo::TPopupAlign popupAlign_ = Combo::epaRight;
  Combo::TGlyphKind glyphKind_ = Combo::gkCustom;
  QPointer<TPopupWindow> popup_;
  int defNumGlyphs_ = 1;
  int buttonWidth_ = 21;
  QSize caretSize_;
  bool losingFocus_ = false;  // closing because the focus went elsewhere
  bool caretShown_ = false;
  bool caretOn_ = false;  // the blink phase
  QBasicTimer caretBlink_;
};
