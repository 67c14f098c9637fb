#pragma once
// A tool-bar panel whose command buttons are described by non-visual items grouped in named
// sections: the bar places the buttons on a grid, sizes them alike, keeps them inside its
// offsets, turns between horizontal and vertical, can be dragged to another edge of its
// parent, paints a wallpaper and edge lines, and saves its button layout with a placement.

#include "controls/form_storage.h"
#include "controls/xc_speed_button.h"

#include <QEvent>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>

class TSpeedBar;
class TSpeedItem;
class TImageList;

// An invalid property value of a speed bar or section.
class ESpeedbarError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace Sb {
Q_NAMESPACE

// Ordinals are stored as a bar's "Position".
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
Q_ENUM_NS(TBevelCut)

enum TBarPosition { bpAuto, bpCustom };
Q_ENUM_NS(TBarPosition)

enum TSpeedbarOrientation { soHorizontal, soVertical };
Q_ENUM_NS(TSpeedbarOrientation)

enum TSpeedbarOption {
  sbAllowDrag = 0x01,
  sbAllowResize = 0x02,
  sbFlatBtns = 0x04,
  sbGrayedBtns = 0x08,
  sbTransparentBtns = 0x10,
  sbStretchBitmap = 0x20,
};
Q_DECLARE_FLAGS(TSpeedbarOptions, TSpeedbarOption)
Q_FLAG_NS(TSpeedbarOptions)

enum TBoundLine { blTop = 0x1, blBottom = 0x2, blLeft = 0x4, blRight = 0x8 };
Q_DECLARE_FLAGS(TBoundLines, TBoundLine)
Q_FLAG_NS(TBoundLines)

// The private message a bar sends an attached customize window, and its codes.
constexpr int kSpeedbarMessage = 0xB050;
enum TSpeedbarNotify { snBarChanged = 0, snBarDestroyed = 1, snItemMoved = 2, snGeometry = 3 };

constexpr int kDefaultBtnWidth = 24;
constexpr int kDefaultBtnHeight = 23;
constexpr int kDragThreshold = 5;
// How far from the inner edge of a bar the mouse may be to resize it.
constexpr int kResizeBand = 4;
// The description format a bar writes.
constexpr int kInternalVersion = 1;

// The edge of a parent of the given client size that a point (in its client coordinates)
// points at; a point on a diagonal counts as below it.
TAlign DragTargetAlign(const QPoint& point, const QSize& parentClient);
// The grid step along a bar for a button size along it.
int GridStep(int size);
}  // namespace Sb

Q_DECLARE_OPERATORS_FOR_FLAGS(Sb::TSpeedbarOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(Sb::TBoundLines)

// What a bar tells its attached customize window: the message number, the code and, for
// a moved item, the item.
class TSpeedbarNotifyEvent : public QEvent {
 public:
  TSpeedbarNotifyEvent(int code, TSpeedItem* item);
  // Registered with Qt once per program.
  static QEvent::Type EventType();
  int Msg() const { return Sb::kSpeedbarMessage; }
  int Code() const { return code_; }
  TSpeedItem* Item() const { return item_; }

 private:
  int code_;
  TSpeedItem* item_;
};

// A named group of items of one bar.
class TSpeedbarSection : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int Index READ Index WRITE SetIndex STORED false)

 public:
  explicit TSpeedbarSection(QObject* owner = nullptr);
  ~TSpeedbarSection() override;

  QString Caption() const { return caption_; }
  // Throws ESpeedbarError when another section of the bar has the caption.
  void SetCaption(const QString& value);
  // The place in the bar, -1 without a bar.
  int Index() const;
  // Clamped to the bar's sections.
  void SetIndex(int value);
  TSpeedBar* Bar() const { return bar_; }
  // Moves the section to `bar`, keeping its index there when it can.
  void SetParentComponent(TSpeedBar* bar);
  const QList<TSpeedItem*>& Items() const { return items_; }

 private:
  friend class TSpeedBar;
  QList<TSpeedItem*> items_;
  QString caption_;
  TSpeedBar* bar_ = nullptr;
};

