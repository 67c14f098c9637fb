#include "controls/props_storage.h"

#include "archive/number_text.h"
#include "controls/str_utils.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaProperty>
#include <QSignalBlocker>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <utility>

TCollection::TCollection(TItemClass itemClass, QObject* parent)
    : TPersistent(parent), itemClass_(std::move(itemClass)) {}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = itemClass_(this);
  items_.append(item);
  if (updateCount_ == 0) Update();
  return item;
}

void TCollection::Clear() {
  if (items_.isEmpty()) return;
  BeginUpdate();
  qDeleteAll(std::exchange(items_, {}));
  EndUpdate();
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Update();
}

int ColorToRgbValue(const QColor& color) {
  return color.red() | color.green() << 8 | color.blue() << 16;
}

QColor RgbValueToColor(int value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TFontProps::TFontProps(QWidget* widget) : TPersistent(widget), widget_(widget) {}

TFontProps* TFontProps::Of(QWidget* widget) {
  if (auto* existing = widget->findChild<TFontProps*>(QString(), Qt::FindDirectChildrenOnly))
    return existing;
  return new TFontProps(widget);
}

int TFontProps::Color() const {
  return ColorToRgbValue(widget_->palette().color(widget_->foregroundRole()));
}

void TFontProps::SetColor(int color) {
  QPalette palette = widget_->palette();
  palette.setColor(widget_->foregroundRole(), RgbValueToColor(color));
  widget_->setPalette(palette);
}

int TFontProps::Height() const {
  const QFont font = widget_->font();
  if (font.pixelSize() > 0) return -font.pixelSize();
  return -qRound(font.pointSizeF() * widget_->logicalDpiY() / 72.0);
}

void TFontProps::SetHeight(int height) {
  if (height == 0) return;
  QFont font = widget_->font();
  font.setPixelSize(std::abs(height));
  widget_->setFont(font);
}

TFontProps::TFontPitch TFontProps::Pitch() const {
  const QFont font = widget_->font();
  if (!(font.resolveMask() & QFont::FixedPitchResolved)) return fpDefault;
  return font.fixedPitch() ? fpFixed : fpVariable;
}

void TFontProps::SetPitch(TFontPitch pitch) {
  QFont font = widget_->font();
  if (pitch == fpDefault) {
    // The pitch is no longer asked for: the widget takes its parent's again.
    font.setFixedPitch(false);
    font.setResolveMask(font.resolveMask() & ~QFont::FixedPitchResolved);
  } else {
    font.setFixedPitch(pitch == fpFixed);
  }
  widget_->setFont(font);
}

QString TFontProps::Name() const {
  return widget_->font().family();
}

void TFontProps::SetName(const QString& name) {
  QFont font = widget_->font();
  font.setFamily(name);
  widget_->setFont(font);
}

int TFontProps::Size() const {
  return widget_->font().pointSize();
}

void TFontProps::SetSize(int size) {
  if (size <= 0) return;
  QFont font = widget_->font();
  font.setPointSize(size);
  widget_->setFont(font);
}

TFontProps::TFontStyles TFontProps::Style() const {
  const QFont font = widget_->font();
  TFontStyles style;
  style.setFlag(fsBold, font.bold());
  style.setFlag(fsItalic, font.italic());
  style.setFlag(fsUnderline, font.underline());
  style.setFlag(fsStrikeOut, font.strikeOut());
  return style;
}

void TFontProps::SetStyle(TFontStyles style) {
  QFont font = widget_->font();
  font.setBold(style.testFlag(fsBold));
  font.setItalic(style.testFlag(fsItalic));
  font.setUnderline(style.testFlag(fsUnderline));
  font.setStrikeOut(style.testFlag(fsStrikeOut));
  widget_->setFont(font);
}

namespace {

bool SameName(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// Blanks and control characters off both ends.
QString TrimBlank(const QString& text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text.at(first).unicode() <= 0x20) ++first;
  while (last > first && text.at(last - 1).unicode() <= 0x20) --last;
  return text.mid(first, last - first);
}

const char* const kTag = "Tag";

TPropInfo MakeProp(const QString& name, TPropKind kind) {
  TPropInfo info;
  info.Name = name;
  info.Kind = kind;
  return info;
}

// Replacing a combo box's lines keeps its text, as the system's list controls do, and,
// like every change made here, notifies nobody.
void SetComboItems(QComboBox* combo, const QStringList& items) {
  const QSignalBlocker block(combo);
  const QString text = combo->currentText();
  combo->clear();
  combo->addItems(items);
  if (combo->isEditable()) {
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
  } else {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
  }
}

void SetComboText(QComboBox* combo, const QString& text) {
  const QSignalBlocker block(combo);
  if (combo->isEditable()) {
    combo->setEditText(text);
    return;
  }
  const int index = combo->findText(text, Qt::MatchFixedString);
  if (index >= 0) combo->setCurrentIndex(index);
}

void AddAdapterProperties(const QObject* object, std::vector<TPropInfo>& list) {
  if (qobject_cast<const QComboBox*>(object)) {
    TPropInfo items = MakeProp(QStringLiteral("Items"), TPropKind::Class);
    items.IsStringList = true;
    items.Read = [](const QObject* o) {
      const auto* combo = static_cast<const QComboBox*>(o);
      QStringList lines;
      for (int i = 0; i < combo->count(); ++i) lines += combo->itemText(i);
      return QVariant(lines);
    };
    items.Write = [](QObject* o, const QVariant& v) {
      SetComboItems(static_cast<QComboBox*>(o), v.toStringList());
      return true;
    };
    list.push_back(items);
    TPropInfo text = MakeProp(QStringLiteral("Text"), TPropKind::String);
    text.Read = [](const QObject* o) {
      return QVariant(static_cast<const QComboBox*>(o)->currentText());
    };
    text.Write = [](QObject* o, const QVariant& v) {
      SetComboText(static_cast<QComboBox*>(o), v.toString());
      return true;
    };
    list.push_back(text);
    TPropInfo index = MakeProp(QStringLiteral("ItemIndex"), TPropKind::Integer);
    index.Read = [](const QObject* o) {
      return QVariant(static_cast<const QComboBox*>(o)->currentIndex());
    };
    index.Write = [](QObject* o, const QVariant& v) {
      auto* combo = static_cast<QComboBox*>(o);
      const QSignalBlocker block(combo);
      combo->setCurrentIndex(v.toInt() < combo->count() ? v.toInt() : -1);
      return true;
    };
    list.push_back(index);
  } else if (qobject_cast<const QLineEdit*>(object)) {
    TPropInfo text = MakeProp(QStringLiteral("Text"), TPropKind::String);
    text.Read = [](const QObject* o) { return QVariant(static_cast<const QLineEdit*>(o)->text()); };
    text.Write = [](QObject* o, const QVariant& v) {
      auto* edit = static_cast<QLineEdit*>(o);
      const QSignalBlocker block(edit);
      edit->setText(v.toString());
      return true;
    };
    list.push_back(text);
  }
  if (object->isWidgetType()) {
    TPropInfo font = MakeProp(QStringLiteral("Font"), TPropKind::Class);
    font.ClassType = &TFontProps::staticMetaObject;
    font.Read = [](const QObject* o) {
      return QVariant::fromValue<QObject*>(
          TFontProps::Of(const_cast<QWidget*>(static_cast<const QWidget*>(o))));
    };
    font.Write = [](QObject*, const QVariant&) { return false; };
    list.push_back(font);
  }
}

// The kind of a value type; false for types without a stored form.
bool KindOfType(QMetaType type, TPropInfo& info) {
  switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
      info.Kind = TPropKind::Integer;
      return true;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      info.Kind = TPropKind::Int64;
      return true;
    case QMetaType::Char:
    case QMetaType::QChar:
      info.Kind = TPropKind::Char;
      return true;
    case QMetaType::Bool:
      info.Kind = TPropKind::Enumeration;
      info.IsBool = true;
      return true;
    case QMetaType::Double:
      info.Kind = TPropKind::Float;
      info.Digits = 15;
      return true;
    case QMetaType::Float:
      info.Kind = TPropKind::Float;
      info.Digits = 7;
      return true;
    case QMetaType::QString:
    case QMetaType::QByteArray:
      info.Kind = TPropKind::String;
      return true;
    case QMetaType::QStringList:
      info.Kind = TPropKind::Class;
      info.IsStringList = true;
      return true;
    case QMetaType::QVariant:
      info.Kind = TPropKind::Variant;
      return true;
    case QMetaType::QColor:
      info.Kind = TPropKind::Integer;
      info.IsColor = true;
      return true;
    default:
      break;
  }
  if (type.flags().testFlag(QMetaType::PointerToQObject)) {
    info.Kind = TPropKind::Class;
    info.ClassType = type.metaObject();
    return true;
  }
  return false;
}

void AddMetaProperty(const QMetaProperty& meta, std::vector<TPropInfo>& list) {
  if (!meta.isReadable()) return;
  TPropInfo info = MakeProp(QString::fromLatin1(meta.name()), TPropKind::Integer);
  if (meta.isEnumType()) {
    info.Kind = meta.isFlagType() ? TPropKind::Set : TPropKind::Enumeration;
    info.Enum = meta.enumerator();
  } else if (!KindOfType(meta.metaType(), info)) {
    return;
  }
  if (info.IsColor) {
    info.Read = [meta](const QObject* o) {
      return QVariant(ColorToRgbValue(meta.read(o).value<QColor>()));
    };
    info.Write = [meta](QObject* o, const QVariant& v) {
      return meta.write(o, RgbValueToColor(v.toInt()));
    };
  } else {
    info.Read = [meta](const QObject* o) { return meta.read(o); };
    info.Write = [meta](QObject* o, const QVariant& v) { return meta.write(o, v); };
  }
  list.push_back(info);
}

void AddDynamicProperty(const QByteArray& name, const QVariant& value,
                        std::vector<TPropInfo>& list) {
  TPropInfo info = MakeProp(QString::fromLatin1(name), TPropKind::Integer);
  if (!KindOfType(value.metaType(), info)) return;
  const QMetaType type = value.metaType();
  info.Read = [name](const QObject* o) { return o->property(name.constData()); };
  info.Write = [name, type](QObject* o, QVariant v) {
    if (!v.convert(type)) return false;
    o->setProperty(name.constData(), v);
    return true;
  };
  list.push_back(info);
}

bool Listed(const std::vector<TPropInfo>& list, const QString& name) {
  return std::any_of(list.begin(), list.end(),
                     [&](const TPropInfo& p) { return SameName(p.Name, name); });
}

}  // namespace

