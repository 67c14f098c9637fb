#include "controls/props_storage.h"

#include <QComboBox>
#include <QLabel>
#include <QMap>
#include <QWidget>

#include <clocale>
#include <gtest/gtest.h>

namespace {

class Sample : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER Caption)
  Q_PROPERTY(QChar Letter MEMBER Letter)
  Q_PROPERTY(double Ratio MEMBER Ratio)
  Q_PROPERTY(Shape Form MEMBER Form)
  Q_PROPERTY(Sides Edges READ GetEdges WRITE SetEdges)
  Q_PROPERTY(bool Flag MEMBER Flag)
  Q_PROPERTY(qlonglong Big MEMBER Big)
  Q_PROPERTY(QObject* Link MEMBER Link)

 public:
  enum Shape { Round, Square, Oval };
  Q_ENUM(Shape)
  enum Side { Left = 1, Top = 2, Right = 4 };
  Q_DECLARE_FLAGS(Sides, Side)
  Q_FLAG(Sides)

  QString Caption;
  QChar Letter = u'x';
  double Ratio = 0;
  Shape Form = Round;
  Sides Edges;
  Sides GetEdges() const { return Edges; }
  void SetEdges(Sides edges) { Edges = edges; }
  bool Flag = false;
  qlonglong Big = 0;
  QObject* Link = nullptr;
};

class Column : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(QString Title MEMBER Title)
  Q_PROPERTY(int Width MEMBER Width)

 public:
  using TCollectionItem::TCollectionItem;
  QString Title;
  int Width = 64;
};

class Grid : public QWidget {
  Q_OBJECT
  Q_PROPERTY(TCollection* Columns READ Columns)

 public:
  explicit Grid(QWidget* parent)
      : QWidget(parent),
        columns_(new TCollection([](TCollection* c) { return new Column(c); }, this)) {
    setObjectName("Grid");
  }
  TCollection* Columns() const { return columns_; }
  Column* At(int i) const { return static_cast<Column*>(columns_->Items(i)); }

 private:
  TCollection* columns_;
};

// A property storage over an in-memory store.
struct Store {
  QMap<QString, QString> values;  // "section|ident"
  TPropsStorage storage;
  explicit Store(const QString& section = {}) {
    storage.Section = section;
    storage.ReadHandler = [this](const QString& sec, const QString& id, const QString& def) {
      return values.value(sec + '|' + id, def);
    };
    storage.WriteHandler = [this](const QString& sec, const QString& id, const QString& v) {
      values[sec + '|' + id] = v;
    };
    storage.EraseHandler = [this](const QString& sec) {
      for (auto it = values.begin(); it != values.end();)
        it = it.key().startsWith(sec + '|') ? values.erase(it) : std::next(it);
    };
  }
  void Save(QObject* root, TStoredList& list) { storage.StoreObjectsProps(root, list); }
  void Load(QObject* root, TStoredList& list) { storage.LoadObjectsProps(root, list); }
};

TStoredList Entries(QObject* root, const QStringList& texts) {
  TStoredList list;
  for (const QString& t : texts) list.append({t, nullptr});
  UpdateStoredList(root, list, true);
  return list;
}

