#include "controls/props_storage.h"

#include <QComboBox>
#include <QFont>
#include <QMap>
#include <QWidget>

#include <clocale>
#include <functional>
#include <gtest/gtest.h>

namespace {

class Sample : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption MEMBER Caption)
  Q_PROPERTY(double Ratio MEMBER Ratio)
  Q_PROPERTY(Shape Form MEMBER Form)
  Q_PROPERTY(Sides Edges READ GetEdges WRITE SetEdges)
  Q_PROPERTY(QObject* Link MEMBER Link)

 public:
  enum Shape { Round, Square, Oval };
  Q_ENUM(Shape)
  enum Side { Left = 1, Top = 2, Right = 4 };
  Q_DECLARE_FLAGS(Sides, Side)
  Q_FLAG(Sides)

  QString Caption;
  double Ratio = 0;
  Shape Form = Round;
  Sides Edges;
  Sides GetEdges() const { return Edges; }
  void SetEdges(Sides edges) { Edges = edges; }
  QObject* Link = nullptr;
};

class Column : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(QString Title MEMBER Title)

 public:
  using TCollectionItem::TCollectionItem;
  QString Title;
};

class Grid : public QWidget {
  Q_OBJECT
  Q_PROPERTY(TCollection* Columns READ Columns)

 public:
  TCollection* Columns() const { return columns_; }

