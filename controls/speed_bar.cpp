#include "controls/speed_bar.h"

#include "controls/component_loading.h"
#include "controls/ctl_utils.h"
#include "controls/set_if_changed.h"
#include "controls/settings_access.h"
#include "controls/xc_cursors.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace Sb;

namespace {

// n / d rounded to the nearest integer, halves to the even neighbour.
int RoundHalfEven(int n, int d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  int q = n / d;
  int r = n % d;
  if (r < 0) {
    --q;
    r += d;
  }
  if (2 * r > d || (2 * r == d && (q % 2) != 0)) ++q;
  return q;
}

// n * m / d rounded to the nearest integer, halves away from zero.
int MulDiv(int n, int m, int d) {
  return static_cast<int>(std::llround(static_cast<double>(n) * m / d));
}

// Qt alignment flags of a button caption.
int CaptionFlags(Xc::TAlignment alignment) {
  if (alignment == Xc::taLeftJustify) return Qt::AlignLeft;
  if (alignment == Xc::taRightJustify) return Qt::AlignRight;
  return Qt::AlignHCenter;
}

int ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? QString() : hint.mid(bar + 1);
}

// A visual control owning the component is being built from its description.
bool OwnerLoads(const QObject* component) {
  const QObject* owner = component->parent();
  return owner && owner->isWidgetType() && IsComponentLoading(owner);
}

constexpr int kDragFrameWidth = 3;
// Set on a parent while its bars are being placed, so their own resizes do not start again.
constexpr char kAligningProperty[] = "jwAligningBars";

TAlign EdgeAlign(const QObject* child) {
  const auto* bar = qobject_cast<const TSpeedBar*>(child);
  // A bar being loaded takes its place when it is loaded.
  if (!bar || bar->isHidden() || bar->IsLoading()) return alNone;
  const TAlign align = bar->Align();
  return align >= alTop && align <= alClient ? align : alNone;
}

// Places the visible aligned bars of `parent` in its client area: tops, bottoms, lefts,
// rights, then the client bar; bars of one edge keep their order from that edge.
void AlignBars(QWidget* parent) {
  if (parent->property(kAligningProperty).toBool()) return;
  parent->setProperty(kAligningProperty, true);
  QRect space = parent->contentsRect();
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    QList<TSpeedBar*> bars;
    for (QObject* child : parent->children()) {
      if (EdgeAlign(child) == align) bars.append(static_cast<TSpeedBar*>(child));
    }
    std::stable_sort(bars.begin(), bars.end(), [align](const TSpeedBar* a, const TSpeedBar* b) {
      const QRect ra = a->geometry();
      const QRect rb = b->geometry();
      switch (align) {
        case alTop:
          return ra.top() < rb.top();
        case alBottom:
          return ra.bottom() > rb.bottom();
        case alLeft:
          return ra.left() < rb.left();
        case alRight:
          return ra.right() > rb.right();
        default:
          return false;
      }
    });
    for (TSpeedBar* bar : bars) {
      const int w = bar->width();
      const int h = bar->height();
      const int across = std::max(0, space.width());
      const int down = std::max(0, space.height());
      switch (align) {
        case alTop:
          bar->setGeometry(space.left(), space.top(), across, h);
          space.setTop(space.top() + h);
          break;
        case alBottom:
          bar->setGeometry(space.left(), space.bottom() + 1 - h, across, h);
          space.setBottom(space.bottom() - h);
          break;
        case alLeft:
          bar->setGeometry(space.left(), space.top(), w, down);
          space.setLeft(space.left() + w);
          break;
        case alRight:
          bar->setGeometry(space.right() + 1 - w, space.top(), w, down);
          space.setRight(space.right() - w);
          break;
        default:
          bar->setGeometry(space.left(), space.top(), across, down);
          break;
      }
    }
  }
  parent->setProperty(kAligningProperty, false);
}

// The inverted frame shown while a bar is dragged: a picture of the window taken at the
// start, inverted along the frame, over everything and deaf to the mouse.
class DragFrameOverlay : public QWidget {
 public:
  explicit DragFrameOverlay(QWidget* window) : QWidget(window), picture_(window->grab().toImage()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Only the frame is drawn; a style sheet of the window must not fill the rest.
    setStyleSheet(QStringLiteral("background: transparent"));
    setGeometry(window->rect());
    raise();
    show();
  }
  // `frame` in the window's coordinates.
  void SetFrame(const QRect& frame) {
    update(frame_);
    frame_ = frame;
    update(frame_);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (frame_.isEmpty()) return;
    const qreal ratio = picture_.devicePixelRatio();
    QImage part = picture_.copy(QRect(frame_.topLeft() * ratio, frame_.size() * ratio));
    part.setDevicePixelRatio(1);
    {
      QPainter inverter(&part);
      DrawInvertFrame(inverter, part.rect(), qRound(kDragFrameWidth * ratio));
    }
    QPainter p(this);
    const int inset = kDragFrameWidth;
    p.setClipRegion(QRegion(frame_).subtracted(frame_.adjusted(inset, inset, -inset, -inset)));
    p.drawImage(frame_, part);
  }

 private:
  QImage picture_;
  QRect frame_;
};

}  // namespace

namespace Sb {

TAlign DragTargetAlign(const QPoint& point, const QSize& parentClient) {
  const double w = std::max(1, parentClient.width());
  const double h = parentClient.height();
  const double x = point.x();
  const double y = point.y();
  const bool belowMain = y >= (h / w) * x;
  const bool belowOther = y >= (1.0 - x / w) * h;
  if (belowMain) return belowOther ? alBottom : alLeft;
  return belowOther ? alRight : alTop;
}

int GridStep(int size) {
  if (size < 1) return 1;
  int step = std::max(1, std::min(8, size / 3));
  while (size % step != 0) ++step;
  if (step == size && size > 1) {
    do {
      --step;
    } while (step >= 2 && size % step != 0);
  }
  return std::max(1, step);
}

}  // namespace Sb

// ---- TSpeedbarNotifyEvent ----

TSpeedbarNotifyEvent::TSpeedbarNotifyEvent(int code, TSpeedItem* item)
    : QEvent(EventType()), code_(code), item_(item) {}

QEvent::Type TSpeedbarNotifyEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// ---- TBtnControl ----

TBtnControl::TBtnControl(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setEnabled(false);
  setCursor(CursorRegistry::ByNumber(kDragCursor));
  image_.SetButtonSize(size());
}

void TBtnControl::SetGlyph(const QPixmap& value) {
  image_.SetGlyph(value);
  update();
}

void TBtnControl::SetNumGlyphs(int value) {
  image_.SetNumGlyphs(value);
  update();
}

void TBtnControl::SetCaption(const QString& value) {
  image_.SetCaption(value);
  update();
}

