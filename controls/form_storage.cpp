#include "controls/form_storage.h"

#include "controls/set_if_changed.h"
#include "controls/str_utils.h"
#include "platform/exception_guard.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

TIniLink::~TIniLink() {
  OnSave = nullptr;
  OnLoad = nullptr;
  SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement* storage) {
  if (storage == storage_) return;
  if (storage_) storage_->links_.removeAll(this);
  storage_ = storage;
  if (storage_) storage_->links_.append(this);
}

TSettingsObject* TIniLink::SettingsObject() const {
  return storage_ ? storage_->SettingsObject() : nullptr;
}

QString TIniLink::RootSection() const {
  const QString section = storage_ ? storage_->IniSectionAsSet() : QString();
  return section.isEmpty() ? QString() : section + u'\\';
}

void TIniLink::SaveToStorage() {
  if (OnSave) OnSave(this);
}

void TIniLink::LoadFromStorage() {
  if (OnLoad) OnLoad(this);
}

// Keeps a settings object open for one read or write when none was open.
class TFormPlacement::Session {
 public:
  Session(TFormPlacement& placement, bool readOnly) : placement_(placement) {
    if (placement_.settings_) return;
    placement_.OpenSettings(readOnly);
    opened_ = true;
  }
  ~Session() {
    if (opened_) placement_.CloseSettings();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  TFormPlacement& placement_;
  bool opened_ = false;
};

TWinMinMaxInfo::TWinMinMaxInfo(TFormPlacement* owner) : TPersistent(owner), owner_(owner) {}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& source) {
  info_ = source.info_;
  if (owner_) owner_->MinMaxInfoModified();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
  return MaxPosLeft() == 0 && MaxPosTop() == 0 && MaxSizeHeight() == 0 && MaxSizeWidth() == 0 &&
         MaxTrackHeight() == 0 && MaxTrackWidth() == 0 && MinTrackHeight() == 0 &&
         MinTrackWidth() == 0;
}

void TWinMinMaxInfo::SetValue(int& field, int value) {
  if (!SetIfChanged(field, value)) return;
  if (owner_) owner_->MinMaxInfoModified();
}

namespace {

bool HasMaximizeButton(const QWidget* window) {
  return window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
}

// Only the maximise button comes or goes; the window's other buttons and menu stay as
// designed. A shown window takes its new flags in place: setWindowFlags would hide it,
// which ends a modal dialog's exec() and shows it again modeless.
void SetMaximizeButton(QWidget* window, bool on) {
  if (HasMaximizeButton(window) == on) return;
  Qt::WindowFlags flags = window->windowFlags();
  flags.setFlag(Qt::WindowMaximizeButtonHint, on);
  QWindow* handle = window->windowHandle();
  if (handle && window->isVisible()) {
    window->overrideWindowFlags(flags);
    handle->setFlags(flags);
  } else {
    window->setWindowFlags(flags);
  }
}

// What the window frame adds to the client size, once the window system made the window.
QSize FrameExtent(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  if (!handle) return {};
  const QMargins margins = handle->frameMargins();
  return {margins.left() + margins.right(), margins.top() + margins.bottom()};
}

// An outer size limit as the client size it leaves; 0 leaves the window's own limit.
int ClientLimit(int outer, int frame, int own) {
  // Never 0: a limit smaller than the frame would shut the window to nothing.
  return outer ? std::max(1, outer - frame) : own;
}

}  // namespace

// The window's first child, so the first to go when the window is destroyed: the
// placement's destroy handler then runs while the window's controls are all there.
class TFormPlacement::DestroyNotice final : public QWidget {
 public:
  DestroyNotice(QWidget* window, TFormPlacement* placement)
      : QWidget(window), placement_(placement) {
    setAttribute(Qt::WA_DontShowOnScreen);
    hide();
    lower();
  }
  ~DestroyNotice() override {
    if (placement_) placement_->FormDestroy();
  }
  // The placement goes before its window: the window's end is no longer its business.
  void Forget() { placement_ = nullptr; }

