#include "controls/xc_button_glyph.h"

#include "controls/ctl_utils.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <algorithm>

using namespace Xc;

namespace {

constexpr int kMaxCaption = 255;
constexpr int kMarkWidth = 9;

bool IsTransparentPixel(QRgb pixel, QRgb transparent) {
  return qAlpha(pixel) == 0 || (pixel & 0xffffff) == (transparent & 0xffffff);
}

// A work picture of the given size filled with button face.
QImage FaceImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(BtnFaceColor());
  return image;
}

// Picture `number` of the strip copied over `work` as it is (transparency included).
void CopyStripPicture(QImage& work, const QImage& strip, int number) {
  QPainter p(&work);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(QPoint(0, 0), strip, QRect(number * work.width(), 0, work.width(), work.height()));
}

void GrayPixels(QImage& work, const QImage& source, const QColor& transparent) {
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      const QRgb pixel = source.pixel(x, y);
      if (qAlpha(pixel) == 0) {
        work.setPixel(x, y, pixel);
        continue;
      }
      work.setPixel(x, y, GrayOf(QColor::fromRgb(pixel), transparent).rgb());
    }
}

void FillFrame(QPainter& canvas, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  if (r.width() <= 0 || r.height() <= 0) return;
  canvas.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
  canvas.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
  canvas.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
  canvas.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
}

// Each caption line cut to `width` with "...", trailing blanks removed.
QString ShortenLines(const QString& caption, const QFontMetrics& metrics, int width) {
  QStringList lines = caption.left(kMaxCaption).split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    line = ShortenText(line, metrics, width);
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

// ---- TImageList ----

TImageList::TImageList(int width, int height) : width_(width), height_(height) {}
TImageList::~TImageList() = default;

QPixmap TImageList::Fit(const QPixmap& picture) const {
  if (picture.size() == QSize(width_, height_)) return picture;
  QPixmap fitted(std::max(width_, 1), std::max(height_, 1));
  fitted.fill(Qt::transparent);
  QPainter p(&fitted);
  p.drawPixmap(0, 0, picture);
  return fitted;
}

int TImageList::Append(const QPixmap& picture) {
  pictures_.append(Fit(picture));
  return Count() - 1;
}

void TImageList::Replace(int index, const QPixmap& picture) {
  if (index < 0 || index >= Count()) return;
  pictures_[index] = Fit(picture);
}

QPixmap TImageList::Picture(int index) const {
  return index >= 0 && index < Count() ? pictures_.at(index) : QPixmap();
}

void TImageList::Draw(QPainter& canvas, int x, int y, int index) const {
  if (index < 0 || index >= Count()) return;
  canvas.drawPixmap(x, y, pictures_.at(index));
}

// ---- TGlyphList ----

TGlyphList::TGlyphList(int width, int height) : TImageList(width, height) {}

int TGlyphList::AllocateIndex() {
  auto free = std::find(used_.begin(), used_.end(), false);
  int index;
  if (free == used_.end()) {
    QPixmap empty(std::max(Width(), 1), std::max(Height(), 1));
    empty.fill(Qt::transparent);
    index = Append(empty);
    used_.resize(index + 1, false);
  } else {
    index = static_cast<int>(free - used_.begin());
  }
  used_[index] = true;
  return index;
}

int TGlyphList::Add(const QPixmap& image, const QBitmap& mask) {
  const int index = AllocateIndex();
  QPixmap picture = image;
  picture.setMask(mask);
  Replace(index, picture);
  ++count_;
  return index;
}

int TGlyphList::AddMasked(const QPixmap& image, const QColor& transparentColor) {
  const int index = AllocateIndex();
  QImage picture = image.toImage().convertToFormat(QImage::Format_ARGB32);
  const QRgb transparent = transparentColor.rgb();
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (IsTransparentPixel(picture.pixel(x, y), transparent)) picture.setPixel(x, y, 0);
  Replace(index, QPixmap::fromImage(picture));
  ++count_;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[index]) return;
  used_[index] = false;
  --count_;
}

// ---- TGlyphCache ----

namespace {
std::unique_ptr<TGlyphCache>& CacheSlot() {
  static std::unique_ptr<TGlyphCache> cache;
  return cache;
}
}  // namespace

TGlyphCache::TGlyphCache() = default;
TGlyphCache::~TGlyphCache() = default;

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
    if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
  lists_.push_back(std::make_unique<TGlyphList>(width, height));
  return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->UsedCount() != 0) return;
  auto it = std::find_if(lists_.begin(), lists_.end(),
                         [list](const std::unique_ptr<TGlyphList>& l) { return l.get() == list; });
  if (it != lists_.end()) lists_.erase(it);
}

