#pragma once
// Published properties of objects as texts and back, handed to read, write and erase
// handlers that the user binds to a settings store. A property is a Qt meta-object
// property, a dynamic property, "Tag" (an integer every object has, 0 until set) or one
// of the adapter properties of the standard controls: "Items", "Text" and "ItemIndex"
// of a combo box, "Text" of a line edit and "Font" of every widget.

#include <QList>
#include <QMetaEnum>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QColor;
class QWidget;

// A group of properties that an object holds (a font, size limits): stored with its
// holder's value name in front, never as a reference. Its published properties are its
// own Q_PROPERTYs.
class TPersistent : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
};

class TCollectionItem : public TPersistent {
  Q_OBJECT
 public:
  using TPersistent::TPersistent;
};

// Items of one class, owned by the collection; stored item by item.
class TCollection : public TPersistent {
  Q_OBJECT
 public:
  using TItemClass = std::function<TCollectionItem*(TCollection* owner)>;
  TCollection(TItemClass itemClass, QObject* parent);

  int Count() const { return int(items_.size()); }
  TCollectionItem* Items(int index) const { return items_.at(index); }
  TCollectionItem* Add();
  void Clear();
  // Changes made between them are reported once, by Update at the end.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

 protected:
  virtual void Update() {}

 private:
  TItemClass itemClass_;
  QList<TCollectionItem*> items_;
  int updateCount_ = 0;
};

// The font of a widget as a property group: Color (an RGB value, red in the low
// byte), Height (the negative pixel height), Name, Pitch (fixed or not), Size (points)
// and Style.
class TFontProps : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Color READ Color WRITE SetColor)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(TFontPitch Pitch READ Pitch WRITE SetPitch)
  Q_PROPERTY(int Size READ Size WRITE SetSize)
  Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)

 public:
  enum TFontPitch { fpDefault, fpVariable, fpFixed };
  Q_ENUM(TFontPitch)
  enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
  Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
  Q_FLAG(TFontStyles)

  // The widget's font group, made on first use.
  static TFontProps* Of(QWidget* widget);
  int Color() const;
  void SetColor(int color);
  // The character height in pixels, negative; a font given in points has the height its
  // size makes on the widget's screen.
  int Height() const;
  // A negative or positive height sets that many pixels; 0 changes nothing.
  void SetHeight(int height);
  QString Name() const;
  void SetName(const QString& name);
  // fpDefault: the widget's font does not ask for either pitch itself.
  TFontPitch Pitch() const;
  void SetPitch(TFontPitch pitch);
  int Size() const;
  void SetSize(int size);
  TFontStyles Style() const;
  void SetStyle(TFontStyles style);

 private:
  explicit TFontProps(QWidget* widget);
  QWidget* widget_;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontProps::TFontStyles)

// 0x00BBGGRR and back.
int ColorToRgbValue(const QColor& color);
QColor RgbValueToColor(int value);

enum class TPropKind { Integer, Char, Enumeration, Float, String, Set, Class, Variant, Int64 };

// One published property of an object's class.
struct TPropInfo {
  QString Name;
  TPropKind Kind = TPropKind::Integer;
  QMetaEnum Enum;             // Enumeration (except Booleans) and Set
  bool IsBool = false;        // an enumeration of False and True
  bool IsColor = false;       // an Integer kept as a QColor
  int Digits = 15;            // significant digits of a Float
  bool IsStringList = false;  // a Class that holds lines
  // Of any other Class: the object's class; a TCollection or TPersistent is stored
  // through a nested storage, anything else as a component reference.
  const QMetaObject* ClassType = nullptr;
  std::function<QVariant(const QObject*)> Read;
  // False when the value was refused.
  std::function<bool(QObject*, const QVariant&)> Write;
};

// The published properties of an object, in its class's order.
class TPropInfoList {
 public:
  explicit TPropInfoList(const QObject* object);
  // The property of that name ignoring case, else null.
  const TPropInfo* Find(const QString& name) const;
  const TPropInfo& Items(int index) const { return list_.at(std::size_t(index)); }
  int Count() const { return int(list_.size()); }

 private:
  std::vector<TPropInfo> list_;
};

// One "Component.Property" entry and its component once resolved.
struct TStoredItem {
  QString Text;
  QPointer<QObject> Object;
};
using TStoredList = QList<TStoredItem>;

class TPropsStorage {
 public:
  using TReadHandler =
      std::function<QString(const QString& section, const QString& ident, const QString& def)>;
  using TWriteHandler =
      std::function<void(const QString& section, const QString& ident, const QString& value)>;
  using TEraseHandler = std::function<void(const QString& section)>;

  TPropsStorage() = default;
  virtual ~TPropsStorage() = default;
  TPropsStorage(const TPropsStorage&) = delete;
  TPropsStorage& operator=(const TPropsStorage&) = delete;

  QObject* AObject = nullptr;
  QString Prefix;
  QString Section;
  TReadHandler ReadHandler;
  TWriteHandler WriteHandler;
  TEraseHandler EraseHandler;

  // Without a bound handler reads give an empty text and writes do nothing.
  virtual QString ReadString(const QString& section, const QString& ident, const QString& def);
  virtual void WriteString(const QString& section, const QString& ident, const QString& value);
  virtual void EraseSection(const QString& section);
  virtual QString GetItemName(const QString& propName) const { return Prefix + propName; }
  // The storage of a nested object: collection items and property groups.
  virtual std::unique_ptr<TPropsStorage> CreateStorage() const;

  // Failures of a store pass to the caller; a failed load leaves the property as it was.
  void StoreProperty(const TPropInfo* prop);
  void LoadProperty(const TPropInfo* prop);
  void StoreObjectsProps(QObject* root, TStoredList& list);
  void LoadObjectsProps(QObject* root, TStoredList& list);

 private:
  void ProcessObjectsProps(QObject* root, TStoredList& list, bool store);
  void StoreStringList(const TPropInfo& prop);
  void LoadStringList(const TPropInfo& prop);
  // Every property of AObject.
  void StoreObjectProps();
  void LoadObjectProps();
  std::unique_ptr<TPropsStorage> Nested(QObject* object, const QString& prefix,
                                        const QString& section) const;
  void StoreCollection(const TPropInfo& prop, TCollection* collection);
  void LoadCollection(const TPropInfo& prop, TCollection* collection);
  QString ComponentReference(const QObject* component) const;
  // False when the text names a root that does not exist; else the root's component of
  // that name, null when it has none.
  bool ResolveReference(const QString& text, QObject*& component) const;

  QObject* owner_ = nullptr;  // set while a list of entries is processed
};

// Put between a component's name and its property names.
inline constexpr QStringView kPropNameDelimiter = u"_";

// Drops entries that do not split. FromForm: each entry's component is the root's
// component of that name (entries naming none are dropped). Else each entry is renamed
// after its component's current name (entries whose component is gone are dropped).
void UpdateStoredList(QObject* root, TStoredList& list, bool fromForm);
bool SplitStoredItem(const QString& item, QString& compName, QString& propName);
QString MakeStoredItem(const QString& compName, const QString& propName);
QString RenameStoredItem(const QString& item, const QString& newCompName);
// The application's top-level window of that name, ignoring case.
QObject* FindNamedRoot(const QString& name);
// The object of that name owned by root (at any depth), ignoring case.
QObject* FindOwnedComponent(const QObject* root, const QString& name);
