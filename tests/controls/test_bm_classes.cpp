#include "controls/bm_classes.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace {

QImage Picture(int w, int h, QRgb colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  image.setPixel(0, 0, qRgb(1, 2, 3));  // a corner that shows the rows were not flipped
  return image;
}

QByteArray Saved(const TBmBitmaps& list) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  list.SaveToStream(buffer);
  return bytes;
}

// Loads `bytes` into `list`, as the window property or appended; returns the failure.
std::string Load(TBmBitmaps& list, QByteArray bytes, bool asProperty = false) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  try {
    if (asProperty)
      list.ReadProperty(buffer);
    else
      list.LoadFromStream(buffer);
  } catch (const EBmError& e) {
    return e.what();
  }
  return "no failure";
}

TEST(BmBitmapsTest, StreamRoundTripKeepsPicturesOrderAndSizes) {
  // Sixteen 20 x 20 lamps, then two 80 x 20 relay pictures, each of its own colour.
  TBmBitmaps list;
  for (int i = 0; i < 18; ++i) list.Add(Picture(i < 16 ? 20 : 80, 20, qRgb(i * 10, 100, 200)));
  const QByteArray bytes = Saved(list);
  EXPECT_EQ(bytes.size(), 29780);  // 24-bit pictures, as the viewer windows keep them
  EXPECT_EQ(bytes.left(10), QByteArray("\x62\x54\x35\x00\x12\x00\x00\x00\x42\x4D", 10));

  // Read as the window property the stream replaces the pictures.
  TBmBitmaps again;
  again.Add(Picture(7, 7, 0));
  Load(again, bytes, true);
  ASSERT_EQ(again.Count(), 18);
  EXPECT_EQ(again.Bitmap(17).convertToFormat(QImage::Format_RGB32), list.Bitmap(17));
}

// A bad stream throws and adds nothing: a second picture cut short must not leave the
// first one behind.
TEST(BmBitmapsTest, BadStreamsThrowAndAddNothing) {
  TBmBitmaps good;
  good.Add(Picture(20, 20, qRgb(1, 1, 1)));
  good.Add(Picture(20, 20, qRgb(2, 2, 2)));
  const QByteArray bytes = Saved(good);
  auto with = [&](int at, const QByteArray& part) {
    return QByteArray(bytes).replace(at, part.size(), part);
  };
  const struct {
    const char* what;
    QByteArray stream;
    std::string failure;
  } rows[] = {
      {"signature", with(0, "X"), "Invalid file format"},
      {"cut short", bytes.left(bytes.size() - 10), "Stream read error"},
      {"no count", bytes.left(6), "Stream read error"},
      {"size past the end", with(10, QByteArray("\xF0\xFF\xFF\x7F", 4)), "Stream read error"},
      {"size below a header", with(10, QByteArray("\x0E\0\0\0", 4)), "Stream read error"},
      {"no BM", with(8, "X"), "Bitmap image is not valid"},
      {"garbage header", with(8 + 14, QByteArray(46, '\xFF')), "Bitmap image is not valid"},
  };
  TBmBitmaps list;
  list.Add(Picture(3, 3, qRgb(5, 5, 5)));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Load(list, row.stream), row.failure);
    EXPECT_EQ(list.Count(), 1);
  }
  // Read as the window property, the list was cleared first and stays empty.
  EXPECT_EQ(Load(list, rows[0].stream, true), "Invalid file format");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THROW(list.Bitmap(0), EBmError);
}

TEST(BmBitmapsTest, FilesAppendAndAFailedSaveKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("лампы.bml"));
  TBmBitmaps source;
  source.Add(Picture(20, 20, qRgb(10, 20, 30)));
  source.SaveToFile(name);

  TBmBitmaps list;
  list.Add(Picture(2, 2, qRgb(0, 0, 0)));
  list.LoadFromFile(name);
  list.LoadFromFile(name);
  EXPECT_EQ(list.Count(), 3);

  EXPECT_THROW(list.LoadFromFile(dir.filePath("missing.bml")), EBmError);
  EXPECT_THROW(source.SaveToFile(dir.filePath("no/such/dir.bml")), EBmError);
  // An empty picture cannot be written: the old file stays as it was.
  list.Add(QImage());
  EXPECT_THROW(list.SaveToFile(name), EBmError);
  TBmBitmaps reread;
  reread.LoadFromFile(name);
  EXPECT_EQ(reread.Count(), 1);
}

TEST(BmBitmapsTest, ChangesAreReportedOncePerUpdate) {
  TBmBitmaps list;
  int changes = 0;
  list.OnChange = [&](TBmPersistent*) { ++changes; };
  list.BeginUpdate();
  list.Add(Picture(2, 2, 0));
  list.Add(Picture(2, 2, 0));
  EXPECT_EQ(changes, 0);
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  list.EndUpdate();  // never below zero
  EXPECT_EQ(list.UpdateCount, 0);

  TBmBitmaps other;
  other.Add(Picture(6, 1, 0));
  list.Assign(&other);
  other.Clear();
  EXPECT_EQ(list.Count(), 1);  // a copy, not shared
  list.Assign(nullptr);
  EXPECT_EQ(list.Count(), 0);
}

TEST(BmBitmapListTest, GetBitmapAndChangeLinks) {
  auto list = std::make_unique<TBmBitmapList>();
  EXPECT_EQ(list->GetBitmap(0), nullptr);

  std::vector<std::string> order;
  QObject::connect(list.get(), &TBmBitmapList::OnChange, [&] { order.push_back("list"); });
  TBmChangeLink first;
  auto second = std::make_unique<TBmChangeLink>();
  first.OnChange = [&](TBmChangeLink*) { order.push_back("first"); };
  second->OnChange = [&](TBmChangeLink*) { order.push_back("second"); };
  list->RegisterChanges(&first);
  list->RegisterChanges(second.get());

  TBmBitmaps copy;
  copy.Add(Picture(1, 1, 0));
  list->SetBitmaps(&copy);
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "list"}));

  second.reset();  // unregisters itself
  order.clear();
  list->Bitmaps()->Clear();
  EXPECT_EQ(order, (std::vector<std::string>{"first", "list"}));

  list.reset();  // the link outlives the list safely
  EXPECT_EQ(first.Sender(), nullptr);
}

}  // namespace