TEST(PropsStorageTest, StoredFormsOfEachKind) {
  QWidget form;
  form.setObjectName("Form1");
  auto* s = new Sample;
  s->setParent(&form);
  s->setObjectName("S1");
  s->Caption = " abc ";
  s->Letter = u' ';
  s->Ratio = 0.5;
  s->Form = Sample::Oval;
  s->Edges = Sample::Sides(Sample::Left) | Sample::Right;
  s->Flag = true;
  s->Big = 1LL << 40;
  s->Link = &form;
  s->setProperty("Tag", 7);
  TStoredList list = Entries(&form, {"S1.Caption", "S1.Letter", "S1.Ratio", "S1.Form", "S1.Edges",
                                     "S1.Flag", "S1.Big", "S1.Tag", "S1.Link", "S1.Font.Color"});
  Store store("Sec");
  store.Save(&form, list);
  // A blank is written empty; the link names a root outside the form's; Font.Color
  // names nothing.
  const QMap<QString, QString> written{{"Sec|S1_Caption", "abc"},        {"Sec|S1_Letter", ""},
                                       {"Sec|S1_Ratio", "0.5"},          {"Sec|S1_Form", "Oval"},
                                       {"Sec|S1_Edges", "[Left,Right]"}, {"Sec|S1_Flag", "True"},
                                       {"Sec|S1_Big", "1099511627776"},  {"Sec|S1_Tag", "7"},
                                       {"Sec|S1_Link", "Form1"}};
  EXPECT_EQ(store.values, written);

  store.values["Sec|S1_Edges"] = "[ Top , bogus ,Left]";
  store.values["Sec|S1_Form"] = "square";
  store.values["Sec|S1_Ratio"] = "bad";  // refused: the value stays
  store.values["Sec|S1_Letter"] = "";    // empty: the character stays
  store.values["Sec|S1_Tag"] = "x";      // a bad integer is 0
  store.values["Sec|S1_Link"] = "(null)";
  store.values["Sec|S1_Caption"] = "  new  ";
  s->Letter = u'q';
  store.Load(&form, list);
  EXPECT_EQ(s->Edges, Sample::Sides(Sample::Top) | Sample::Left);
  EXPECT_EQ(s->Form, Sample::Square);
  EXPECT_EQ(s->Ratio, 0.5);
  EXPECT_EQ(s->Letter, u'q');
  EXPECT_EQ(s->property("Tag").toInt(), 0);
  EXPECT_EQ(s->Link, nullptr);
  EXPECT_EQ(s->Caption, "new");
}

TEST(PropsStorageTest, FloatsUseAPointUnderACommaLocale) {
  if (!std::setlocale(LC_NUMERIC, "ru_RU.UTF-8")) GTEST_SKIP() << "no ru_RU.UTF-8 locale";
  QObject root;
  auto* s = new Sample;
  s->setParent(&root);
  s->setObjectName("S");
  s->Ratio = 2.25;
  TStoredList list = Entries(&root, {"S.Ratio"});
  Store store;
  store.Save(&root, list);
  EXPECT_EQ(store.values.value("|S_Ratio"), "2.25");
  store.values["|S_Ratio"] = "0.75";
  store.Load(&root, list);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(s->Ratio, 0.75);
}

TEST(PropsStorageTest, StringListsLiveInSubSections) {
  QWidget form;
  auto* combo = new QComboBox(&form);
  combo->setObjectName("CB_List");
  combo->addItems({"a", "", " b "});
  auto* empty = new QComboBox(&form);
  empty->setObjectName("CB_Empty");
  TStoredList list = Entries(&form, {"CB_List.Items", "CB_Empty.Items"});
  Store store("TForm");
  store.values["TForm.CB_Empty_Items|Count"] = "3";  // erased: the list is empty now
  store.Save(&form, list);
  QMap<QString, QString> expected{{"TForm.CB_List_Items|Count", "3"},
                                  {"TForm.CB_List_Items|Item0", "a"},
                                  {"TForm.CB_List_Items|Item1", ""},
                                  {"TForm.CB_List_Items|Item2", " b "}};
  EXPECT_EQ(store.values, expected);

  combo->clear();
  combo->addItems({"design"});
  empty->addItems({"kept"});
  store.Load(&form, list);
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(2), " b ");  // lines are not trimmed
  EXPECT_EQ(empty->count(), 1);          // no count: the design-time lines stay
  store.values["TForm.CB_List_Items|Count"] = " 0 ";
  combo->clear();
  combo->addItems({"design"});
  store.Load(&form, list);
  EXPECT_EQ(combo->itemText(0), "design");
}