TPropInfoList::TPropInfoList(const QObject* object) {
  if (!object) return;
  const QMetaObject* meta = object->metaObject();
  if (qobject_cast<const TPersistent*>(object)) {
    // A group has only its own properties: no name, tag or dynamic ones.
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
      AddMetaProperty(meta->property(i), list_);
    return;
  }
  AddAdapterProperties(object, list_);
  for (int i = 0; i < meta->propertyCount(); ++i)
    if (!Listed(list_, QString::fromLatin1(meta->property(i).name())))
      AddMetaProperty(meta->property(i), list_);
  for (const QByteArray& name : object->dynamicPropertyNames())
    if (!Listed(list_, QString::fromLatin1(name)))
      AddDynamicProperty(name, object->property(name.constData()), list_);
  if (!Listed(list_, QString::fromLatin1(kTag))) {
    TPropInfo tag = MakeProp(QString::fromLatin1(kTag), TPropKind::Integer);
    tag.Read = [](const QObject* o) { return QVariant(o->property(kTag).toInt()); };
    tag.Write = [](QObject* o, const QVariant& v) {
      o->setProperty(kTag, v.toInt());
      return true;
    };
    list_.push_back(tag);
  }
}

const TPropInfo* TPropInfoList::Find(const QString& name) const {
  for (const TPropInfo& info : list_)
    if (SameName(info.Name, name)) return &info;
  return nullptr;
}