TGlyphCache& TGlyphCache::Shared() {
  auto& slot = CacheSlot();
  if (!slot) slot = std::make_unique<TGlyphCache>();
  return *slot;
}

TGlyphCache* TGlyphCache::Existing() {
  return CacheSlot().get();
}

void TGlyphCache::ReleaseIfEmpty() {
  auto& slot = CacheSlot();
  if (slot && slot->Empty()) slot.reset();
}

// ---- helpers ----

QColor GrayOf(const QColor& color, const QColor& transparentColor) {
  const QRgb rgb = color.rgb() & 0xffffff;
  if (rgb == (transparentColor.rgb() & 0xffffff) || rgb == (BtnFaceColor().rgb() & 0xffffff))
    return color;
  const int level = (77 * color.red() + 150 * color.green() + 29 * color.blue()) >> 8;
  return QColor(level, level, level);
}

QRect DrawButtonFrame(QPainter& canvas, const QRect& client, bool down, bool flat,
                      TButtonStyle style) {
  const bool newLook = style == bsNew || (style == bsAutoDetect && kNewControlLook);
  QRect r = client;
  auto frame = [&](const QColor& topLeft, const QColor& bottomRight) {
    FillFrame(canvas, r, topLeft, bottomRight);
    r.adjust(1, 1, -1, -1);
  };
  if (!down) {
    if (newLook && !flat) {
      frame(BtnHighlightColor(), WindowFrameColor());
      frame(BtnFaceColor(), BtnShadowColor());
    } else if (newLook) {
      frame(BtnHighlightColor(), BtnShadowColor());
    } else if (!flat) {
      frame(WindowFrameColor(), WindowFrameColor());
      frame(BtnHighlightColor(), BtnShadowColor());
    } else {
      frame(BtnHighlightColor(), WindowFrameColor());
    }
  } else if (newLook && !flat) {
    frame(WindowFrameColor(), BtnHighlightColor());
    frame(BtnShadowColor(), BtnFaceColor());
  } else if (!newLook && !flat) {
    frame(WindowFrameColor(), WindowFrameColor());
    if (r.width() > 0 && r.height() > 0) {
      canvas.fillRect(QRect(r.left(), r.top(), 1, r.height()), BtnShadowColor());
      canvas.fillRect(QRect(r.left(), r.top(), r.width(), 1), BtnShadowColor());
    }
  } else {
    frame(WindowFrameColor(), BtnHighlightColor());
  }
  r.adjust(1, 1, -1, -1);
  return r;
}

void DrawDropDownMark(QPainter& canvas, int x, int y, bool enabled) {
  auto triangle = [&canvas](int left, int top, const QColor& color) {
    for (int row = 0; row < 4; ++row)
      canvas.fillRect(QRect(left + row, top - 1 + row, 7 - 2 * row, 1), color);
  };
  if (enabled) {
    triangle(x, y, BtnTextColor());
  } else {
    triangle(x + 1, y + 1, BtnHighlightColor());
    triangle(x, y, BtnShadowColor());
  }
}

// ---- TXcButtonGlyph ----

TXcButtonGlyph::TXcButtonGlyph() {
  TGlyphCache::Shared();
}

TXcButtonGlyph::~TXcButtonGlyph() {
  Invalidate();
  TGlyphCache::ReleaseIfEmpty();
}

void TXcButtonGlyph::SetGlyph(const QPixmap& glyph) {
  Invalidate();
  glyph_ = glyph;
  const int width = glyph_.width();
  const int height = glyph_.height();
  if (height > 0) {
    // The strip's own transparent colour is its bottom-left pixel.
    const QImage image = glyph_.toImage();
    transparentColor_ = QColor::fromRgb(image.pixel(0, height - 1) | 0xff000000);
    if (width > 0 && width % height == 0) {
      const int count = width / height;
      numGlyphs_ = count > 5 ? 1 : count;
    }
  }
  if (OnChange) OnChange();
}

void TXcButtonGlyph::SetTransparentColor(const QColor& value) {
  if (value.rgb() == transparentColor_.rgb()) return;
  Invalidate();
  transparentColor_ = value;
}

void TXcButtonGlyph::SetNumGlyphs(int value) {
  if (value <= 0 || value == numGlyphs_) return;
  Invalidate();
  numGlyphs_ = value;
  if (OnChange) OnChange();
}