TEST(PropsStorageTest, CollectionsItemByItemAndFontsThroughANestedStorage) {
  Store store("S");
  {
    QWidget form;
    auto* grid = new Grid(&form);
    for (const auto& [title, width] : {std::pair("A", 10), std::pair("Б", 20)}) {
      auto* column = static_cast<Column*>(grid->Columns()->Add());
      column->Title = title;
      column->Width = width;
    }
    auto* label = new QLabel(&form);
    label->setObjectName("Label1");
    TFontProps::Of(label)->SetColor(0x0000FF);  // red
    TStoredList list = Entries(&form, {"Grid.Columns", "Label1.Font"});
    store.Save(&form, list);
  }
  EXPECT_EQ(store.values.value("S|Grid_Columns.Count"), "2");
  EXPECT_EQ(store.values.value("S.Grid_Columns|Item0_Title"), "A");
  EXPECT_EQ(store.values.value("S.Grid_Columns|Item1_Width"), "20");
  EXPECT_EQ(store.values.value("S|Label1_FontColor"), "255");
  for (const QString& key : store.values.keys())  // groups have only their own properties
    EXPECT_FALSE(key.contains("Tag") || key.contains("objectName")) << key.toStdString();

  QWidget form;
  auto* grid = new Grid(&form);
  grid->Columns()->Add();
  auto* label = new QLabel(&form);
  label->setObjectName("Label1");
  TStoredList list = Entries(&form, {"Grid.Columns", "Label1.Font"});
  store.Load(&form, list);
  ASSERT_EQ(grid->Columns()->Count(), 2);
  EXPECT_EQ(grid->At(1)->Title, "Б");
  EXPECT_EQ(grid->At(0)->Width, 10);
  EXPECT_EQ(label->palette().color(label->foregroundRole()), QColor(Qt::red));
  // A hand-edited count no list could hold keeps the items there are.
  store.values["S|Grid_Columns.Count"] = "99999999";
  store.Load(&form, list);
  EXPECT_EQ(grid->Columns()->Count(), 2);
}

TEST(PropsStorageTest, EntryListMaintenance) {
  QString comp, prop;
  EXPECT_TRUE(SplitStoredItem(" CB_A . Font.Color ", comp, prop));
  EXPECT_EQ(comp + "|" + prop, "CB_A|Font.Color");
  EXPECT_EQ(MakeStoredItem("A", ""), "");
  EXPECT_EQ(RenameStoredItem("A.Text", "B"), "B.Text");
  QWidget form;
  auto* a = new QObject(&form);
  a->setObjectName("A");
  TStoredList list = Entries(&form, {"a.Tag", "Gone.Tag", "NoDot", ".Tag"});
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list[0].Object, a);
  a->setObjectName("Renamed");
  UpdateStoredList(&form, list, false);
  EXPECT_EQ(list[0].Text, "Renamed.Tag");
  delete a;  // a component that went away is dropped, never stored
  Store store;
  store.Save(&form, list);
  EXPECT_TRUE(list.isEmpty());
  EXPECT_TRUE(store.values.isEmpty());
}

TEST(PropsStorageTest, ComponentReferencesAcrossWindows) {
  QWidget form, other;
  form.setObjectName("Form1");
  auto* s = new Sample;
  s->setParent(&form);
  s->setObjectName("S");
  auto* near = new QObject(&form);
  near->setObjectName("Near");
  auto* far = new QObject(&other);  // the other window has no name: its class name
  far->setObjectName("Far");
  TStoredList list = Entries(&form, {"S.Link"});
  Store store;
  s->Link = near;
  store.Save(&form, list);
  EXPECT_EQ(store.values.value("|S_Link"), "Near");
  s->Link = far;
  store.Save(&form, list);
  EXPECT_EQ(store.values.value("|S_Link"), "QWidget.Far");
  other.setObjectName("Other");
  store.values["|S_Link"] = "other.far";
  s->Link = nullptr;
  store.Load(&form, list);
  EXPECT_EQ(s->Link, far);
  store.values["|S_Link"] = " near ";
  store.Load(&form, list);
  EXPECT_EQ(s->Link, near);
}

}  // namespace

#include "test_props_storage.moc"