void TBtnControl::SetAlignment(Xc::TAlignment value) {
  image_.SetAlignment(value);
  update();
}

void TBtnControl::SetWordWrap(bool value) {
  image_.SetWordWrap(value);
  update();
}

void TBtnControl::SetLayout(Xc::TButtonLayout value) {
  if (SetIfChanged(layout_, value)) update();
}

void TBtnControl::SetMargin(int value) {
  if (SetIfChanged(margin_, value)) update();
}

void TBtnControl::SetSpacing(int value) {
  if (SetIfChanged(spacing_, value)) update();
}

void TBtnControl::SetImageIndex(int value) {
  if (SetIfChanged(imageIndex_, value)) update();
}

void TBtnControl::SetImages(const TImageList* value) {
  if (SetIfChanged(images_, value)) update();
}

void TBtnControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  const QFont buttonFont = font();
  image_.Draw(p, 0, 0, CaptionFlags(image_.Alignment()), images_, imageIndex_, &buttonFont, layout_,
              spacing_, margin_);
}

void TBtnControl::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  image_.SetButtonSize(size());
}

// ---- TSpeedbarSection ----

TSpeedbarSection::TSpeedbarSection(QObject* owner) : QObject(owner) {}

TSpeedbarSection::~TSpeedbarSection() {
  QList<TSpeedItem*> items = items_;
  items_.clear();
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  // The items forget this section's slot before they go, so none is freed twice.
  for (TSpeedItem* item : items) {
    if (bar_ && item->bar_ == bar_) {
      item->bar_ = nullptr;
      item->sectionIndex_ = -1;
    }
  }
  qDeleteAll(items);
  if (bar_) {
    const int index = static_cast<int>(bar_->sections_.indexOf(this));
    if (index >= 0) bar_->DetachSection(index);
  }
}

void TSpeedbarSection::SetCaption(const QString& value) {
  if (bar_) {
    const int found = bar_->FindSection(value);
    if (found >= 0 && bar_->Section(found) != this)
      throw ESpeedbarError("String list does not allow duplicates");
  }
  caption_ = value;
}

int TSpeedbarSection::Index() const {
  return bar_ ? static_cast<int>(bar_->sections_.indexOf(const_cast<TSpeedbarSection*>(this))) : -1;
}

void TSpeedbarSection::SetIndex(int value) {
  if (!bar_) return;
  const int current = Index();
  if (current < 0) return;
  value = std::clamp(value, 0, bar_->SectionCount() - 1);
  if (value == current) return;
  bar_->sections_.move(current, value);
  for (int s = 0; s < bar_->SectionCount(); ++s) {
    for (TSpeedItem* item : bar_->sections_.at(s)->items_) item->sectionIndex_ = s;
  }
}

void TSpeedbarSection::SetParentComponent(TSpeedBar* bar) {
  const int previous = Index();
  if (bar_) bar_->DetachSection(Index());
  if (bar) {
    bar->AddSection(this);
    if (previous >= 0) SetIndex(previous);
  }
}

// ---- TSpeedbarButton ----

TSpeedbarButton::TSpeedbarButton(TSpeedItem* item) : TXcSpeedButton(nullptr), item_(item) {
  hide();
  SetStyle(Xc::bsNew);
  SetParentShowHint(true);
  SetParentFont(true);
}

void TSpeedbarButton::SetBounds(int left, int top, int width, int height) {
  if (TSpeedBar* bar = item_->Bar()) {
    if (bar->Orientation() == soHorizontal)
      top = std::max(top, bar->BtnOffsetVert());
    else
      left = std::max(left, bar->BtnOffsetHorz());
  }
  setGeometry(left, top, width, height);
}

void TSpeedbarButton::PaintGlyph(QPainter& canvas, const QRect& rect, Xc::TButtonPaintState state,
                                 bool drawMark) {
  const TImageList* images = item_->Bar() ? item_->Bar()->Images() : nullptr;
  ButtonGlyph().DrawEx(canvas, rect, Caption(), Layout(), Margin(), Spacing(), drawMark, images,
                       images ? item_->ImageIndex() : -1, state, CaptionFlags(Alignment()));
}

bool TSpeedbarButton::InEditing() const {
  return item_->Editing() && item_->Bar();
}

void TSpeedbarButton::mousePressEvent(QMouseEvent* e) {
  // In editing mode a press picks the button up instead of clicking it.
  if (!InEditing()) {
    TXcSpeedButton::mousePressEvent(e);
    return;
  }
  if (e->button() == Qt::LeftButton && isVisible() && !dragImage_)
    StartDrag(e->globalPosition().toPoint());
}

void TSpeedbarButton::mouseDoubleClickEvent(QMouseEvent* e) {
  if (InEditing())
    mousePressEvent(e);
  else
    TXcSpeedButton::mouseDoubleClickEvent(e);
}

void TSpeedbarButton::mouseMoveEvent(QMouseEvent* e) {
  if (!InEditing()) {
    TXcSpeedButton::mouseMoveEvent(e);
    return;
  }
  if (!dragImage_) return;
  // Hidden, the button keeps the mouse until the release.
  hide();
  MoveDragImage(e->globalPosition().toPoint() + dragOffset_);
}

void TSpeedbarButton::mouseReleaseEvent(QMouseEvent* e) {
  if (!InEditing() && !dragImage_) {
    TXcSpeedButton::mouseReleaseEvent(e);
    return;
  }
  if (e->button() == Qt::LeftButton && dragImage_)
    EndDrag(e->globalPosition().toPoint() + dragOffset_);
}

void TSpeedbarButton::StartDrag(const QPoint& pressedAt) {
  // The picture lies over the button with its bottom-right corner at the cursor.
  const QPoint corner = mapToGlobal(QPoint(width(), height()));
  QCursor::setPos(corner);
  // Where no program may move the pointer, the picture keeps its place relative to the press.
  dragOffset_ = QCursor::pos() == corner ? QPoint() : corner - pressedAt;
  auto* image = new TBtnControl(this);
  image->setFont(font());
  image->SetGlyph(Glyph());
  image->SetNumGlyphs(NumGlyphs());
  image->SetCaption(Caption());
  image->SetAlignment(Alignment());
  image->SetWordWrap(WordWrap());
  image->SetLayout(Layout());
  image->SetMargin(Margin());
  image->SetSpacing(Spacing());
  const TImageList* images = item_->Bar()->Images();
  image->SetImages(images);
  image->SetImageIndex(images ? item_->ImageIndex() : -1);
  image->resize(size());
  dragImage_ = image;
  grabMouse();
  MoveDragImage(corner);
}

void TSpeedbarButton::MoveDragImage(const QPoint& globalPos) {
  TSpeedBar* bar = item_->Bar();
  dragImage_->move(globalPos - QPoint(dragImage_->width(), dragImage_->height()));
  if (bar && bar->rect().contains(bar->mapFromGlobal(globalPos))) {
    dragImage_->show();
  } else {
    dragImage_->hide();
  }
}