void TXcButtonGlyph::Invalidate() {
  for (int& index : indexes_) {
    if (index >= 0 && list_) list_->Delete(index);
    index = -1;
  }
  if (list_) {
    if (TGlyphCache* cache = TGlyphCache::Existing()) cache->ReturnList(list_);
    list_ = nullptr;
  }
}

TGlyphList* TXcButtonGlyph::ListFor(int width, int height) {
  // Indexes belong to one list: pictures of another size need their own list.
  if (list_ && (list_->Width() != width || list_->Height() != height)) Invalidate();
  if (!list_) list_ = TGlyphCache::Shared().GetList(width, height);
  return list_;
}

int TXcButtonGlyph::CreateButtonGlyph(TButtonPaintState state) {
  if (state == bpsDown && numGlyphs_ < 3) state = bpsUp;
  if (IndexOf(state) >= 0) return IndexOf(state);
  if (glyph_.isNull() || glyph_.width() == 0 || glyph_.height() == 0) return -1;
  const int width = glyph_.width() / numGlyphs_;
  const int height = glyph_.height();
  if (width == 0) return -1;
  TGlyphList* list = ListFor(width, height);
  QImage strip = glyph_.toImage().convertToFormat(QImage::Format_ARGB32);
  strip.setDevicePixelRatio(1);  // the work below is in the strip's own pixels
  QImage work = FaceImage(width, height);
  // A strip made for a scaled screen keeps its pixel ratio: its pictures take the place of
  // the strip of scale 1, with more pixels.
  const qreal ratio = glyph_.devicePixelRatio();
  const auto addMasked = [list, ratio](QPixmap picture, const QColor& transparent) {
    picture.setDevicePixelRatio(ratio);
    return list->AddMasked(picture, transparent);
  };
  const int number = static_cast<int>(state) < numGlyphs_ ? static_cast<int>(state) : 0;
  int index = -1;
  switch (state) {
    case bpsUp:
    case bpsDown:
    case bpsExclusive:
      CopyStripPicture(work, strip, number);
      index = addMasked(QPixmap::fromImage(work), transparentColor_);
      break;
    case bpsDisabled:
      if (numGlyphs_ > 1) {
        CopyStripPicture(work, strip, 1);
        index = addMasked(QPixmap::fromImage(work), transparentColor_);
      } else {
        CopyStripPicture(work, strip, 0);
        // The transparent colour is background for the embossing.
        QImage source = work;
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x)
            if (IsTransparentPixel(source.pixel(x, y), transparentColor_.rgb()))
              source.setPixel(x, y, 0);
        const QPixmap disabled = MakeDisabledBitmap(QPixmap::fromImage(source), Qt::black);
        index = addMasked(disabled, BtnFaceColor());
      }
      break;
    case bpsInactive:
      if (numGlyphs_ > 4) {
        CopyStripPicture(work, strip, 4);
      } else {
        GrayPixels(work, strip, transparentColor_);
      }
      index = addMasked(QPixmap::fromImage(work), transparentColor_);
      break;
  }
  IndexOf(state) = index;
  return index;
}

int TXcButtonGlyph::CreateImageGlyph(TButtonPaintState state, const TImageList* images, int index) {
  if (state == bpsDown) state = bpsUp;
  if (IndexOf(state) >= 0) return IndexOf(state);
  if (!images || images->Width() == 0 || images->Height() == 0 || images->Count() == 0) return -1;
  if (index < 0 || index >= images->Count()) return -1;
  const int width = images->Width();
  const int height = images->Height();
  TGlyphList* list = ListFor(width, height);
  int result = -1;
  switch (state) {
    case bpsDisabled: {
      QImage work = FaceImage(width, height);
      {
        QPainter p(&work);
        DrawDisabledImage(p, images->Pictures(), 0, 0, index, BtnHighlightColor(), BtnShadowColor(),
                          true);
      }
      result = list->AddMasked(QPixmap::fromImage(work), BtnFaceColor());
      break;
    }
    case bpsInactive: {
      QImage work = FaceImage(width, height);
      {
        QPainter p(&work);
        images->Draw(p, 0, 0, index);
      }
      const QImage drawn = work;
      GrayPixels(work, drawn, BtnFaceColor());
      result = list->AddMasked(QPixmap::fromImage(work), BtnFaceColor());
      break;
    }
    case bpsUp:
    case bpsExclusive: {
      const QPixmap picture = images->Picture(index);
      result = list->Add(picture, picture.mask());
      break;
    }
    default:
      break;
  }
  IndexOf(state) = result;
  return result;
}