 private:
  QPointer<TFormPlacement> placement_;
};

TFormPlacement::TFormPlacement(QObject* owner)
    : QObject(owner), minMaxInfo_(new TWinMinMaxInfo(this)), winHook_(new TXcWindowHook(this)) {
  winHook_->AfterMessage = std::bind_front(&TFormPlacement::WndMessage, this);
  if (QWidget* window = Window()) {
    Options = fpState | fpPosition;
    defaultSection_ = GetDefaultSection(window);
    defMaximize_ = HasMaximizeButton(window);
    window->installEventFilter(this);
    // A dialog closes with a result through done(), which sends no close event.
    if (auto* dialog = qobject_cast<QDialog*>(window))
      connect(dialog, &QDialog::finished, this, &TFormPlacement::FormCloseQuery);
  }
}

TFormPlacement::~TFormPlacement() {
  // Saving belongs to the window's destruction alone, which the notice reports.
  if (destroyNotice_) {
    destroyNotice_->Forget();
    delete destroyNotice_;
  }
  CloseSettings();
  for (qsizetype i = links_.size() - 1; i >= 0; --i) links_.at(i)->SetStorage(nullptr);
}

QWidget* TFormPlacement::Window() const {
  auto* widget = qobject_cast<QWidget*>(parent());
  return widget && widget->isWindow() ? widget : nullptr;
}

QString TFormPlacement::IniFileName() const {
  if (!iniFileName_.isEmpty()) return iniFileName_;
  return UseRegistry ? GetDefaultIniRegKey() : GetDefaultIniName();
}

QString TFormPlacement::IniSection() const {
  if (!iniSection_.isEmpty()) return iniSection_;
  // The window's class name is taken while the window is whole: during its destruction
  // it no longer names the window's own class.
  return defaultSection_.isEmpty() ? GetDefaultSection(parent()) : defaultSection_;
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
  if (watched != parent() || IsContinuing(this, event)) return false;
  QWidget* window = Window();
  if (event->type() == QEvent::Show && !event->spontaneous() && window) {
    if (!std::exchange(loaded_, true)) {
      WatchDestruction();
      Loaded();
    }
    if (Active) FormShow();
  } else if (event->type() == QEvent::Close && Active && Window() &&
             !qobject_cast<QDialog*>(watched)) {
    // The window's own close handling decides first; only an accepted close saves.
    ContinueDispatch(this, watched, event);
    if (event->isAccepted()) FormCloseQuery();
    return true;
  }
  return false;
}

void TFormPlacement::WatchDestruction() {
  if (QWidget* window = Window(); window && !destroyNotice_)
    destroyNotice_ = new DestroyNotice(window, this);
}

void TFormPlacement::FormShow() {
  if (QWidget* window = Window()) defaultSection_ = GetDefaultSection(window);
  RunGuarded([this] { RestoreFormPlacement(); });
}

void TFormPlacement::FormDestroy() {
  if (!Active || saved_) return;
  destroying_ = true;
  RunGuarded([this] { SaveFormPlacement(); });
  destroying_ = false;
}

void TFormPlacement::FormCloseQuery() {
  if (Active && Window()) RunGuarded([this] { SaveFormPlacement(); });
}

void TFormPlacement::SetPreventResize(bool value) {
  QWidget* window = Window();
  if (!window || value == preventResize_) return;
  preventResize_ = value;
  UpdatePlacement();
  if (value) defMaximize_ = HasMaximizeButton(window);
  const bool maximize = !value && defMaximize_ && window->windowType() != Qt::Dialog;
  {
    // Neither restored nor saved while the window takes its new buttons.
    struct Hold {
      bool& active;
      bool was;
      ~Hold() { active = was; }
    } hold{Active, std::exchange(Active, false)};
    SetMaximizeButton(window, maximize);
  }
  CheckToggleHook();
}