void TSpeedbarButton::EndDrag(const QPoint& globalPos) {
  delete dragImage_.data();
  if (mouseGrabber() == this) releaseMouse();
  TSpeedBar* bar = item_->Bar();
  if (!bar) return;
  const QPoint at = bar->mapFromGlobal(globalPos);
  if (!bar->rect().contains(at)) {
    // Dropped off the bar: the item leaves it.
    lower();
    item_->SetVisible(false);
    bar->Notify(snBarChanged);
    return;
  }
  if (bar->MoveItemTo(item_, at.x() - width(), at.y() - height()))
    bar->Notify(snItemMoved, item_);
  else
    bar->Notify(snBarChanged);
}

// ---- TSpeedItem ----

TSpeedItem::TSpeedItem(QObject* owner) : QObject(owner), button_(new TSpeedbarButton(this)) {
  button_->hide();
  button_->setGeometry(0, 0, kDefaultBtnWidth, kDefaultBtnHeight);
  button_->SetShowHint(true);
  button_->SetParentShowHint(true);
  connect(button_, &TXcSpeedButton::OnClick, this, &TSpeedItem::OnClick);
  connect(button_, &TXcSpeedButton::OnDblClick, this, &TSpeedItem::OnDblClick);
  connect(button_, &TXcSpeedButton::OnMouseDown, this, &TSpeedItem::OnMouseDown);
  connect(button_, &TXcSpeedButton::OnMouseMove, this, &TSpeedItem::OnMouseMove);
  connect(button_, &TXcSpeedButton::OnMouseUp, this, &TSpeedItem::OnMouseUp);
  connect(button_, &TXcSpeedButton::OnMouseEnter, this, &TSpeedItem::OnMouseEnter);
  connect(button_, &TXcSpeedButton::OnMouseLeave, this, &TSpeedItem::OnMouseLeave);
}

TSpeedItem::~TSpeedItem() {
  visible_ = false;
  if (bar_) bar_->RemoveItem(this);
  delete button_;
}

int TSpeedItem::SectionIndex() {
  int position = 0;
  if (!bar_ || !bar_->FindItem(this, sectionIndex_, position)) sectionIndex_ = -1;
  return sectionIndex_;
}

QString TSpeedItem::SectionName() {
  const int index = SectionIndex();
  if (index < 0) return sectionName_;
  return bar_->Section(index)->Caption();
}

void TSpeedItem::SetSection(int index) {
  if (!bar_) sectionIndex_ = index;
}

void TSpeedItem::SetParentComponent(TSpeedBar* bar) {
  if (bar_) bar_->RemoveItem(this);
  if (!bar) return;
  int index = std::max(sectionIndex_, 0);
  if (!sectionName_.isEmpty()) {
    const int found = bar->FindSection(sectionName_);
    if (found >= 0) index = found;
  }
  bar->AddItem(index, this);
}

void TSpeedItem::SetName(const QString& name) {
  const QString old = objectName();
  setObjectName(name);
  button_->setObjectName(name);
  if (caption_ == old && !OwnerLoads(this)) SetCaption(name);
}

void TSpeedItem::ButtonClick() {
  button_->Click();
}

void TSpeedItem::SetEditing(bool value) {
  editing_ = value;
  if (value) {
    button_->setEnabled(true);
    button_->SetFlat(false);
  } else {
    const bool wasEnabled = enabled_;
    enabled_ = !wasEnabled;  // forces the setter to apply the flag
    SetEnabled(wasEnabled);
    if (bar_) button_->SetFlat(bar_->Options().testFlag(sbFlatBtns));
  }
}

void TSpeedItem::SetCaption(const QString& value) {
  const QString hint = Hint();
  const bool updateHint =
      !parent() || !parent()->isWidgetType() || (!OwnerLoads(this) && caption_ == ShortHint(hint));
  caption_ = value;
  if (!updateHint) return;
  if (!value.contains(QLatin1Char('|'))) {
    SetHint(hint.contains(QLatin1Char('|')) ? value + "|" + LongHint(hint) : value + "|");
  } else if (!LongHint(value).isEmpty()) {
    SetHint(value);
  } else {
    SetHint(ShortHint(value) + "|" + LongHint(hint));
  }
}

void TSpeedItem::SetEnabled(bool value) {
  const bool buttonEnabled = !button_->testAttribute(Qt::WA_ForceDisabled);
  if (value == buttonEnabled && value == enabled_) return;
  enabled_ = value;
  if (editing_) return;
  const bool barDisabled = bar_ && bar_->testAttribute(Qt::WA_ForceDisabled);
  button_->setEnabled(value && !barDisabled);
}

void TSpeedItem::SetCursor(int value) {
  cursor_ = value;
  if (value == 0)
    button_->unsetCursor();
  else
    button_->setCursor(CursorRegistry::ByNumber(value));
}

void TSpeedItem::SetImageIndex(int value) {
  if (!SetIfChanged(imageIndex_, value)) return;
  button_->ButtonGlyph().Invalidate();
  button_->update();
}

void TSpeedItem::SetTag(int value) {
  tag_ = value;
  button_->setProperty("Tag", value);
}

void TSpeedItem::SetLeft(int value) {
  button_->SetBounds(value, Top(), button_->width(), button_->height());
}

void TSpeedItem::SetTop(int value) {
  button_->SetBounds(Left(), value, button_->width(), button_->height());
}

void TSpeedItem::SetVisible(bool value) {
  const bool buttonVisible = !button_->isHidden();
  if (value == buttonVisible && value == visible_ && (!value || button_->parentWidget())) return;
  visible_ = value;
  if (value && bar_ && button_->parentWidget() != bar_) button_->setParent(bar_);
  // Without a bar the button has nowhere to show; it never becomes a window of its own.
  const bool barHidden = !bar_ || bar_->isHidden();
  button_->setVisible(value && !barHidden && button_->parentWidget());
}

// ---- TSpeedBar ----

TSpeedBar::TSpeedBar(QWidget* parent) : QWidget(parent), iniLink_(std::make_unique<TIniLink>()) {
  iniLink_->OnSave = [this](TIniLink*) { SaveLayout(); };
  iniLink_->OnLoad = [this](TIniLink*) { RestoreLayout(); };
  offset_[0] = offset_[1] = MinOffset();
  resize(185, 2 * MinOffset() + kDefaultBtnHeight);
  SetDefaultFont();
  setAutoFillBackground(false);
  UpdateGridSize();
  AlignParent();
}