QString TPropsStorage::ReadString(const QString& section, const QString& ident,
                                  const QString& def) {
  return ReadHandler ? ReadHandler(section, ident, def) : QString();
}

void TPropsStorage::WriteString(const QString& section, const QString& ident,
                                const QString& value) {
  if (WriteHandler) WriteHandler(section, ident, value);
}

void TPropsStorage::EraseSection(const QString& section) {
  if (EraseHandler) EraseHandler(section);
}

namespace {

QString EnumText(const TPropInfo& prop, const QVariant& value) {
  if (prop.IsBool) return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  const char* key = prop.Enum.valueToKey(value.toInt());
  return key ? QString::fromLatin1(key) : QString();
}

QString SetText(const TPropInfo& prop, const QVariant& value) {
  const uint bits = value.toUInt();
  QList<std::pair<uint, QString>> members;
  for (int i = 0; i < prop.Enum.keyCount(); ++i) {
    const uint v = uint(prop.Enum.value(i));
    if (v != 0 && (v & (v - 1)) == 0 && (bits & v) == v)
      members.append({v, QString::fromLatin1(prop.Enum.key(i))});
  }
  std::sort(members.begin(), members.end());
  QStringList names;
  for (const auto& member : members) names += member.second;
  return u'[' + names.join(u',') + u']';
}

QString FloatText(const TPropInfo& prop, const QVariant& value) {
  const double v = value.toDouble();
  if (prop.Digits >= 15) return FloatToText(v);
  // Single precision keeps its 7 significant digits, not the widened double's noise.
  return FloatToText(TextToFloat(QString::number(v, 'g', prop.Digits)).value_or(v));
}

// The stored text of a property that is not an object.
QString ScalarText(const TPropInfo& prop, const QVariant& value) {
  switch (prop.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
      return IntToText(value.toLongLong());
    case TPropKind::Char:
      return value.toString().left(1);
    case TPropKind::Enumeration:
      return EnumText(prop, value);
    case TPropKind::Float:
      return FloatText(prop, value);
    case TPropKind::Set:
      return SetText(prop, value);
    default:
      return value.toString();
  }
}

}  // namespace