 private:
  TCollection* columns_ = new TCollection([](TCollection* c) { return new Column(c); }, this);
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

// Under a comma locale as well: floats are written and read with a point.
TEST(PropsStorageTest, StoredFormsOfEachKind) {
  std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");
  QWidget form, other;
  auto* s = new Sample;
  s->setParent(&form);
  s->setObjectName("S1");
  s->Caption = " abc ";
  s->Ratio = 0.5;
  s->Form = Sample::Oval;
  s->Edges = Sample::Sides(Sample::Left) | Sample::Right;
  auto* far = new QObject(&other);  // the other window has no name: its class name
  far->setObjectName("Far");
  s->Link = far;
  TStoredList list =
      Entries(&form, {"S1.Caption", "S1.Ratio", "S1.Form", "S1.Edges", "S1.Link", "S1.Font.Color"});
  Store store("Sec");
  store.Save(&form, list);
  // Font.Color names nothing.
  const QMap<QString, QString> written{{"Sec|S1_Caption", "abc"},
                                       {"Sec|S1_Ratio", "0.5"},
                                       {"Sec|S1_Form", "Oval"},
                                       {"Sec|S1_Edges", "[Left,Right]"},
                                       {"Sec|S1_Link", "QWidget.Far"}};
  EXPECT_EQ(store.values, written);

  store.values["Sec|S1_Edges"] = "[ Top , bogus ,Left]";
  store.values["Sec|S1_Form"] = "square";
  store.values["Sec|S1_Ratio"] = "0.75";
  store.values["Sec|S1_Caption"] = "  new  ";
  other.setObjectName("Other");
  store.values["Sec|S1_Link"] = "other.far";
  s->Link = nullptr;
  store.Load(&form, list);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(s->Edges, Sample::Sides(Sample::Top) | Sample::Left);
  EXPECT_EQ(s->Form, Sample::Square);
  EXPECT_EQ(s->Ratio, 0.75);
  EXPECT_EQ(s->Caption, "new");
  EXPECT_EQ(s->Link, far);
}

TEST(PropsStorageTest, ListsAndCollectionsInTheirOwnSections) {
  QWidget form;
  auto* combo = new QComboBox(&form);
  combo->setObjectName("CB_List");
  combo->addItems({"a", " b "});
  auto* grid = new Grid;
  grid->setParent(&form);
  grid->setObjectName("Grid");
  static_cast<Column*>(grid->Columns()->Add())->Title = "A";
  static_cast<Column*>(grid->Columns()->Add())->Title = "Б";
  TStoredList list = Entries(&form, {"CB_List.Items", "Grid.Columns"});
  Store store("S");
  store.Save(&form, list);
  store.values["S.CB_List_Items|Item5"] = "stale";  // a list's section is rewritten whole
  store.Save(&form, list);
  EXPECT_FALSE(store.values.contains("S.CB_List_Items|Item5"));

  combo->clear();
  grid->Columns()->Clear();
  store.Load(&form, list);
  EXPECT_EQ(combo->itemText(1), " b ");  // lines are not trimmed
  ASSERT_EQ(grid->Columns()->Count(), 2);
  EXPECT_EQ(static_cast<Column*>(grid->Columns()->Items(1))->Title, "Б");
  // A hand-edited count no list could hold keeps the items there are.
  store.values["S|Grid_Columns.Count"] = "99999999";
  store.Load(&form, list);
  EXPECT_EQ(grid->Columns()->Count(), 2);
}

TEST(PropsStorageTest, EntryListMaintenance) {
  QWidget form;
  auto* a = new QObject(&form);
  a->setObjectName("A");
  TStoredList list = Entries(&form, {" a . Tag ", "Gone.Tag", "NoDot", ".Tag"});
  ASSERT_EQ(list.size(), 1);
  delete a;  // a component that went away is dropped, never stored
  Store store;
  store.Save(&form, list);
  EXPECT_TRUE(list.isEmpty() && store.values.isEmpty());
}

// What S1.Link of a window named `formName` holds after loading the stored text `stored`;
// it held a component of its own window before.
QString LinkAfterLoading(const QString& formName, const QString& stored) {
  QWidget form;
  form.setObjectName(formName);
  auto* s = new Sample;
  s->setParent(&form);
  s->setObjectName("S1");
  auto* own = new QObject(&form);
  own->setObjectName("Own");
  s->Link = own;
  TStoredList list = Entries(&form, {"S1.Link"});
  Store store("Sec");
  store.values["Sec|S1_Link"] = stored;
  store.Load(&form, list);
  return s->Link ? s->Link->objectName() : QStringLiteral("(null)");
}

// The font value `name` stored for a control whose font `set` changed, and `loaded` of the
// control's font once the stored font is loaded back into a plain one.
QString FontRoundTrip(const std::function<void(QFont&)>& set, const QString& name,
                      const std::function<QString(const QWidget&)>& loaded) {
  QWidget form;
  auto* control = new QWidget(&form);
  control->setObjectName("L");
  QFont font = control->font();
  set(font);
  control->setFont(font);
  TStoredList list = Entries(&form, {"L.Font"});
  Store store("Sec");
  store.Save(&form, list);
  const QString stored = store.values.value("Sec|L_Font" + name, "<none>");
  control->setFont(QFont());
  store.Load(&form, list);
  return stored + " " + loaded(*control);
}

// A reference into a window that is not there leaves the property; a font keeps its
// pitch and its own pixel height.
TEST(PropsStorageTest, ReferencesToMissingRootsAndFontPitchAndHeight) {
  const struct {
    const char* item;
    std::function<QString()> run;
    QString expected;
  } rows[] = {
      {"a reference whose root window is not found: unchanged",
       [] { return LinkAfterLoading("Form", "NoSuchWindow.Far"); }, "Own"},
      {"a reference to a found root without that component: none",
       [] { return LinkAfterLoading("Form", "Form.Nobody"); }, "(null)"},
      {"the font's pitch: stored by name and loaded",
       [] {
         return FontRoundTrip(
             [](QFont& f) { f.setFixedPitch(true); }, "Pitch",
             [](const QWidget& c) { return c.font().fixedPitch() ? "fixed" : "not fixed"; });
       },
       "fpFixed fixed"},
      {"the font's height: the negative pixel height, kept apart from the size",
       [] {
         return FontRoundTrip(
             [](QFont& f) { f.setPixelSize(15); }, "Height",
             [](const QWidget& c) { return QString::number(c.font().pixelSize()); });
       },
       "-15 15"},
      {"a font in points: its height at the screen's resolution, its size wins",
       [] {
         return FontRoundTrip(
             [](QFont& f) { f.setPointSize(9); }, "Height",
             [](const QWidget& c) { return QString::number(c.font().pointSize()); });
       },
       QString("%1 9").arg(-qRound(9 * QWidget().logicalDpiY() / 72.0))},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.item);
    EXPECT_EQ(row.run().toStdString(), row.expected.toStdString());
  }
}

}  // namespace

#include "test_props_storage.moc"