TSpeedBar::~TSpeedBar() {
  OnApplyAlign = nullptr;
  OnPosChanged = nullptr;
  OnVisibleChanged = nullptr;
  Notify(snBarDestroyed);
  // A window that is the bar's child goes after the bar's members: its going must find no
  // handler of the bar.
  if (editWin_) disconnect(editWin_, nullptr, this, nullptr);
  editWin_ = nullptr;
  delete dragFrame_;
  iniLink_.reset();
  while (!sections_.isEmpty()) DeleteSection(SectionCount() - 1);
}

int TSpeedBar::AddSection(TSpeedbarSection* section) {
  if (!section) return -1;
  const QString caption = section->caption_;
  QString unique = caption;
  for (int i = 1; FindSection(unique) >= 0; ++i) unique = caption + QString(" (%1)").arg(i);
  section->caption_ = unique;
  sections_.append(section);
  const int index = SectionCount() - 1;
  section->bar_ = this;
  for (TSpeedItem* item : section->items_) {
    item->sectionIndex_ = index;
    SetItemParams(item, !loading_);
  }
  return index;
}

void TSpeedBar::ForEachItem(const TItemProc& proc, void* userData, int param) {
  if (!proc) return;
  for (TSpeedbarSection* section : QList<TSpeedbarSection*>(sections_)) {
    for (TSpeedItem* item : QList<TSpeedItem*>(section->items_)) {
      if (item) proc(userData, item, param);
    }
  }
}

void TSpeedBar::SetDefaultFont() {
  QFont menuFont = QApplication::font("QMenu");
  setFont(menuFont);
}

void TSpeedBar::SetParentFont(bool value) {
  if (value == ParentFont()) return;
  if (value)
    setFont(QFont());
  else
    setFont(font());
}

QStringList TSpeedBar::SectionCaptions() const {
  QStringList captions;
  for (const TSpeedbarSection* section : sections_) captions << section->caption_;
  return captions;
}

void TSpeedBar::ReadSections(const QStringList& captions) {
  for (const QString& caption : captions) {
    if (FindSection(caption) < 0) AppendSection(caption);
  }
}

void TSpeedBar::SetAllowDrag(bool value) {
  TSpeedbarOptions options = options_;
  options.setFlag(sbAllowDrag, value);
  SetOptions(options);
}

TSpeedbarSection* TSpeedBar::Section(int index) const {
  return index >= 0 && index < SectionCount() ? sections_.at(index) : nullptr;
}

int TSpeedBar::FindSection(const QString& caption) const {
  for (int i = 0; i < SectionCount(); ++i) {
    if (sections_.at(i)->caption_ == caption) return i;
  }
  return -1;
}

int TSpeedBar::AppendSection(const QString& caption) {
  QObject* owner = parent() ? parent() : this;
  auto* section = new TSpeedbarSection(owner);
  section->caption_ = caption;
  return AddSection(section);
}

void TSpeedBar::DeleteSection(int index) {
  TSpeedbarSection* section = Section(index);
  if (!section) return;
  qDeleteAll(QList<TSpeedItem*>(section->items_));
  DetachSection(static_cast<int>(sections_.indexOf(section)));
  delete section;
}

void TSpeedBar::DetachSection(int index) {
  TSpeedbarSection* section = Section(index);
  if (!section) return;
  for (TSpeedItem* item : QList<TSpeedItem*>(section->items_)) RemoveItem(item);
  section->bar_ = nullptr;
  sections_.removeAt(index);
  for (int s = index; s < SectionCount(); ++s) {
    for (TSpeedItem* item : sections_.at(s)->items_) item->sectionIndex_ = s;
  }
}

void TSpeedBar::AddItem(int sectionIndex, TSpeedItem* item) {
  if (!item) return;
  int found = -1;
  int position = -1;
  if (FindItem(item, found, position)) {
    sections_.at(found)->items_.removeAt(position);
    const int target = std::clamp(sectionIndex, 0, SectionCount() - 1);
    sections_.at(target)->items_.append(item);
    item->sectionIndex_ = target;
    return;
  }
  if (sectionIndex < 0) return;
  item->sectionIndex_ = sectionIndex;
  if (OnAddItem) OnAddItem(item);
  int index = item->sectionIndex_;
  if (sections_.isEmpty()) AppendSection(QString());
  index = std::clamp(index, 0, SectionCount() - 1);
  sections_.at(index)->items_.append(item);
  item->sectionIndex_ = index;
  SetItemParams(item, !loading_);
  item->button_->hide();
  item->button_->setParent(this);
}

void TSpeedBar::RemoveItem(TSpeedItem* item) {
  int section = -1;
  int position = -1;
  if (!item) return;
  if (FindItem(item, section, position)) sections_.at(section)->items_.removeAt(position);
  if (item->button_->parentWidget()) {
    item->button_->hide();
    item->button_->setParent(nullptr);
  }
  item->bar_ = nullptr;
  item->sectionIndex_ = -1;
}

bool TSpeedBar::FindItem(const TSpeedItem* item, int& sectionIndex, int& position) const {
  for (int s = 0; s < SectionCount(); ++s) {
    const qsizetype at = sections_.at(s)->items_.indexOf(const_cast<TSpeedItem*>(item));
    if (at >= 0) {
      sectionIndex = s;
      position = static_cast<int>(at);
      return true;
    }
  }
  return false;
}

TSpeedItem* TSpeedBar::FindItemByName(const QString& name) const {
  for (TSpeedbarSection* section : sections_) {
    for (TSpeedItem* item : section->items_) {
      if (item->objectName().compare(name, Qt::CaseInsensitive) == 0) return item;
    }
  }
  return nullptr;
}

int TSpeedBar::ItemCount() const {
  int count = 0;
  for (const TSpeedbarSection* section : sections_)
    count += static_cast<int>(section->items_.size());
  return count;
}

void TSpeedBar::AllItems(const std::function<void(TSpeedItem*)>& proc) const {
  for (TSpeedbarSection* section : QList<TSpeedbarSection*>(sections_)) {
    for (TSpeedItem* item : QList<TSpeedItem*>(section->items_)) proc(item);
  }
}

void TSpeedBar::SetItemParams(TSpeedItem* item, bool applySize) {
  item->bar_ = this;
  TSpeedbarButton* button = item->button_;
  if (applySize) button->SetBounds(0, 0, btnSize_.width(), btnSize_.height());
  button->SetStyle(Xc::bsNew);
  button->SetFlat(options_.testFlag(sbFlatBtns));
  button->SetTransparent(options_.testFlag(sbTransparentBtns));
  button->SetGrayedInactive(options_.testFlag(sbGrayedBtns));
  const bool editing = !editWin_.isNull();
  if (editing || item->editing_) item->SetEditing(editing);
}