// The floating picture of a button dragged in editing mode: a frameless window over
// everything that never takes input nor the focus. The picture fills the window.
class TBtnControl : public QWidget {
  Q_OBJECT
 public:
  explicit TBtnControl(QWidget* owner = nullptr);

  QPixmap Glyph() const { return image_.Glyph(); }
  void SetGlyph(const QPixmap& value);
  int NumGlyphs() const { return image_.NumGlyphs(); }
  void SetNumGlyphs(int value);
  QString Caption() const { return image_.Caption(); }
  void SetCaption(const QString& value);
  Xc::TAlignment Alignment() const { return image_.Alignment(); }
  void SetAlignment(Xc::TAlignment value);
  bool WordWrap() const { return image_.WordWrap(); }
  void SetWordWrap(bool value);
  Xc::TButtonLayout Layout() const { return layout_; }
  void SetLayout(Xc::TButtonLayout value);
  int Margin() const { return margin_; }
  void SetMargin(int value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  const TImageList* Images() const { return images_; }
  void SetImages(const TImageList* value);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  TButtonImage image_;
  Xc::TButtonLayout layout_ = Xc::blGlyphTop;
  int margin_ = -1;
  int spacing_ = 1;
  int imageIndex_ = -1;
  const TImageList* images_ = nullptr;
};

// The visible button of one item. In editing mode a left press picks it up: its picture
// follows the mouse and the release drops it on the bar or takes it off.
class TSpeedbarButton : public TXcSpeedButton {
  Q_OBJECT
 public:
  explicit TSpeedbarButton(TSpeedItem* item);
  TSpeedItem* Item() const { return item_; }
  // Keeps the button below a horizontal bar's vertical offset and right of a vertical
  // bar's horizontal offset.
  void SetBounds(int left, int top, int width, int height);
  // The picture dragged in editing mode, null when no drag runs.
  TBtnControl* DragImage() const { return dragImage_; }

 protected:
  void PaintGlyph(QPainter& canvas, const QRect& rect, Xc::TButtonPaintState state,
                  bool drawMark) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  bool InEditing() const;
  void StartDrag(const QPoint& pressedAt);
  // Puts the picture's bottom-right corner at `globalPos`; it shows only over the bar.
  void MoveDragImage(const QPoint& globalPos);
  void EndDrag(const QPoint& globalPos);

  TSpeedItem* item_;
  QPointer<TBtnControl> dragImage_;
  // From the mouse to the picture's bottom-right corner: none where the cursor could be
  // put on the corner.
  QPoint dragOffset_;
};

// One command of a bar: a non-visual component owning its button.
class TSpeedItem : public QObject {
  Q_OBJECT
  // The section an item joins: by name, else by the index read, else the first.
  Q_PROPERTY(QString SectionName READ SectionName WRITE SetSectionName)
  Q_PROPERTY(int Section READ SectionIndex WRITE SetSection STORED false)
  Q_PROPERTY(QAction* Action READ Action WRITE SetAction)
  Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
  Q_PROPERTY(bool AllowTimer READ AllowTimer WRITE SetAllowTimer)
  Q_PROPERTY(QString BtnCaption READ BtnCaption WRITE SetBtnCaption)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
  Q_PROPERTY(bool Down READ Down WRITE SetDown)
  Q_PROPERTY(QMenu* DropDownMenu READ DropDownMenu WRITE SetDropDownMenu)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(QFont Font READ Font WRITE SetFont)
  Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(QPixmap Glyph READ Glyph WRITE SetGlyph)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
  Q_PROPERTY(Xc::TButtonLayout Layout READ Layout WRITE SetLayout)
  Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
  Q_PROPERTY(bool MarkDropDown READ MarkDropDown WRITE SetMarkDropDown)
  Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
  Q_PROPERTY(bool Stored READ Stored WRITE SetStored)
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(int Left READ Left WRITE SetLeft)
  Q_PROPERTY(int Top READ Top WRITE SetTop)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)