TButtonLayoutResult TXcButtonGlyph::CalcButtonLayout(const QFont& font, const QRect& client,
                                                     const QString& caption, TButtonLayout layout,
                                                     int margin, int spacing, bool mark,
                                                     const TImageList* images, int imageIndex,
                                                     int flags) const {
  const QFontMetrics metrics(font);
  const QSize clientSize = client.size();
  QSize glyphSize(0, 0);
  if (images && images->Width() >= 1 && imageIndex >= 0 && imageIndex < images->Count())
    glyphSize = QSize(images->Width(), images->Height());
  else if (!glyph_.isNull())
    glyphSize = QSize(qRound(glyph_.deviceIndependentSize().width()) / numGlyphs_,
                      qRound(glyph_.deviceIndependentSize().height()));

  const bool vertical = layout == blGlyphTop || layout == blGlyphBottom;
  QSize room;
  if (vertical) {
    room =
        QSize(clientSize.width(), clientSize.height() - glyphSize.height() -
                                      (margin != -1 ? margin : 0) - (spacing != -1 ? spacing : 0));
  } else {
    room = QSize(clientSize.width() - glyphSize.width() - (margin != -1 ? margin : 0) -
                     (spacing != -1 ? spacing : 0) - (mark ? kMarkWidth : 0),
                 clientSize.height());
  }
  room = room.expandedTo(QSize(0, 0));

  const QString text = wordWrap_ ? caption : ShortenLines(caption, metrics, room.width());
  QSize textSize(0, 0);
  if (!text.isEmpty()) {
    const int measureFlags = (flags & ~Qt::AlignHorizontal_Mask & ~Qt::AlignVertical_Mask) |
                             Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic |
                             (wordWrap_ ? Qt::TextWordWrap : 0);
    const QRect measured =
        metrics.boundingRect(QRect(0, 0, room.width(), room.height()), measureFlags, text);
    textSize =
        QSize(std::min(measured.width(), room.width()), std::min(measured.height(), room.height()));
  }
  if (mark) {
    if (glyphSize.width() == 0 || glyphSize.height() == 0 || layout == blGlyphLeft)
      textSize.rwidth() += kMarkWidth;
    else
      glyphSize.rwidth() += 6;
  }

  QPoint glyphPos;
  QPoint textPos;
  if (vertical) {
    glyphPos.setX(clientSize.width() / 2 - glyphSize.width() / 2);
    textPos.setX(clientSize.width() / 2 - textSize.width() / 2);
  } else {
    glyphPos.setY(clientSize.height() / 2 - glyphSize.height() / 2);
    textPos.setY(clientSize.height() / 2 - textSize.height() / 2);
  }

  if (textSize.width() == 0 || glyphSize.width() == 0) spacing = 0;
  const int clientAlong = vertical ? clientSize.height() : clientSize.width();
  const int glyphAlong = vertical ? glyphSize.height() : glyphSize.width();
  const int textAlong = vertical ? textSize.height() : textSize.width();
  if (margin == -1) {
    if (spacing != -1) {
      const int total = glyphAlong + textAlong + spacing;
      margin = clientAlong / 2 - total / 2;
    } else {
      const int total = glyphAlong + textAlong;
      margin = spacing = (clientAlong - total) / 3;
    }
  } else if (spacing == -1) {
    spacing = (clientAlong - (margin + glyphAlong)) / 2 - textAlong / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      glyphPos.setX(margin);
      textPos.setX(glyphPos.x() + glyphSize.width() + spacing);
      break;
    case blGlyphRight:
      glyphPos.setX(clientSize.width() - margin - glyphSize.width());
      textPos.setX(glyphPos.x() - spacing - textSize.width());
      break;
    case blGlyphTop:
      glyphPos.setY(margin);
      textPos.setY(glyphPos.y() + glyphSize.height() + spacing);
      break;
    case blGlyphBottom:
      glyphPos.setY(clientSize.height() - margin - glyphSize.height());
      textPos.setY(glyphPos.y() - spacing - textSize.height());
      break;
  }
  TButtonLayoutResult result;
  result.GlyphPos = glyphPos + client.topLeft();
  result.TextBounds = QRect(textPos + client.topLeft(), textSize);
  result.Caption = text;
  return result;
}