namespace {

bool IsGroup(const TPropInfo& prop) {
  return prop.ClassType && prop.ClassType->inherits(&TPersistent::staticMetaObject);
}

}  // namespace

QString TPropsStorage::ComponentReference(const QObject* component) const {
  if (!component) return QStringLiteral("(null)");
  const QString name = component->objectName();
  const QObject* root = component->parent();
  while (root && !(root->isWidgetType() && static_cast<const QWidget*>(root)->isWindow()) &&
         root->parent())
    root = root->parent();
  if (!root || root == owner_) return name;
  QString rootName = root->objectName();
  if (rootName.isEmpty()) {
    rootName = QString::fromLatin1(root->metaObject()->className());
    if (rootName.startsWith(u'T', Qt::CaseInsensitive)) rootName.remove(0, 1);
  }
  return QStringLiteral("%1.%2").arg(rootName, name);
}

bool TPropsStorage::ResolveReference(const QString& text, QObject*& component) const {
  const qsizetype dot = text.indexOf(u'.');
  const QString rootName = dot < 0 ? QString() : text.left(dot).trimmed();
  const QString name = dot < 0 ? text.trimmed() : text.mid(dot + 1).trimmed();
  const QObject* root = rootName.isEmpty() ? owner_ : FindNamedRoot(rootName);
  if (!root) return false;
  component = FindOwnedComponent(root, name);
  return true;
}