 public:
  explicit TSpeedItem(QObject* owner = nullptr);
  ~TSpeedItem() override;

  TSpeedbarButton* Button() const { return button_; }
  TSpeedBar* Bar() const { return bar_; }
  // Refreshed from the bar; -1 without a bar.
  int SectionIndex();
  // The section's caption, or the name given before the item joined a bar.
  QString SectionName();
  void SetSectionName(const QString& name) { sectionName_ = name; }
  // Only before the item joins a bar.
  void SetSection(int index);
  // Leaves the old bar and joins `bar` in the section named by SectionName.
  void SetParentComponent(TSpeedBar* bar);
  // A caption equal to the old name follows the new name; the button takes the name too.
  void SetName(const QString& name);
  void ButtonClick();
  bool Editing() const { return editing_; }
  void SetEditing(bool value);

  QAction* Action() const { return button_->Action(); }
  void SetAction(QAction* value) { button_->SetAction(value); }
  bool AllowAllUp() const { return button_->AllowAllUp(); }
  void SetAllowAllUp(bool value) { button_->SetAllowAllUp(value); }
  bool AllowTimer() const { return button_->AllowTimer(); }
  void SetAllowTimer(bool value) { button_->SetAllowTimer(value); }
  QString BtnCaption() const { return button_->Caption(); }
  void SetBtnCaption(const QString& value) { button_->SetCaption(value); }
  QString Caption() const { return caption_; }
  // Also updates the hint ("|" separates tool tip and status text).
  void SetCaption(const QString& value);
  int GroupIndex() const { return button_->GroupIndex(); }
  void SetGroupIndex(int value) { button_->SetGroupIndex(value); }
  bool Down() const { return button_->Down(); }
  void SetDown(bool value) { button_->SetDown(value); }
  QMenu* DropDownMenu() const { return button_->DropDownMenu(); }
  void SetDropDownMenu(QMenu* value) { button_->SetDropDownMenu(value); }
  bool Enabled() const { return enabled_; }
  // Greyed whatever the value while the bar is disabled.
  void SetEnabled(bool value);
  QFont Font() const { return button_->font(); }
  void SetFont(const QFont& value) { button_->setFont(value); }
  bool IsFontStored() const { return !ParentFont(); }
  int Cursor() const { return cursor_; }
  void SetCursor(int value);
  QPixmap Glyph() const { return button_->Glyph(); }
  void SetGlyph(const QPixmap& value) { button_->SetGlyph(value); }
  QString Hint() const { return button_->Hint(); }
  void SetHint(const QString& value) { button_->SetHint(value); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  Xc::TButtonLayout Layout() const { return button_->Layout(); }
  void SetLayout(Xc::TButtonLayout value) { button_->SetLayout(value); }
  int Margin() const { return button_->Margin(); }
  void SetMargin(int value) { button_->SetMargin(value); }
  bool MarkDropDown() const { return button_->MarkDropDown(); }
  void SetMarkDropDown(bool value) { button_->SetMarkDropDown(value); }
  int NumGlyphs() const { return button_->NumGlyphs(); }
  void SetNumGlyphs(int value) { button_->SetNumGlyphs(value); }
  bool ParentShowHint() const { return button_->ParentShowHint(); }
  void SetParentShowHint(bool value) { button_->SetParentShowHint(value); }
  bool ParentFont() const { return button_->ParentFont(); }
  void SetParentFont(bool value) { button_->SetParentFont(value); }
  bool ShowHint() const { return button_->ShowHint(); }
  void SetShowHint(bool value) { button_->SetShowHint(value); }
  bool IsShowHintStored() const { return !ParentShowHint(); }
  int Spacing() const { return button_->Spacing(); }
  void SetSpacing(int value) { button_->SetSpacing(value); }
  bool Stored() const { return stored_; }
  void SetStored(bool value) { stored_ = value; }
  int Tag() const { return tag_; }
  void SetTag(int value);
  int Left() const { return button_->x(); }
  void SetLeft(int value);
  int Top() const { return button_->y(); }
  void SetTop(int value);
  bool Visible() const { return visible_; }
  // Hidden whatever the value while the bar is hidden.
  void SetVisible(bool value);
  bool WordWrap() const { return button_->WordWrap(); }
  void SetWordWrap(bool value) { button_->SetWordWrap(value); }

 signals:
  // The button's events; the sender is the button.
  void OnClick(QObject* sender);
  void OnDblClick(QObject* sender);
  void OnMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                   int y);
  void OnMouseMove(QObject* sender, Qt::KeyboardModifiers shift, int x, int y);
  void OnMouseUp(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                 int y);
  void OnMouseEnter(QObject* sender);
  void OnMouseLeave(QObject* sender);