QPoint TSpeedBar::SnapPoint(int x, int y) const {
  if (Orientation() == soHorizontal) {
    x = RoundHalfEven(x - offset_[0], gridSize_.width()) * gridSize_.width() + offset_[0];
    y = ((y - offset_[1]) / gridSize_.height()) * gridSize_.height() + offset_[1];
  } else {
    y = RoundHalfEven(y - offset_[1], gridSize_.height()) * gridSize_.height() + offset_[1];
    x = ((x - offset_[0]) / gridSize_.width()) * gridSize_.width() + offset_[0];
  }
  return {x, y};
}

void TSpeedBar::SnapItemToGrid(TSpeedItem* item) {
  if (!item->Visible()) return;
  const QPoint at = SnapPoint(item->Left(), item->Top());
  item->button_->SetBounds(at.x(), at.y(), item->button_->width(), item->button_->height());
}

bool TSpeedBar::MoveItemTo(TSpeedItem* item, int x, int y) {
  int section = -1;
  int position = -1;
  if (!item || !FindItem(item, section, position)) return false;
  const QPoint at = SnapPoint(x, y);
  item->button_->SetBounds(at.x(), at.y(), item->button_->width(), item->button_->height());
  const bool inside = rect().contains(at);
  if (inside)
    item->button_->raise();
  else
    item->button_->lower();
  item->SetVisible(inside);
  return inside;
}

void TSpeedBar::SnapAllItems() {
  AllItems([this](TSpeedItem* item) { SnapItemToGrid(item); });
}

void TSpeedBar::UpdateGridSize() {
  if (Orientation() == soHorizontal)
    gridSize_ = QSize(GridStep(btnSize_.width()), btnSize_.height());
  else
    gridSize_ = QSize(btnSize_.width(), GridStep(btnSize_.height()));
}

void TSpeedBar::ApplyButtonSize() {
  AllItems([this](TSpeedItem* item) {
    item->button_->SetBounds(item->Left(), item->Top(), btnSize_.width(), btnSize_.height());
  });
  Notify(snGeometry);
}

void TSpeedBar::SetEditWin(QWidget* window) {
  if (editWin_ != window) {
    if (editWin_) disconnect(editWin_, &QObject::destroyed, this, nullptr);
    // A window that goes without detaching takes the items out of editing all the same.
    if (window) connect(window, &QObject::destroyed, this, [this] { SetEditWin(nullptr); });
  }
  editWin_ = window;
  const bool editing = window != nullptr;
  AllItems([editing](TSpeedItem* item) { item->SetEditing(editing); });
  // The resize band needs the mouse without a button held.
  setMouseTracking(editing);
  if (!editing && sizeCursor_) {
    sizeCursor_ = false;
    unsetCursor();
  }
}

void TSpeedBar::Notify(int code, TSpeedItem* item) {
  if (!editWin_) return;
  TSpeedbarNotifyEvent message(code, item);
  QCoreApplication::sendEvent(editWin_, &message);
}

void TSpeedBar::ChangeScale(int M, int D) {
  if (D == 0) return;
  alignDisabled_ = true;
  const int parts = loading_ ? scaledParts_ : (spHorzOffset | spVertOffset | spWidth | spHeight);
  const bool fixedWidth = sizePolicy().horizontalPolicy() == QSizePolicy::Fixed;
  const bool fixedHeight = sizePolicy().verticalPolicy() == QSizePolicy::Fixed;
  if ((parts & spWidth) && !fixedWidth) btnSize_.setWidth(MulDiv(btnSize_.width(), M, D));
  if ((parts & spHeight) && !fixedHeight) btnSize_.setHeight(MulDiv(btnSize_.height(), M, D));
  if (parts & spHorzOffset) offset_[0] = MulDiv(offset_[0], M, D);
  if (parts & spVertOffset) offset_[1] = MulDiv(offset_[1], M, D);
  UpdateGridSize();
  // The bar and its buttons scale as any panel and its children do.
  setGeometry(MulDiv(x(), M, D), MulDiv(y(), M, D), fixedWidth ? width() : MulDiv(width(), M, D),
              fixedHeight ? height() : MulDiv(height(), M, D));
  AllItems([M, D](TSpeedItem* item) {
    TSpeedbarButton* b = item->button_;
    b->SetBounds(MulDiv(b->x(), M, D), MulDiv(b->y(), M, D), b->width(), b->height());
  });
  ApplyButtonSize();
  SnapAllItems();
  scaledParts_ = 0;
  alignDisabled_ = false;
  AlignParent();
}

int TSpeedBar::MinOffset() const {
  int result = options_.testFlag(sbFlatBtns) ? 0 : 2;
  result += borderWidth_;
  if (bevelOuter_ != bvNone) result += bevelWidth_;
  if (bevelInner_ != bvNone) result += bevelWidth_;
  return result;
}

TSpeedbarOrientation TSpeedBar::Orientation() const {
  if (position_ == bpCustom) return orientation_;
  switch (prevAlign_) {
    case alTop:
    case alBottom:
      return soHorizontal;
    case alLeft:
    case alRight:
      return soVertical;
    default:
      return orientation_;
  }
}

void TSpeedBar::SetOrientation(TSpeedbarOrientation value) {
  if (value == orientation_) return;
  if (loading_) {
    // A description holds its buttons as laid out for its orientation already.
    orientation_ = value;
    return;
  }
  locked_ = true;
  orientation_ = value;
  btnSize_.transpose();
  gridSize_.transpose();
  std::swap(offset_[0], offset_[1]);
  AllItems([this](TSpeedItem* item) {
    const int left = item->Left();
    const int top = item->Top();
    item->button_->SetBounds(top, left, btnSize_.width(), btnSize_.height());
  });
  locked_ = false;
  update();
  Notify(snGeometry);
}

void TSpeedBar::SetBoundLines(TBoundLines value) {
  if (!SetIfChanged(boundLines_, value)) return;
  // Each line takes 2 pixels off the area that controls aligned on the bar share.
  auto line = [value](TBoundLine l) { return value.testFlag(l) ? 2 : 0; };
  setContentsMargins(line(blLeft), line(blTop), line(blRight), line(blBottom));
  AlignBars(this);
  Realign();
  update();
}

void TSpeedBar::SetPosition(TBarPosition value) {
  if (value == position_) return;
  // The orientation the alignment gave stays when the bar takes its own.
  if (value == bpCustom) orientation_ = Orientation();
  position_ = value;
}

void TSpeedBar::SetAlign(TAlign value) {
  if (loading_ && position_ == bpAuto && value == alNone) fixAlign_ = true;
  if (value == prevAlign_) return;
  if (position_ == bpAuto && (value == alNone || value == alClient))
    throw ESpeedbarError("Cannot set this property value while Position is bpAuto");
  const auto edge = [](TAlign a) { return a >= alTop && a <= alRight; };
  const auto across = [](TAlign a) { return a == alLeft || a == alRight; };
  const TAlign old = prevAlign_;
  prevAlign_ = value;
  // Turned on its side the bar keeps its thickness: width and height change places
  // before the new edge stretches it along. A description's own size stays, and the
  // bar takes its edge when loaded.
  if (!loading_) {
    if (edge(old) && edge(value) && across(old) != across(value)) resize(height(), width());
    AlignParent();
  }
  if (position_ != bpAuto) return;
  if (value == alTop || value == alBottom) SetOrientation(soHorizontal);
  if (value == alLeft || value == alRight) SetOrientation(soVertical);
}