void TPropsStorage::StoreStringList(const TPropInfo& prop) {
  const QStringList lines = prop.Read(AObject).toStringList();
  const QString sub = Section + u'.' + GetItemName(prop.Name);
  EraseSection(sub);
  if (lines.isEmpty()) return;
  WriteString(sub, QStringLiteral("Count"), IntToText(lines.size()));
  for (qsizetype i = 0; i < lines.size(); ++i)
    WriteString(sub, QStringLiteral("Item%1").arg(i), lines.at(i));
}

void TPropsStorage::LoadStringList(const TPropInfo& prop) {
  const QString sub = Section + u'.' + GetItemName(prop.Name);
  const int count =
      TextToInt(ReadString(sub, QStringLiteral("Count"), QStringLiteral("0")).trimmed())
          .value_or(0);
  if (count <= 0) return;
  QStringList lines;
  lines.reserve(count);
  for (int i = 0; i < count; ++i) lines += ReadString(sub, QStringLiteral("Item%1").arg(i), {});
  prop.Write(AObject, lines);
}

std::unique_ptr<TPropsStorage> TPropsStorage::CreateStorage() const {
  return std::make_unique<TPropsStorage>();
}

std::unique_ptr<TPropsStorage> TPropsStorage::Nested(QObject* object, const QString& prefix,
                                                     const QString& section) const {
  std::unique_ptr<TPropsStorage> nested = CreateStorage();
  nested->AObject = object;
  nested->Prefix = prefix;
  nested->Section = section;
  nested->ReadHandler = ReadHandler;
  nested->WriteHandler = WriteHandler;
  nested->EraseHandler = EraseHandler;
  return nested;
}

void TPropsStorage::StoreObjectProps() {
  const TPropInfoList props(AObject);
  for (int i = 0; i < props.Count(); ++i) StoreProperty(&props.Items(i));
}

void TPropsStorage::LoadObjectProps() {
  const TPropInfoList props(AObject);
  for (int i = 0; i < props.Count(); ++i) LoadProperty(&props.Items(i));
}

void TPropsStorage::StoreCollection(const TPropInfo& prop, TCollection* collection) {
  const QString name = GetItemName(prop.Name);
  const QString sub = Section + u'.' + name;
  EraseSection(sub);
  WriteString(Section, name + QStringLiteral(".Count"), IntToText(collection->Count()));
  for (int i = 0; i < collection->Count(); ++i)
    Nested(collection->Items(i), QStringLiteral("Item%1_").arg(i), sub)->StoreObjectProps();
}

void TPropsStorage::LoadCollection(const TPropInfo& prop, TCollection* collection) {
  const QString name = GetItemName(prop.Name);
  const QString sub = Section + u'.' + name;
  // A hand-edited count beyond any real list counts as bad text.
  constexpr int kMaxItems = 65535;
  const std::optional<int> stored = TextToInt(
      ReadString(Section, name + QStringLiteral(".Count"), IntToText(collection->Count())));
  const int count = stored && *stored >= 0 && *stored <= kMaxItems ? *stored : collection->Count();
  collection->BeginUpdate();
  struct End {
    TCollection* collection;
    ~End() { collection->EndUpdate(); }
  } end{collection};
  if (count != collection->Count()) {
    collection->Clear();
    for (int i = 0; i < count; ++i) collection->Add();
  }
  for (int i = 0; i < count; ++i)
    Nested(collection->Items(i), QStringLiteral("Item%1_").arg(i), sub)->LoadObjectProps();
}