 private:
  friend class TSpeedBar;
  friend class TSpeedbarSection;

  QString caption_;
  bool editing_ = false;
  bool enabled_ = true;
  TSpeedbarButton* button_;
  bool visible_ = false;
  bool stored_ = true;
  TSpeedBar* bar_ = nullptr;
  int sectionIndex_ = -1;
  QString sectionName_;
  int imageIndex_ = -1;
  int cursor_ = 0;
  int tag_ = 0;
};

class TSpeedBar : public QWidget {
  Q_OBJECT
  // Captions of sections to create; the sections themselves are stored as components.
  Q_PROPERTY(QStringList Sections READ SectionCaptions WRITE ReadSections STORED false)
  Q_PROPERTY(bool AllowDrag READ AllowDrag WRITE SetAllowDrag STORED false)
  // Descriptions written by this bar carry version 1; an older one read as 0 has its
  // alignment fixed when loaded.
  Q_PROPERTY(int InternalVer READ InternalVer WRITE SetInternalVer)
  // Read from older descriptions and kept; nothing depends on it.
  Q_PROPERTY(bool NewStyle READ NewStyle WRITE SetNewStyle STORED false)
  Q_PROPERTY(QFont Font READ font WRITE setFont)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(Sb::TBoundLines BoundLines READ BoundLines WRITE SetBoundLines)
  Q_PROPERTY(Sb::TBarPosition Position READ Position WRITE SetPosition)
  Q_PROPERTY(Sb::TAlign Align READ Align WRITE SetAlign)
  Q_PROPERTY(Sb::TSpeedbarOptions Options READ Options WRITE SetOptions)
  Q_PROPERTY(int BtnOffsetHorz READ BtnOffsetHorz WRITE SetBtnOffsetHorz)
  Q_PROPERTY(int BtnOffsetVert READ BtnOffsetVert WRITE SetBtnOffsetVert)
  Q_PROPERTY(int BtnWidth READ BtnWidth WRITE SetBtnWidth)
  Q_PROPERTY(int BtnHeight READ BtnHeight WRITE SetBtnHeight)
  Q_PROPERTY(TFormPlacement* IniStorage READ IniStorage WRITE SetIniStorage)
  Q_PROPERTY(int Version READ Version WRITE SetVersion)
  Q_PROPERTY(QPixmap Wallpaper READ Wallpaper WRITE SetWallpaper)
  Q_PROPERTY(Sb::TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
  Q_PROPERTY(Sb::TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
  Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
  Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
  Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)

 public:
  using TApplyAlignEvent = std::function<void(QObject* sender, Sb::TAlign align, bool& apply)>;
  using TNotifyEvent = std::function<void(QObject* sender)>;
  using TItemProc = std::function<void(void* data, TSpeedItem* item, int param)>;

  explicit TSpeedBar(QWidget* parent = nullptr);
  ~TSpeedBar() override;

  // Appends a section under a unique caption; returns its index, -1 on failure.
  int AddSection(TSpeedbarSection* section);
  void ForEachItem(const TItemProc& proc, void* userData, int param);
  void SetDefaultFont();

  QStringList SectionCaptions() const;
  // Appends a section for every caption no section has yet.
  void ReadSections(const QStringList& captions);
  bool AllowDrag() const { return options_.testFlag(Sb::sbAllowDrag); }
  void SetAllowDrag(bool value);
  int InternalVer() const { return Sb::kInternalVersion; }
  void SetInternalVer(int value) { internalVer_ = value; }
  bool NewStyle() const { return newStyle_; }
  void SetNewStyle(bool value) { newStyle_ = value; }

  // Between these the bar is read from a description: its alignment, orientation and
  // button size wait for Loaded, which then places the bar and its buttons once.
  void Loading() { loading_ = true; }
  virtual void Loaded();
  bool IsLoading() const { return loading_; }

  int SectionCount() const { return static_cast<int>(sections_.size()); }
  // Null outside the list.
  TSpeedbarSection* Section(int index) const;
  int FindSection(const QString& caption) const;
  int AppendSection(const QString& caption);
  void DeleteSection(int index);
  void DetachSection(int index);
  void AddItem(int sectionIndex, TSpeedItem* item);
  void RemoveItem(TSpeedItem* item);
  // False when the item is not on this bar.
  bool FindItem(const TSpeedItem* item, int& sectionIndex, int& position) const;
  TSpeedItem* FindItemByName(const QString& name) const;
  int ItemCount() const;
  bool MoveItemTo(TSpeedItem* item, int x, int y);
  void SnapAllItems();
  void UpdateGridSize();
  void ApplyButtonSize();
  // The part of the bar inside its offsets: 2 when not flat, plus border and bevels.
  int MinOffset() const;

  // A customize window attaches itself (null detaches): while one is attached every item
  // is in editing mode, and the window is told of every change by a TSpeedbarNotifyEvent.
  void SetEditWin(QWidget* window);
  QWidget* EditWin() const { return editWin_; }
  // Rescales the button size and offsets by M / D when a window is rescaled: while the
  // bar is loading only those set explicitly, otherwise all. A Fixed horizontal (vertical)
  // size policy keeps the button width (height) as it is.
  void ChangeScale(int M, int D);
  QSize GridSize() const { return gridSize_; }

  Sb::TSpeedbarOrientation Orientation() const;
  void SetOrientation(Sb::TSpeedbarOrientation value);

  bool ParentFont() const { return !testAttribute(Qt::WA_SetFont); }
  void SetParentFont(bool value);
  Sb::TBoundLines BoundLines() const { return boundLines_; }
  void SetBoundLines(Sb::TBoundLines value);
  Sb::TBarPosition Position() const { return position_; }
  void SetPosition(Sb::TBarPosition value);
  Sb::TAlign Align() const { return prevAlign_; }
  // Places the bar at that edge of its parent; turned between a horizontal and a vertical
  // edge it keeps its thickness. Throws ESpeedbarError for alNone and alClient while
  // Position is bpAuto.
  void SetAlign(Sb::TAlign value);
  // The frame shown while the bar is dragged, in screen coordinates; empty otherwise.
  QRect DragRect() const { return mouseMode_ == MouseMode::Dragging ? dragRect_ : QRect(); }
  Sb::TSpeedbarOptions Options() const { return options_; }
  void SetOptions(Sb::TSpeedbarOptions value);
  int BtnOffsetHorz() const { return offset_[0]; }
  void SetBtnOffsetHorz(int value) { SetOffset(0, value); }
  int BtnOffsetVert() const { return offset_[1]; }
  void SetBtnOffsetVert(int value) { SetOffset(1, value); }
  int BtnWidth() const { return btnSize_.width(); }
  void SetBtnWidth(int value) { SetBtnSize(0, value); }
  int BtnHeight() const { return btnSize_.height(); }
  void SetBtnHeight(int value) { SetBtnSize(1, value); }
  TFormPlacement* IniStorage() const { return iniLink_->Storage(); }
  void SetIniStorage(TFormPlacement* value) { iniLink_->SetStorage(value); }
  int Version() const { return version_; }
  void SetVersion(int value) { version_ = value; }
  QPixmap Wallpaper() const { return wallpaper_; }
  void SetWallpaper(const QPixmap& value);
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* value);
  Sb::TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(Sb::TBevelCut value);
  Sb::TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(Sb::TBevelCut value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }

  // The layout through the IniStorage placement's settings object.
  void SaveLayout();
  void RestoreLayout();

  QSize sizeHint() const override { return size(); }

  std::function<void(TSpeedItem* item)> OnAddItem;
  TApplyAlignEvent OnApplyAlign;
  TNotifyEvent OnPosChanged;
  TNotifyEvent OnVisibleChanged;
  TNotifyEvent OnCustomize;

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  friend class TSpeedItem;
  friend class TSpeedbarButton;
  friend class TSpeedbarSection;
  void SetOffset(int index, int value);
  void SetBtnSize(int index, int value);
  void SetItemParams(TSpeedItem* item, bool applySize);
  void SnapItemToGrid(TSpeedItem* item);
  QPoint SnapPoint(int x, int y) const;
  void MoveAllButtons(int dx, int dy);
  // Raises offsets below the minimum, moving the buttons by the rise.
  void Realign();
  QRect InnerRect() const;
  void AllItems(const std::function<void(TSpeedItem*)>& proc) const;
  bool AlignAccepted(Sb::TAlign align);
  Sb::TAlign DragTarget(const QPoint& globalPos) const;
  // The frame for a drag to `align`: the parent's free client area at that edge, as thick
  // as the bar.
  QRect DragFrame(Sb::TAlign align) const;
  void ShowDragFrame(const QRect& frame);
  void AlignParent();
  void Notify(int code, TSpeedItem* item = nullptr);
  // The sizing cursor for a point in the resize band, Qt::ArrowCursor outside it.
  Qt::CursorShape ResizeCursorAt(const QPoint& pos) const;
  void ResizeTo(const QPoint& pos);
  // Back to idle: frame and cursor gone, the mouse released.
  void EndMouseMode();

