#pragma once

#include "controls/xc_types.h"

#include <QBitmap>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

// A list of pictures of one size; pictures keep their transparency in the alpha channel.
class TImageList {
 public:
  TImageList(int width, int height);
  virtual ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(pictures_.size()); }
  // Appends a picture (scaled to the list's size when it differs); returns its index.
  int Append(const QPixmap& picture);
  // Replaces picture `index`; an index outside the list changes nothing.
  void Replace(int index, const QPixmap& picture);
  // Picture `index`, a null pixmap outside the list.
  QPixmap Picture(int index) const;
  const QList<QPixmap>& Pictures() const { return pictures_; }
  // Draws picture `index` at (x, y); an index outside the list draws nothing.
  void Draw(QPainter& canvas, int x, int y, int index) const;

 private:
  QPixmap Fit(const QPixmap& picture) const;

  int width_;
  int height_;
  QList<QPixmap> pictures_;
};

// An image list whose slots are handed out and given back; slots are reused, never removed.
class TGlyphList : public TImageList {
 public:
  TGlyphList(int width, int height);

  // The first free slot, appending an empty picture when none is free; marked used.
  int AllocateIndex();
  // Stores `image` with `mask` (1 = opaque) in a new slot; returns the slot.
  int Add(const QPixmap& image, const QBitmap& mask);
  // Stores `image` with the pixels of `transparentColor` (and fully transparent ones) cleared.
  int AddMasked(const QPixmap& image, const QColor& transparentColor);
  // Frees a used slot; its picture stays until the slot is reused.
  void Delete(int index);
  // Number of used slots.
  int UsedCount() const { return count_; }

 private:
  std::vector<bool> used_;
  int count_ = 0;
};

// The glyph lists shared by every button glyph, one per picture size. One cache exists
// per program, from the first glyph that needs it until a glyph leaves it empty.
class TGlyphCache {
 public:
  TGlyphCache();
  ~TGlyphCache();
  TGlyphCache(const TGlyphCache&) = delete;
  TGlyphCache& operator=(const TGlyphCache&) = delete;

  // A list for pictures of that size, made when none exists yet.
  TGlyphList* GetList(int width, int height);
  // Takes a list back; a list without used slots is freed.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

  // The program's cache, made on demand.
  static TGlyphCache& Shared();
  // The program's cache, nullptr while none exists.
  static TGlyphCache* Existing();
  // Frees the program's cache when it holds no list.
  static void ReleaseIfEmpty();

 private:
  std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// Where CalcButtonLayout puts the glyph and the caption.
struct TButtonLayoutResult {
  QPoint GlyphPos;
  QRect TextBounds;
  QString Caption;  // the caption as it is drawn (lines shortened without word wrap)
};

// The picture of a button per paint state, made from a strip of up to five pictures or
// from an image list, and the drawing of a complete button face.
class TXcButtonGlyph {
 public:
  TXcButtonGlyph();
  ~TXcButtonGlyph();
  TXcButtonGlyph(const TXcButtonGlyph&) = delete;
  TXcButtonGlyph& operator=(const TXcButtonGlyph&) = delete;

  const QPixmap& Glyph() const { return glyph_; }
  // Drops the state pictures and takes the strip; a strip whose width is a whole multiple
  // of its height gives the number of glyphs (1 when above 5). Runs OnChange.
  void SetGlyph(const QPixmap& glyph);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int value);  // 0 or less is ignored
  QColor TransparentColor() const { return transparentColor_; }
  // Drops the state pictures when the colour changes.
  void SetTransparentColor(const QColor& value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }
  Xc::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(Xc::TAlignment value) { alignment_ = value; }
  std::function<void()> OnChange;

  // Index of the state's picture in GlyphList(), -1 when nothing can be made.
  int CreateButtonGlyph(Xc::TButtonPaintState state);
  int CreateImageGlyph(Xc::TButtonPaintState state, const TImageList* images, int index);
  // Drops every state picture and gives the glyph list back to the cache.
  void Invalidate();
  // The list holding the state pictures, nullptr while none is made.
  const TGlyphList* GlyphList() const { return list_; }

  // Margin and spacing of -1 are automatic; `flags` are Qt alignment flags.
  TButtonLayoutResult CalcButtonLayout(const QFont& font, const QRect& client,
                                       const QString& caption, Xc::TButtonLayout layout, int margin,
                                       int spacing, bool mark, const TImageList* images,
                                       int imageIndex, int flags) const;
  // Draws glyph (or image), caption and drop-down mark; returns the text rectangle.
  QRect DrawEx(QPainter& canvas, const QRect& client, const QString& caption,
               Xc::TButtonLayout layout, int margin, int spacing, bool mark,
               const TImageList* images, int imageIndex, Xc::TButtonPaintState state, int flags);

 private:
  QSize DrawButtonGlyph(QPainter& canvas, const QPoint& at, Xc::TButtonPaintState state);
  QSize DrawImageGlyph(QPainter& canvas, const QPoint& at, const TImageList* images, int index,
                       Xc::TButtonPaintState state);
  void DrawButtonText(QPainter& canvas, const QString& caption, const QRect& bounds,
                      Xc::TButtonPaintState state, int flags) const;
  // Makes sure list_ holds pictures of that size.
  TGlyphList* ListFor(int width, int height);
  int& IndexOf(Xc::TButtonPaintState state) { return indexes_[static_cast<int>(state)]; }

  QPixmap glyph_;
  TGlyphList* list_ = nullptr;
  int indexes_[5] = {-1, -1, -1, -1, -1};
  QColor transparentColor_{0xFF, 0x00, 0xFF};
  int numGlyphs_ = 1;
  bool wordWrap_ = false;
  Xc::TAlignment alignment_ = Xc::taCenter;
};

// Grey level of a colour: (77 R + 150 G + 29 B) shr 8 in all three components; the
// transparent colour and the button face stay as they are.
QColor GrayOf(const QColor& color, const QColor& transparentColor);

// Draws the frames of a button face and returns the rectangle inside them.
QRect DrawButtonFrame(QPainter& canvas, const QRect& client, bool down, bool flat,
                      Xc::TButtonStyle style);

// The downward triangle that marks a button with a drop-down menu, its top row at y - 1.
void DrawDropDownMark(QPainter& canvas, int x, int y, bool enabled);

// A complete button face (frame, glyph or image, caption) painted into any canvas.
class TButtonImage {
 public:
  TButtonImage();

  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int value) { glyph_.SetNumGlyphs(value); }
  bool WordWrap() const { return glyph_.WordWrap(); }
  void SetWordWrap(bool value) { glyph_.SetWordWrap(value); }
  const QPixmap& Glyph() const { return glyph_.Glyph(); }
  void SetGlyph(const QPixmap& value) { glyph_.SetGlyph(value); }
  Xc::TAlignment Alignment() const { return glyph_.Alignment(); }
  void SetAlignment(Xc::TAlignment value) { glyph_.SetAlignment(value); }
  QSize ButtonSize() const { return buttonSize_; }
  void SetButtonSize(const QSize& value) { buttonSize_ = value; }
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value) { caption_ = value; }

  // `font` may be nullptr to keep the canvas font.
  void Draw(QPainter& canvas, int x, int y, int flags, const TImageList* images, int imageIndex,
            const QFont* font, Xc::TButtonLayout layout, int spacing, int margin);

 private:
  TXcButtonGlyph glyph_;
  QSize buttonSize_{24, 23};
  QString caption_;
};