void TPropsStorage::StoreProperty(const TPropInfo* prop) {
  if (!prop || !AObject) return;
  const QVariant value = prop->Read(AObject);
  QString text;
  if (prop->Kind != TPropKind::Class) {
    text = ScalarText(*prop, value);
  } else if (prop->IsStringList) {
    StoreStringList(*prop);
    return;
  } else if (IsGroup(*prop)) {
    QObject* object = value.value<QObject*>();
    if (auto* collection = qobject_cast<TCollection*>(object))
      StoreCollection(*prop, collection);
    else if (object)
      Nested(object, GetItemName(prop->Name), Section)->StoreObjectProps();
    return;
  } else {
    text = ComponentReference(value.value<QObject*>());
  }
  if (text.isEmpty() && prop->Kind != TPropKind::String && prop->Kind != TPropKind::Char) return;
  WriteString(Section, GetItemName(prop->Name), TrimBlank(text));
}

namespace {

[[noreturn]] void Refuse(const TPropInfo& prop, const QString& text) {
  throw std::invalid_argument(
      QStringLiteral("Invalid value '%1' for property %2").arg(text, prop.Name).toStdString());
}

void PutBack(QObject* object, const TPropInfo& prop, const QVariant& value, const QString& text) {
  if (!prop.Write(object, value)) Refuse(prop, text);
}

}  // namespace

void TPropsStorage::LoadProperty(const TPropInfo* prop) {
  if (!prop || !AObject) return;
  // One bad property costs only itself.
  try {
    if (prop->Kind == TPropKind::Class) {
      if (prop->IsStringList) {
        LoadStringList(*prop);
        return;
      }
      if (IsGroup(*prop)) {
        QObject* object = prop->Read(AObject).value<QObject*>();
        if (auto* collection = qobject_cast<TCollection*>(object))
          LoadCollection(*prop, collection);
        else if (object)
          Nested(object, GetItemName(prop->Name), Section)->LoadObjectProps();
        return;
      }
      const QString text = TrimBlank(ReadString(Section, GetItemName(prop->Name), {}));
      if (text.isEmpty()) return;
      QObject* target = nullptr;
      // A reference into a window that is not there leaves the property as it is.
      if (!SameName(text, QStringLiteral("(null)")) && !ResolveReference(text, target)) return;
      PutBack(AObject, *prop, QVariant::fromValue(target), text);
      return;
    }
    const QString def = ScalarText(*prop, prop->Read(AObject));
    const bool alwaysRead = prop->Kind == TPropKind::String || prop->Kind == TPropKind::Char;
    const QString text = def.isEmpty() && !alwaysRead
                             ? QString()
                             : TrimBlank(ReadString(Section, GetItemName(prop->Name), def));
    switch (prop->Kind) {
      case TPropKind::Integer:
        PutBack(AObject, *prop, TextToInt(text).value_or(0), text);
        break;
      case TPropKind::Int64: {
        bool ok = false;
        const qlonglong v = text.toLongLong(&ok);
        PutBack(AObject, *prop, ok ? v : 0, text);
        break;
      }
      case TPropKind::Char:
        if (text.isEmpty()) Refuse(*prop, text);
        PutBack(AObject, *prop, QVariant(text.front()), text);
        break;
      case TPropKind::Enumeration:
        if (prop->IsBool) {
          if (SameName(text, QStringLiteral("False"))) PutBack(AObject, *prop, false, text);
          if (SameName(text, QStringLiteral("True"))) PutBack(AObject, *prop, true, text);
        } else {
          // Searched from the lowest value up, so the first of equal names wins.
          std::optional<int> found;
          for (int i = 0; i < prop->Enum.keyCount(); ++i)
            if (SameName(QString::fromLatin1(prop->Enum.key(i)), text) &&
                (!found || prop->Enum.value(i) < *found))
              found = prop->Enum.value(i);
          if (found) PutBack(AObject, *prop, *found, text);
        }
        break;
      case TPropKind::Float: {
        const std::optional<double> v = TextToFloat(text);
        if (!v) Refuse(*prop, text);
        PutBack(AObject, *prop, *v, text);
        break;
      }
      case TPropKind::String:
      case TPropKind::Variant:
        PutBack(AObject, *prop, text, text);
        break;
      case TPropKind::Set: {
        uint bits = 0;
        const QString delims = QStringLiteral(" ,[]");
        for (int i = 1; i <= WordCount(text, delims); ++i) {
          bool ok = false;
          const uint v = uint(prop->Enum.keyToValue(ExtractWord(i, text, delims).toLatin1(), &ok));
          if (ok && v != 0 && (v & (v - 1)) == 0) bits |= v;
        }
        PutBack(AObject, *prop, bits, text);
        break;
      }
      case TPropKind::Class:
        break;
    }
  } catch (const std::exception&) {
  }
}