  // Explicitly set parts that ChangeScale scales while loading.
  enum ScaledPart { spHorzOffset = 0x1, spVertOffset = 0x2, spWidth = 0x4, spHeight = 0x8 };
  enum class MouseMode { Idle, Pressed, Dragging, Resizing };

  QList<TSpeedbarSection*> sections_;
  Sb::TBarPosition position_ = Sb::bpAuto;
  Sb::TSpeedbarOrientation orientation_ = Sb::soHorizontal;
  Sb::TAlign prevAlign_ = Sb::alTop;
  QSize btnSize_{Sb::kDefaultBtnWidth, Sb::kDefaultBtnHeight};
  QSize gridSize_{1, 1};
  int offset_[2] = {0, 0};
  Sb::TSpeedbarOptions options_ = Sb::sbAllowDrag | Sb::sbGrayedBtns;
  bool locked_ = false;
  bool loading_ = false;
  int internalVer_ = 0;
  bool newStyle_ = false;
  // An old description gave alNone with bpAuto: Loaded puts the bar at the top.
  bool fixAlign_ = false;
  int version_ = 0;
  MouseMode mouseMode_ = MouseMode::Idle;
  bool sizeCursor_ = false;
  bool alignDisabled_ = false;
  int scaledParts_ = 0;
  QPointer<QWidget> editWin_;
  QPoint dragStart_;
  QRect dragRect_;
  QRect dragStartRect_;
  QPointer<QWidget> dragFrame_;
  QPointer<QWidget> alignedParent_;
  Sb::TAlign dragAlign_ = Sb::alTop;
  QPixmap wallpaper_;
  Sb::TBoundLines boundLines_;
  std::unique_ptr<TIniLink> iniLink_;
  TImageList* images_ = nullptr;
  Sb::TBevelCut bevelOuter_ = Sb::bvRaised;
  Sb::TBevelCut bevelInner_ = Sb::bvNone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  bool parentShowHint_ = false;
  bool showHint_ = true;
};