void TSpeedBar::Loaded() {
  loading_ = false;
  const bool fixAlign = fixAlign_ && internalVer_ == 0;
  fixAlign_ = false;
  if (fixAlign) SetAlign(alTop);
  UpdateGridSize();
  ApplyButtonSize();
  AllItems([](TSpeedItem* item) {
    const bool visible = item->visible_;
    item->visible_ = !visible;  // forces the setter to apply the flag
    item->SetVisible(visible);
  });
  AlignParent();
}

void TSpeedBar::AlignParent() {
  QWidget* host = parentWidget();
  if (host != alignedParent_) {
    if (alignedParent_) alignedParent_->removeEventFilter(this);
    alignedParent_ = host;
    if (host) host->installEventFilter(this);
  }
  if (host && !alignDisabled_) AlignBars(host);
}

void TSpeedBar::SetOptions(TSpeedbarOptions value) {
  if (value == options_) return;
  const bool flatChanged = (value ^ options_).testFlag(sbFlatBtns);
  options_ = value;
  AllItems([this](TSpeedItem* item) {
    item->button_->SetFlat(options_.testFlag(sbFlatBtns));
    item->button_->SetTransparent(options_.testFlag(sbTransparentBtns));
    item->button_->SetGrayedInactive(options_.testFlag(sbGrayedBtns));
  });
  UpdateGridSize();
  if (flatChanged) Realign();
  update();
}

void TSpeedBar::SetOffset(int index, int value) {
  if (index < 0 || index > 1) return;
  value = std::max(value, MinOffset());
  const int delta = value - offset_[index];
  offset_[index] = value;
  scaledParts_ |= index == 0 ? spHorzOffset : spVertOffset;
  if (delta != 0) MoveAllButtons(index == 0 ? delta : 0, index == 1 ? delta : 0);
}

void TSpeedBar::SetBtnSize(int index, int value) {
  if (index == 0)
    btnSize_.setWidth(value);
  else
    btnSize_.setHeight(value);
  scaledParts_ |= index == 0 ? spWidth : spHeight;
  UpdateGridSize();
  if (loading_) return;
  if (Orientation() == soHorizontal)
    resize(width(), std::max(height(), 2 * offset_[1] + btnSize_.height()));
  else
    resize(std::max(width(), 2 * offset_[0] + btnSize_.width()), height());
  ApplyButtonSize();
}

void TSpeedBar::MoveAllButtons(int dx, int dy) {
  AllItems([=](TSpeedItem* item) {
    TSpeedbarButton* b = item->button_;
    b->SetBounds(b->x() + dx, b->y() + dy, b->width(), b->height());
  });
}

void TSpeedBar::Realign() {
  const int minimum = MinOffset();
  const int dx = std::max(0, minimum - offset_[0]);
  const int dy = std::max(0, minimum - offset_[1]);
  offset_[0] += dx;
  offset_[1] += dy;
  if (dx != 0 || dy != 0) MoveAllButtons(dx, dy);
}

void TSpeedBar::SetWallpaper(const QPixmap& value) {
  wallpaper_ = value;
  update();
}

void TSpeedBar::SetImages(TImageList* value) {
  images_ = value;
  AllItems([](TSpeedItem* item) {
    if (item->ImageIndex() < 0) return;
    item->button_->ButtonGlyph().Invalidate();
    item->button_->update();
  });
}

void TSpeedBar::SetBevelOuter(TBevelCut value) {
  bevelOuter_ = value;
  Realign();
  update();
}

void TSpeedBar::SetBevelInner(TBevelCut value) {
  bevelInner_ = value;
  Realign();
  update();
}

void TSpeedBar::SetBevelWidth(int value) {
  bevelWidth_ = std::max(1, value);
  Realign();
  update();
}

void TSpeedBar::SetBorderWidth(int value) {
  borderWidth_ = std::max(0, value);
  Realign();
  update();
}

bool TSpeedBar::eventFilter(QObject* watched, QEvent* e) {
  if (watched == parentWidget() && e->type() == QEvent::Resize) AlignBars(parentWidget());
  return QWidget::eventFilter(watched, e);
}

void TSpeedBar::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // A bar that grew or shrank moves the bars placed after it.
  if (!loading_ && prevAlign_ >= alTop && prevAlign_ <= alClient) AlignParent();
}

bool TSpeedBar::event(QEvent* e) {
  const bool result = QWidget::event(e);
  if (e->type() == QEvent::ParentChange) AlignParent();
  if (e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent) {
    const bool shown = !isHidden();
    AllItems([this, shown](TSpeedItem* item) {
      TSpeedbarButton* b = item->button_;
      if (item->visible_ && shown && b->parentWidget() != this) b->setParent(this);
      b->setVisible(item->visible_ && shown && b->parentWidget());
    });
    if (OnVisibleChanged) OnVisibleChanged(this);
    if (parentWidget()) AlignBars(parentWidget());
  }
  return result;
}

void TSpeedBar::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) {
    const bool enabled = !testAttribute(Qt::WA_ForceDisabled);
    AllItems([enabled](TSpeedItem* item) { item->button_->setEnabled(item->enabled_ && enabled); });
  }
}

QRect TSpeedBar::InnerRect() const {
  int inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  return rect().adjusted(inset, inset, -inset, -inset);
}