void TPropsStorage::StoreObjectsProps(QObject* root, TStoredList& list) {
  ProcessObjectsProps(root, list, true);
}

void TPropsStorage::LoadObjectsProps(QObject* root, TStoredList& list) {
  ProcessObjectsProps(root, list, false);
}

void TPropsStorage::ProcessObjectsProps(QObject* root, TStoredList& list, bool store) {
  UpdateStoredList(root, list, false);
  // Each component's properties are listed once, however many entries name it.
  std::vector<std::pair<QObject*, std::unique_ptr<TPropInfoList>>> props;
  for (const TStoredItem& item : list) {
    QObject* component = item.Object;
    const bool known = std::any_of(props.begin(), props.end(),
                                   [&](const auto& entry) { return entry.first == component; });
    if (!known) props.emplace_back(component, std::make_unique<TPropInfoList>(component));
  }
  owner_ = root;
  struct ResetOwner {
    QObject*& owner;
    ~ResetOwner() { owner = nullptr; }
  } reset{owner_};
  for (const TStoredItem& item : list) {
    QString compName, propName;
    if (!item.Object || !SplitStoredItem(item.Text, compName, propName)) continue;
    AObject = item.Object;
    Prefix = item.Object->objectName() + kPropNameDelimiter.toString();
    const auto entry = std::find_if(props.begin(), props.end(),
                                    [&](const auto& e) { return e.first == item.Object; });
    const TPropInfo* prop = entry->second->Find(propName);
    if (store)
      StoreProperty(prop);
    else
      LoadProperty(prop);
  }
  AObject = nullptr;
}

void UpdateStoredList(QObject* root, TStoredList& list, bool fromForm) {
  if (!root) return;
  for (qsizetype i = list.size() - 1; i >= 0; --i) {
    TStoredItem& item = list[i];
    QString compName, propName;
    if (!SplitStoredItem(item.Text, compName, propName)) {
      list.removeAt(i);
    } else if (fromForm) {
      item.Object = FindOwnedComponent(root, compName);
      if (!item.Object) list.removeAt(i);
    } else if (item.Object) {
      item.Text = RenameStoredItem(item.Text, item.Object->objectName());
    } else {
      list.removeAt(i);
    }
  }
}

bool SplitStoredItem(const QString& item, QString& compName, QString& propName) {
  const qsizetype dot = item.indexOf(u'.');
  if (dot < 0) return false;
  compName = item.left(dot).trimmed();
  propName = item.mid(dot + 1).trimmed();
  return !compName.isEmpty() && !propName.isEmpty();
}

QString MakeStoredItem(const QString& compName, const QString& propName) {
  if (compName.isEmpty() || propName.isEmpty()) return {};
  return compName + u'.' + propName;
}

QString RenameStoredItem(const QString& item, const QString& newCompName) {
  QString compName, propName;
  if (!SplitStoredItem(item, compName, propName)) return {};
  return MakeStoredItem(newCompName, propName);
}

QObject* FindNamedRoot(const QString& name) {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (SameName(window->objectName(), name)) return window;
  return nullptr;
}

QObject* FindOwnedComponent(const QObject* root, const QString& name) {
  if (!root || name.isEmpty()) return nullptr;
  for (QObject* child : root->findChildren<QObject*>())
    if (SameName(child->objectName(), name)) return child;
  return nullptr;
}
