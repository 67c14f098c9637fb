#include "controls/component_loading.h"
#include "controls/speed_bar.h"

#include <QWidget>

#include <gtest/gtest.h>
#include <memory>

namespace {

enum class Owner { None, Plain, Window, LoadingWindow };

}  // namespace

// Whether a caption rewrites the hint depends on the owner: always without one or with a
// non-visual one, only while the caption is the hint's short part for a window, never while
// that window loads.
TEST(ComponentLoadingTest, ACaptionMakesTheHintUnlessItsWindowLoads) {
  const struct {
    Owner owner;
    QString hint;  // before the caption is set; the caption was "Old"
    QString after;
  } rows[] = {
      {Owner::None, "Other|long", "New|long"},        {Owner::Plain, "Other|long", "New|long"},
      {Owner::Window, "Old|long", "New|long"},        {Owner::Window, "Other|long", "Other|long"},
      {Owner::LoadingWindow, "Old|long", "Old|long"}, {Owner::LoadingWindow, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(int(row.owner));
    SCOPED_TRACE(row.hint.toStdString());
    QObject plain;
    QWidget window;
    QObject* owner = row.owner == Owner::None    ? nullptr
                     : row.owner == Owner::Plain ? &plain
                                                 : static_cast<QObject*>(&window);
    auto item = std::make_unique<TSpeedItem>(owner);
    item->SetCaption("Old");
    item->SetHint(row.hint);
    {
      std::unique_ptr<LoadingScope> loading;
      if (row.owner == Owner::LoadingWindow) loading = std::make_unique<LoadingScope>(&window);
      item->SetCaption("New");
    }
    EXPECT_EQ(item->Caption(), "New");
    EXPECT_EQ(item->Hint().toStdString(), row.after.toStdString());
  }
}

// Nested scopes keep the window loading until the outer one ends; then a caption and a name
// follow the rules again.
TEST(ComponentLoadingTest, TheWindowLoadsUntilItsOuterScopeEnds) {
  QWidget window;
  auto* item = new TSpeedItem(&window);
  EXPECT_FALSE(IsComponentLoading(&window));
  EXPECT_FALSE(IsComponentLoading(nullptr));
  {
    const LoadingScope outer(&window);
    {
      const LoadingScope inner(&window);
      EXPECT_TRUE(IsComponentLoading(&window));
      // Built from its description, the item takes its name alone, then its caption.
      item->SetName("SpeedItem_Spisok");
    }
    EXPECT_TRUE(IsComponentLoading(&window));
    EXPECT_EQ(item->Caption(), "");
    item->SetCaption("Список файлов");
    EXPECT_EQ(item->Hint(), "");
  }
  EXPECT_FALSE(IsComponentLoading(&window));
  item->SetHint("Список файлов");
  item->SetCaption("Файлы");
  EXPECT_EQ(item->Hint(), "Файлы|");
  item->SetName("Files");
  EXPECT_EQ(item->Caption(), "Файлы");
  item->SetCaption("Files");
  item->SetName("SpeedItem_Files");
  EXPECT_EQ(item->Caption(), "SpeedItem_Files");
  EXPECT_EQ(item->Hint(), "SpeedItem_Files|");
}

// A scope outliving its object does no harm.
TEST(ComponentLoadingTest, AScopeOutlivesItsWindow) {
  auto window = std::make_unique<QWidget>();
  const LoadingScope loading(window.get());
  window.reset();
  SUCCEED();
}