void TFormPlacement::MinMaxInfoModified() {
  UpdatePlacement();
  CheckToggleHook();
}

void TFormPlacement::UpdatePlacement() {
  QWidget* window = Window();
  if (!window || preventResize_ || !minMaxInfo_->DefaultMinMaxInfo() || !limited_) return;
  limited_ = false;
  fixedSize_ = QSize();
  ApplyLimits(window, ownMinimum_, ownMaximum_);
}

void TFormPlacement::CheckToggleHook() {
  QWidget* window = Window();
  if (!window) return;
  const bool limit = preventResize_ || !minMaxInfo_->DefaultMinMaxInfo();
  if (limit && !limited_) {
    ownMinimum_ = window->minimumSize();
    ownMaximum_ = window->maximumSize();
    limited_ = true;
  }
  if (!preventResize_) fixedSize_ = QSize();
  winHook_->SetWinControl(limit ? window : nullptr);
  if (limit) {
    // The window asks for its limits now, not only at its next change.
    QEvent query(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(window, &query);
  }
}

void TFormPlacement::WndMessage(QObject*, QEvent* msg, bool&) {
  QWidget* window = Window();
  if (!window) return;
  switch (msg->type()) {
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::LayoutRequest:
    case QEvent::WindowStateChange:
      break;
    default:
      return;
  }
  if (preventResize_) {
    if (!window->isVisible()) return;
    if (!fixedSize_.isValid()) fixedSize_ = window->size();
    ApplyLimits(window, fixedSize_, fixedSize_);
    return;
  }
  const TWinMinMaxInfo& info = *minMaxInfo_;
  if (info.DefaultMinMaxInfo()) return;
  // The limits are the outer window's, frame included; Qt limits the client area.
  const QSize frame = FrameExtent(window);
  QSize minimum(ClientLimit(info.MinTrackWidth(), frame.width(), ownMinimum_.width()),
                ClientLimit(info.MinTrackHeight(), frame.height(), ownMinimum_.height()));
  QSize maximum(ClientLimit(info.MaxTrackWidth(), frame.width(), ownMaximum_.width()),
                ClientLimit(info.MaxTrackHeight(), frame.height(), ownMaximum_.height()));
  if (window->isMaximized()) {
    if (info.MaxSizeWidth())
      maximum.setWidth(qMin(maximum.width(), ClientLimit(info.MaxSizeWidth(), frame.width(), 0)));
    if (info.MaxSizeHeight())
      maximum.setHeight(
          qMin(maximum.height(), ClientLimit(info.MaxSizeHeight(), frame.height(), 0)));
    if (msg->type() == QEvent::WindowStateChange && (info.MaxPosLeft() || info.MaxPosTop()))
      window->move(info.MaxPosLeft(), info.MaxPosTop());
  }
  ApplyLimits(window, minimum, maximum);
}

void TFormPlacement::ApplyLimits(QWidget* window, QSize minimum, QSize maximum) {
  if (window->minimumSize() != minimum) window->setMinimumSize(minimum);
  if (window->maximumSize() != maximum) window->setMaximumSize(maximum);
  // A size the window system gave past the limits is taken back.
  const QSize bounded = window->size().expandedTo(minimum).boundedTo(maximum);
  if (bounded != window->size()) window->resize(bounded);
}

void TFormPlacement::SaveFormPlacement() {
  if (!restored_ && Active) return;
  OpenSettings(false);
  struct Close {
    TFormPlacement* self;
    ~Close() { self->CloseSettings(); }
  } close{this};
  // The whole save replaces the file once, or not at all.
  settings_->BeginUpdate();
  WriteInteger(QStringLiteral("FormVersion"), Version);
  SavePlacement();
  Save();
  settings_->EndUpdate();
  saved_ = true;
}

void TFormPlacement::RestoreFormPlacement() {
  // A restored window saves when it is destroyed, also when it was restored unshown.
  WatchDestruction();
  saved_ = false;
  OpenSettings(true);
  struct Close {
    TFormPlacement* self;
    ~Close() { self->CloseSettings(); }
  } close{this};
  if (ReadInteger(QStringLiteral("FormVersion"), 0) >= Version) {
    RestorePlacement();
    restored_ = true;
    Restore();
    QWidget* window = Window();
    if ((Options & fpActiveControl) && window) {
      const QString name =
          IniReadString(settings_.get(), IniSection(), QStringLiteral("ActiveControl"), {});
      auto* control = qobject_cast<QWidget*>(FindOwnedComponent(window, name));
      if (control && control->focusPolicy() != Qt::NoFocus && control->isVisibleTo(window) &&
          control->isEnabledTo(window))
        control->setFocus();
    }
  }
  restored_ = true;
  settings_.reset();
  UpdatePlacement();
}

void TFormPlacement::Save() {
  if (OnSavePlacement) OnSavePlacement(this);
}

void TFormPlacement::Restore() {
  if (OnRestorePlacement) OnRestorePlacement(this);
}

void TFormPlacement::SavePlacement() {
  if (QWidget* window = Window()) {
    if (Options & (fpState | fpPosition)) {
      WriteFormPlacement(window, settings_.get(), IniSection());
      IniWriteString(settings_.get(), IniSection(), QStringLiteral("Visible"),
                     destroying_ ? QStringLiteral("1") : QStringLiteral("0"));
    }
    if (Options & fpActiveControl) {
      if (QWidget* focused = window->focusWidget())
        IniWriteString(settings_.get(), IniSection(), QStringLiteral("ActiveControl"),
                       focused->objectName());
    }
  }
  for (TIniLink* link : QList<TIniLink*>(links_)) link->SaveToStorage();
}

void TFormPlacement::RestorePlacement() {
  if (QWidget* window = Window())
    ReadFormPlacement(window, settings_.get(), IniSection(), Options & fpState,
                      Options & fpPosition);
  for (TIniLink* link : QList<TIniLink*>(links_)) link->LoadFromStorage();
}

QString TFormPlacement::ReadString(const QString& ident, const QString& def) {
  return ReadSectionString(IniSection(), ident, def);
}

void TFormPlacement::WriteString(const QString& ident, const QString& value) {
  WriteSectionString(IniSection(), ident, value);
}

int TFormPlacement::ReadInteger(const QString& ident, int def) {
  const Session session(*this, true);
  return IniReadInteger(settings_.get(), IniSection(), ident, def);
}

void TFormPlacement::WriteInteger(const QString& ident, int value) {
  const Session session(*this, false);
  IniWriteInteger(settings_.get(), IniSection(), ident, value);
}

QString TFormPlacement::ReadSectionString(const QString& section, const QString& ident,
                                          const QString& def) {
  const Session session(*this, true);
  return IniReadString(settings_.get(), section, ident, def);
}

void TFormPlacement::WriteSectionString(const QString& section, const QString& ident,
                                        const QString& value) {
  const Session session(*this, false);
  IniWriteString(settings_.get(), section, ident, value);
}

void TFormPlacement::OpenSettings(bool readOnly) {
  if (settings_) return;
  if (!UseRegistry) {
    settings_ = TSettingsObject::OpenIniFile(IniFileName());
    return;
  }
  SettingsRoot root = SettingsRoot::CurrentUser;
  switch (RegistryRoot) {
    case TPlacementRegRoot::prCurrentUser:
      break;
    case TPlacementRegRoot::prClassesRoot:
      root = SettingsRoot::Classes;
      break;
    case TPlacementRegRoot::prUsers:
      root = SettingsRoot::Users;
      break;
    case TPlacementRegRoot::prLocalMachine:
      root = SettingsRoot::LocalMachine;
      break;
    case TPlacementRegRoot::prCurrentConfig:
      root = SettingsRoot::CurrentConfig;
      break;
    case TPlacementRegRoot::prDynData:
      root = SettingsRoot::DynData;
      break;
  }
  // The current user's key is made on every open, another root's only for writing.
  settings_ = TSettingsObject::OpenRegistry(
      root, IniFileName(), RegistryRoot == TPlacementRegRoot::prCurrentUser || !readOnly);
}

void TFormPlacement::CloseSettings() {
  settings_.reset();
}

void TStoredValue::SetName(const QString& name) {
  if (!name.isEmpty() && QString::compare(name, name_, Qt::CaseInsensitive) != 0 && collection_ &&
      collection_->IndexOf(name) >= 0)
    throw std::runtime_error("String list does not allow duplicates");
  name_ = name;
}

void TStoredValue::Assign(const TStoredValue& source) {
  Value = source.Value;
  SetName(source.Name());
  KeyString = source.KeyString;
}

void TStoredValue::Save() {
  QVariant v = Value;
  if (OnSave) OnSave(this, v);
  QString s = v.isNull() ? QString() : v.toString();
  if (!KeyString.isEmpty()) s = XorEncode(KeyString, s);
  if (collection_ && collection_->Storage()) collection_->Storage()->WriteString(name_, s);
}

void TStoredValue::Restore() {
  QString d = Value.isNull() ? QString() : Value.toString();
  if (!KeyString.isEmpty()) d = XorEncode(KeyString, d);
  QString s =
      collection_ && collection_->Storage() ? collection_->Storage()->ReadString(name_, d) : d;
  if (!KeyString.isEmpty()) s = XorDecode(KeyString, s);
  QVariant v(s);
  if (OnRestore) OnRestore(this, v);
  Value = v;
}

TStoredValue* TStoredValues::Add() {
  items_.push_back(std::make_unique<TStoredValue>(this));
  return items_.back().get();
}

int TStoredValues::IndexOf(const QString& name) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (QString::compare(items_[i]->Name(), name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

void TStoredValues::SaveValues() {
  for (const auto& item : items_) item->Save();
}

void TStoredValues::RestoreValues() {
  for (const auto& item : items_) item->Restore();
}

TFormStorage::TFormStorage(QObject* owner) : TFormPlacement(owner), storedValues_(this) {}

TFormStorage::~TFormStorage() = default;

QStringList TFormStorage::StoredProps() const {
  QStringList entries;
  for (const TStoredItem& item : storedProps_) entries += item.Text;
  return entries;
}

void TFormStorage::SetStoredProps(const QStringList& entries) {
  storedProps_.clear();
  for (const QString& entry : entries) storedProps_.append({entry, nullptr});
  resolved_ = false;
}

void TFormStorage::ResolveStoredProps() {
  if (resolved_) return;
  UpdateStoredList(parent(), storedProps_, true);
  resolved_ = true;
}

void TFormStorage::SavePlacement() {
  TFormPlacement::SavePlacement();
  SaveProperties();
  storedValues_.SaveValues();
}

void TFormStorage::RestorePlacement() {
  TFormPlacement::RestorePlacement();
  SetRestored();
  RestoreProperties();
  storedValues_.RestoreValues();
}

void TFormStorage::SaveProperties() {
  ResolveStoredProps();
  TPropsStorage storage;
  storage.Section = IniSection();
  storage.WriteHandler = [this](const QString& section, const QString& ident,
                                const QString& value) {
    WriteSectionString(section, ident, value);
  };
  storage.EraseHandler = [this](const QString& section) {
    IniEraseSection(SettingsObject(), section);
  };
  storage.StoreObjectsProps(parent(), storedProps_);
}

void TFormStorage::RestoreProperties() {
  ResolveStoredProps();
  TPropsStorage storage;
  storage.Section = IniSection();
  storage.ReadHandler = [this](const QString& section, const QString& ident, const QString& def) {
    return ReadSectionString(section, ident, def);
  };
  try {
    storage.LoadObjectsProps(parent(), storedProps_);
  } catch (const std::exception&) {
    // What was loaded before the failure stays; the rest keeps its values.
  }
}