void TSpeedBar::paintEvent(QPaintEvent*) {
  if (locked_) return;
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  const QColor shadow = Xc::BtnShadowColor();
  const QColor highlight = Xc::BtnHighlightColor();
  auto bevel = [&](QRect r, TBevelCut cut) {
    if (cut == bvNone) return r;
    for (int i = 0; i < bevelWidth_; ++i) {
      if (cut != bvSpace) {
        const QColor& topLeft = cut == bvRaised ? highlight : shadow;
        const QColor& bottomRight = cut == bvRaised ? shadow : highlight;
        p.setPen(topLeft);
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.drawLine(r.left(), r.top(), r.left(), r.bottom());
        p.setPen(bottomRight);
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
      }
      r.adjust(1, 1, -1, -1);
    }
    return r;
  };
  QRect r = bevel(rect(), bevelOuter_);
  r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
  bevel(r, bevelInner_);

  const QRect inner = InnerRect();
  if (wallpaper_.width() >= 1 && wallpaper_.height() >= 1) {
    p.save();
    p.setClipRect(inner);
    if (options_.testFlag(sbStretchBitmap)) {
      p.drawPixmap(inner, wallpaper_);
    } else {
      const int inset = inner.left();
      const int columns = (width() - 2 * inset) / wallpaper_.width() + 1;
      const int rows = (height() - 2 * inset) / wallpaper_.height() + 1;
      for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col)
          p.drawPixmap(inner.left() + col * wallpaper_.width(),
                       inner.top() + row * wallpaper_.height(), wallpaper_);
      }
    }
    p.restore();
  }
  // Edges are exclusive: right = left + width, bottom = top + height.
  const int left = inner.left();
  const int top = inner.top();
  const int right = inner.left() + inner.width();
  const int bottom = inner.top() + inner.height();
  auto hline = [&](const QColor& c, int y, int x0, int x1) {
    p.setPen(c);
    p.drawLine(x0, y, x1 - 1, y);
  };
  auto vline = [&](const QColor& c, int x, int y0, int y1) {
    p.setPen(c);
    p.drawLine(x, y0, x, y1 - 1);
  };
  if (boundLines_.testFlag(blTop)) {
    hline(shadow, top, left, right);
    hline(highlight, top + 1, left, right);
  }
  if (boundLines_.testFlag(blLeft)) {
    vline(shadow, left, top, bottom);
    vline(highlight, left + 1, boundLines_.testFlag(blTop) ? top + 1 : top, bottom);
  }
  if (boundLines_.testFlag(blBottom)) {
    hline(shadow, bottom - 2, left, right);
    hline(highlight, bottom - 1, left, right);
  }
  if (boundLines_.testFlag(blRight)) {
    vline(shadow, right - 2, top, boundLines_.testFlag(blBottom) ? bottom - 1 : bottom);
    vline(highlight, right - 1, top, bottom);
  }
}

bool TSpeedBar::AlignAccepted(TAlign align) {
  bool apply = true;
  if (OnApplyAlign) OnApplyAlign(this, align, apply);
  return apply;
}

TAlign TSpeedBar::DragTarget(const QPoint& globalPos) const {
  QWidget* host = parentWidget();
  return DragTargetAlign(host->mapFromGlobal(globalPos), host->size());
}

void TSpeedBar::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  if (e->button() != Qt::LeftButton) return;
  // A release the bar never saw ends the mode it left behind.
  if (mouseMode_ != MouseMode::Idle) EndMouseMode();
  // The widget under a press keeps the mouse until the release.
  dragStart_ = e->globalPosition().toPoint();
  mouseMode_ = ResizeCursorAt(e->position().toPoint()) != Qt::ArrowCursor ? MouseMode::Resizing
                                                                          : MouseMode::Pressed;
}

void TSpeedBar::mouseMoveEvent(QMouseEvent* e) {
  QWidget::mouseMoveEvent(e);
  const QPoint pos = e->position().toPoint();
  const bool leftHeld = (e->buttons() & Qt::LeftButton) != 0;
  switch (mouseMode_) {
    case MouseMode::Idle: {
      const Qt::CursorShape shape = ResizeCursorAt(pos);
      if (shape != Qt::ArrowCursor) {
        setCursor(shape);
        sizeCursor_ = true;
      } else if (sizeCursor_) {
        sizeCursor_ = false;
        unsetCursor();
      }
      return;
    }
    case MouseMode::Resizing:
      if (leftHeld) ResizeTo(pos);
      return;
    case MouseMode::Pressed:
    case MouseMode::Dragging:
      break;
  }
  const bool canDrag = options_.testFlag(sbAllowDrag) && parentWidget() && prevAlign_ >= alTop &&
                       prevAlign_ <= alRight;
  if (!canDrag || !leftHeld) return;
  const QPoint at = e->globalPosition().toPoint();
  if (mouseMode_ == MouseMode::Dragging) {
    const TAlign side = DragTarget(at);
    const QRect frame = AlignAccepted(side) ? DragFrame(side) : dragStartRect_;
    if (frame != dragRect_) ShowDragFrame(frame);
  } else if (std::abs(at.x() - dragStart_.x()) >= kDragThreshold ||
             std::abs(at.y() - dragStart_.y()) >= kDragThreshold) {
    mouseMode_ = MouseMode::Dragging;
    dragAlign_ = prevAlign_;
    dragStartRect_ = QRect(mapToGlobal(QPoint(0, 0)), size());
    ShowDragFrame(dragStartRect_);
    sizeCursor_ = false;
    setCursor(CursorRegistry::ByNumber(kDragCursor));
  }
}

Qt::CursorShape TSpeedBar::ResizeCursorAt(const QPoint& pos) const {
  if (!options_.testFlag(sbAllowResize) || !editWin_ || mouseMode_ == MouseMode::Dragging)
    return Qt::ArrowCursor;
  const int x = pos.x();
  const int y = pos.y();
  const bool alongX = 1 <= x && x <= width();
  const bool alongY = 1 <= y && y <= height();
  // The band reaches a little beyond the edge that faces the parent's free area.
  const auto inner = [](int v, int edge) {
    return edge - kResizeBand < v && v <= edge + kResizeBand;
  };
  const auto outer = [](int v) { return 1 - kResizeBand <= v && v <= kResizeBand; };
  switch (prevAlign_) {
    case alTop:
      return alongX && inner(y, height()) ? Qt::SizeVerCursor : Qt::ArrowCursor;
    case alBottom:
      return alongX && outer(y) ? Qt::SizeVerCursor : Qt::ArrowCursor;
    case alLeft:
      return alongY && inner(x, width()) ? Qt::SizeHorCursor : Qt::ArrowCursor;
    case alRight:
      return alongY && outer(x) ? Qt::SizeHorCursor : Qt::ArrowCursor;
    default:
      return Qt::ArrowCursor;
  }
}

void TSpeedBar::ResizeTo(const QPoint& pos) {
  QWidget* host = parentWidget();
  if (!host || !host->rect().contains(mapTo(host, pos))) return;
  const int btnWidth = std::max(1, btnSize_.width());
  const int btnHeight = std::max(1, btnSize_.height());
  // A whole number of button rows (columns), at least one.
  int rows = 0;
  switch (prevAlign_) {
    case alTop:
      rows = std::abs(pos.y() - 2 * offset_[1]) / btnHeight;
      break;
    case alBottom:
      rows = std::abs(height() - 2 * offset_[1] - pos.y()) / btnHeight;
      break;
    case alLeft:
      rows = std::abs(pos.x() - 2 * offset_[0]) / btnWidth;
      break;
    case alRight:
      rows = std::abs(width() - 2 * offset_[0] - pos.x()) / btnWidth;
      break;
    default:
      return;
  }
  rows = std::max(1, rows);
  if (prevAlign_ == alTop || prevAlign_ == alBottom)
    resize(width(), std::min(rows * btnHeight + 2 * offset_[1], host->height()));
  else
    resize(std::min(rows * btnWidth + 2 * offset_[0], host->width()), height());
}