QSize TXcButtonGlyph::DrawButtonGlyph(QPainter& canvas, const QPoint& at, TButtonPaintState state) {
  if (glyph_.isNull()) return QSize(0, 0);
  const int index = CreateButtonGlyph(state);
  if (index < 0 || !list_) return QSize(0, 0);
  list_->Draw(canvas, at.x(), at.y(), index);
  return list_->Picture(index).deviceIndependentSize().toSize();
}

QSize TXcButtonGlyph::DrawImageGlyph(QPainter& canvas, const QPoint& at, const TImageList* images,
                                     int index, TButtonPaintState state) {
  if (state == bpsDisabled) {
    DrawDisabledImage(canvas, images->Pictures(), at.x(), at.y(), index, BtnHighlightColor(),
                      BtnShadowColor(), true);
  } else if (state == bpsInactive) {
    const int gray = CreateImageGlyph(state, images, index);
    if (gray < 0 || !list_) return QSize(0, 0);
    list_->Draw(canvas, at.x(), at.y(), gray);
  } else {
    images->Draw(canvas, at.x(), at.y(), index);
  }
  return QSize(images->Width(), images->Height());
}

void TXcButtonGlyph::DrawButtonText(QPainter& canvas, const QString& caption, const QRect& bounds,
                                    TButtonPaintState state, int flags) const {
  const QString text = caption.left(kMaxCaption);
  const int textFlags =
      flags | Qt::AlignVCenter | Qt::TextShowMnemonic | (wordWrap_ ? Qt::TextWordWrap : 0);
  canvas.save();
  canvas.setBrush(Qt::NoBrush);
  if (state == bpsDisabled) {
    canvas.setPen(BtnHighlightColor());
    canvas.drawText(bounds.translated(1, 1), textFlags, text);
    canvas.setPen(BtnShadowColor());
  } else {
    canvas.setPen(BtnTextColor());
  }
  canvas.drawText(bounds, textFlags, text);
  canvas.restore();
}

QRect TXcButtonGlyph::DrawEx(QPainter& canvas, const QRect& client, const QString& caption,
                             TButtonLayout layout, int margin, int spacing, bool mark,
                             const TImageList* images, int imageIndex, TButtonPaintState state,
                             int flags) {
  const TButtonLayoutResult placed = CalcButtonLayout(
      canvas.font(), client, caption, layout, margin, spacing, mark, images, imageIndex, flags);
  QSize drawn;
  if (images && imageIndex >= 0 && imageIndex < images->Count() && images->Width() >= 1)
    drawn = DrawImageGlyph(canvas, placed.GlyphPos, images, imageIndex, state);
  else
    drawn = DrawButtonGlyph(canvas, placed.GlyphPos, state);
  DrawButtonText(canvas, placed.Caption, placed.TextBounds, state, flags);
  if (mark) {
    const bool hasGlyph = glyph_.width() > 0 || (drawn.width() > 0 && drawn.height() > 0);
    const QRect& t = placed.TextBounds;
    int x;
    int y;
    if (layout != blGlyphLeft && hasGlyph) {
      x = placed.GlyphPos.x() + drawn.width() + 1;
      y = placed.GlyphPos.y() + drawn.height() / 2;
    } else {
      x = caption.isEmpty() ? (client.left() + client.left() + client.width() - 7) / 2
                            : t.left() + t.width() + 3;
      y = t.top() + t.height() / 2;
    }
    DrawDropDownMark(canvas, x, y, state != bpsDisabled);
  }
  return placed.TextBounds;
}

// ---- TButtonImage ----

TButtonImage::TButtonImage() {
  glyph_.SetNumGlyphs(1);
}

void TButtonImage::Draw(QPainter& canvas, int x, int y, int flags, const TImageList* images,
                        int imageIndex, const QFont* font, TButtonLayout layout, int spacing,
                        int margin) {
  const QRect r(x, y, buttonSize_.width(), buttonSize_.height());
  const QFont oldFont = canvas.font();
  const QBrush oldBrush = canvas.brush();
  canvas.fillRect(r, BtnFaceColor());
  FillFrame(canvas, r, BtnShadowColor(), WindowFrameColor());
  FillFrame(canvas, r.adjusted(1, 1, -1, -1), BtnHighlightColor(), BtnShadowColor());
  if (font) canvas.setFont(*font);
  glyph_.DrawEx(canvas, r, caption_, layout, margin, spacing, false, images, imageIndex, bpsUp,
                flags);
  canvas.setFont(oldFont);
  canvas.setBrush(oldBrush);
}