void TSpeedBar::EndMouseMode() {
  const MouseMode mode = mouseMode_;
  mouseMode_ = MouseMode::Idle;
  if (mode == MouseMode::Dragging) ShowDragFrame(QRect());
  if (mode == MouseMode::Dragging || mode == MouseMode::Resizing || sizeCursor_) unsetCursor();
  sizeCursor_ = false;
}

void TSpeedBar::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  // A hidden bar gets no release: its frame and cursor go now.
  EndMouseMode();
}

QRect TSpeedBar::DragFrame(TAlign align) const {
  QWidget* host = parentWidget();
  QRect frame(host->mapToGlobal(QPoint(0, 0)), host->size());
  auto rank = [](TAlign a) { return a >= alTop && a <= alRight ? static_cast<int>(a) : 0; };
  const QRect mine = geometry();
  for (QObject* child : host->children()) {
    const TAlign other = EdgeAlign(child);
    if (child == this || rank(other) == 0 || rank(other) > rank(align)) continue;
    const QRect r = static_cast<QWidget*>(child)->geometry();
    // A bar of the same edge counts only when it lies nearer that edge.
    if (other == align) {
      const bool nearer = (align == alTop && r.top() < mine.top()) ||
                          (align == alBottom && r.bottom() > mine.bottom()) ||
                          (align == alLeft && r.left() < mine.left()) ||
                          (align == alRight && r.right() > mine.right());
      if (!nearer) continue;
    }
    if (other == alTop) frame.setTop(frame.top() + r.height());
    if (other == alBottom) frame.setBottom(frame.bottom() - r.height());
    if (other == alLeft) frame.setLeft(frame.left() + r.width());
    if (other == alRight) frame.setRight(frame.right() - r.width());
  }
  const int thickness = Orientation() == soHorizontal ? height() : width();
  if (align == alTop) frame.setHeight(thickness);
  if (align == alBottom) frame.setTop(frame.bottom() + 1 - thickness);
  if (align == alLeft) frame.setWidth(thickness);
  if (align == alRight) frame.setLeft(frame.right() + 1 - thickness);
  return frame;
}

void TSpeedBar::ShowDragFrame(const QRect& frame) {
  dragRect_ = frame;
  QWidget* top = window();
  if (frame.isEmpty() || top == this) {
    delete dragFrame_;
    return;
  }
  if (!dragFrame_) dragFrame_ = new DragFrameOverlay(top);
  static_cast<DragFrameOverlay*>(dragFrame_.data())
      ->SetFrame(QRect(top->mapFromGlobal(frame.topLeft()), frame.size()));
}

void TSpeedBar::mouseReleaseEvent(QMouseEvent* e) {
  QWidget::mouseReleaseEvent(e);
  if (e->button() != Qt::LeftButton) return;
  const bool wasDragging = mouseMode_ == MouseMode::Dragging;
  EndMouseMode();
  if (!wasDragging) return;
  const TAlign side = DragTarget(e->globalPosition().toPoint());
  SetAlign(AlignAccepted(side) ? side : dragAlign_);
  if (OnPosChanged) OnPosChanged(this);
}

void TSpeedBar::SaveLayout() {
  TSettingsObject* settings = iniLink_->SettingsObject();
  if (objectName().isEmpty() || !settings) return;
  const QString section = iniLink_->RootSection() + GetDefaultSection(this);
  IniEraseSection(settings, section);
  IniWriteInteger(settings, section, "Position", static_cast<int>(prevAlign_));
  IniWriteInteger(settings, section, "Width", Orientation() == soHorizontal ? height() : width());
  IniWriteInteger(settings, section, "Version", version_);
  IniWriteInteger(settings, section, "PixelsPerInch", ScreenPixelsPerInch());
  IniWriteInteger(settings, section, "BtnWidth", btnSize_.width());
  IniWriteInteger(settings, section, "BtnHeight", btnSize_.height());
  int count = 0;
  AllItems([&](TSpeedItem* item) {
    if (!item->Visible() || !item->Stored()) return;
    ++count;
    IniWriteString(settings, section, QString("Button%1").arg(count),
                   QString("%1,%2,%3").arg(item->objectName()).arg(item->Left()).arg(item->Top()));
  });
  IniWriteInteger(settings, section, "Count", count);
}

void TSpeedBar::RestoreLayout() {
  TSettingsObject* settings = iniLink_->SettingsObject();
  if (objectName().isEmpty() || !settings) return;
  const QString section = iniLink_->RootSection() + GetDefaultSection(this);
  if (IniReadInteger(settings, section, "Version", version_) < version_) return;
  const TAlign before = prevAlign_;
  if (options_.testFlag(sbAllowDrag)) {
    try {
      const int stored = IniReadInteger(settings, section, "Position", before);
      if (stored < alNone || stored > alCustom) throw ESpeedbarError("Invalid alignment");
      SetAlign(static_cast<TAlign>(stored));
    } catch (const std::exception&) {
      SetAlign(alTop);
    }
  }
  const int ownerPpi = window() && window() != this ? ScreenPixelsPerInch() : 0;
  if (IniReadInteger(settings, section, "PixelsPerInch", ownerPpi) != ScreenPixelsPerInch()) {
    if (prevAlign_ != before && OnPosChanged) OnPosChanged(this);
    return;
  }
  if (options_.testFlag(sbAllowResize)) {
    const int thickness = IniReadInteger(settings, section, "Width", -1);
    if (thickness > 0) {
      if (Orientation() == soHorizontal)
        resize(width(), thickness);
      else
        resize(thickness, height());
    }
  }
  if (prevAlign_ != before && OnPosChanged) OnPosChanged(this);
  const int count = IniReadInteger(settings, section, "Count", 0);
  if (count <= 0) return;
  AllItems([](TSpeedItem* item) { item->SetVisible(false); });
  for (int n = 1; n <= count; ++n) {
    const QString entry = IniReadString(settings, section, QString("Button%1").arg(n), QString());
    const QStringList words = entry.split(QRegularExpression("[, ]"), Qt::SkipEmptyParts);
    if (words.isEmpty()) continue;
    TSpeedItem* item = FindItemByName(words.at(0));
    if (!item) continue;
    bool ok = false;
    int left = words.size() > 1 ? words.at(1).toInt(&ok) : 0;
    if (!ok) left = item->Left();
    int top = words.size() > 2 ? words.at(2).toInt(&ok) : 0;
    if (words.size() <= 2 || !ok) top = item->Top();
    item->SetLeft(std::max(left, offset_[0]));
    item->SetTop(std::max(top, offset_[1]));
    item->SetVisible(true);
  }
  update();
}
