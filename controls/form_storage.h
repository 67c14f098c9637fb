#pragma once
// Keeps a window's settings between runs in the settings store: its placement, focused
// control and version (TFormPlacement), and further the published properties of its
// controls and named values of its own (TFormStorage). It restores them when the window
// is shown, before the window's own show handling, and saves them after a close that the
// window accepted (a dialog's done() included) or when the window is destroyed after a
// restore. It can also limit the window's size through its own window hook.

#include "controls/props_storage.h"
#include "controls/settings_access.h"
#include "controls/window_hook.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;
class TFormPlacement;

enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
using TPlacementOptions = int;

enum class TPlacementRegRoot {
  prCurrentUser,
  prLocalMachine,
  prCurrentConfig,
  prClassesRoot,
  prUsers,
  prDynData
};

// Lets another component save and load its own settings with a placement's.
class TIniLink {
 public:
  TIniLink() = default;
  virtual ~TIniLink();
  TIniLink(const TIniLink&) = delete;
  TIniLink& operator=(const TIniLink&) = delete;

  TFormPlacement* Storage() const { return storage_; }
  void SetStorage(TFormPlacement* storage);
  // The placement's open settings object, else null.
  TSettingsObject* SettingsObject() const;
  // The placement's IniSection as set, followed by "\" when not empty.
  QString RootSection() const;
  virtual void SaveToStorage();
  virtual void LoadFromStorage();

  std::function<void(TIniLink*)> OnSave;
  std::function<void(TIniLink*)> OnLoad;

 private:
  TFormPlacement* storage_ = nullptr;
};

// Size limits of a placement's window, in pixels of the outer window (its frame
// included); 0 leaves a limit to the system. The maximised size and position are asked
// of the window manager, which may ignore them.
class TWinMinMaxInfo : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int MaxPosLeft READ MaxPosLeft WRITE SetMaxPosLeft)
  Q_PROPERTY(int MaxPosTop READ MaxPosTop WRITE SetMaxPosTop)
  Q_PROPERTY(int MaxSizeHeight READ MaxSizeHeight WRITE SetMaxSizeHeight)
  Q_PROPERTY(int MaxSizeWidth READ MaxSizeWidth WRITE SetMaxSizeWidth)
  Q_PROPERTY(int MaxTrackHeight READ MaxTrackHeight WRITE SetMaxTrackHeight)
  Q_PROPERTY(int MaxTrackWidth READ MaxTrackWidth WRITE SetMaxTrackWidth)
  Q_PROPERTY(int MinTrackHeight READ MinTrackHeight WRITE SetMinTrackHeight)
  Q_PROPERTY(int MinTrackWidth READ MinTrackWidth WRITE SetMinTrackWidth)

 public:
  explicit TWinMinMaxInfo(TFormPlacement* owner);
  // Copies every value and tells the placement.
  void Assign(const TWinMinMaxInfo& source);
  // All eight values 0.
  bool DefaultMinMaxInfo() const;

  int MaxPosLeft() const { return info_.maxPosition.x; }
  int MaxPosTop() const { return info_.maxPosition.y; }
  int MaxSizeHeight() const { return info_.maxSize.y; }
  int MaxSizeWidth() const { return info_.maxSize.x; }
  int MaxTrackHeight() const { return info_.maxTrackSize.y; }
  int MaxTrackWidth() const { return info_.maxTrackSize.x; }
  int MinTrackHeight() const { return info_.minTrackSize.y; }
  int MinTrackWidth() const { return info_.minTrackSize.x; }
  void SetMaxPosLeft(int value) { SetValue(info_.maxPosition.x, value); }
  void SetMaxPosTop(int value) { SetValue(info_.maxPosition.y, value); }
  void SetMaxSizeHeight(int value) { SetValue(info_.maxSize.y, value); }
  void SetMaxSizeWidth(int value) { SetValue(info_.maxSize.x, value); }
  void SetMaxTrackHeight(int value) { SetValue(info_.maxTrackSize.y, value); }
  void SetMaxTrackWidth(int value) { SetValue(info_.maxTrackSize.x, value); }
  void SetMinTrackHeight(int value) { SetValue(info_.minTrackSize.y, value); }
  void SetMinTrackWidth(int value) { SetValue(info_.minTrackSize.x, value); }

 private:
  struct Point {
    int x = 0;
    int y = 0;
  };
  struct MinMaxRecord {
    Point reserved, maxSize, maxPosition, minTrackSize, maxTrackSize;
  };
  void SetValue(int& field, int value);
  TFormPlacement* owner_;
  MinMaxRecord info_;
};

class TFormPlacement : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)
  Q_PROPERTY(TWinMinMaxInfo* MinMaxInfo READ MinMaxInfo)

 public:
  // owner: the window whose settings are kept; the placement is its child.
  explicit TFormPlacement(QObject* owner);
  ~TFormPlacement() override;

  bool Active = true;
  bool UseRegistry = false;
  TPlacementRegRoot RegistryRoot = TPlacementRegRoot::prCurrentUser;
  TPlacementOptions Options = 0;
  int Version = 0;
  std::function<void(QObject*)> OnSavePlacement;
  std::function<void(QObject*)> OnRestorePlacement;

  // Empty: "Software\" + the program's name (registry), else the program's INI file.
  QString IniFileName() const;
  void SetIniFileName(const QString& name) { iniFileName_ = name; }
  // Empty: the window's class name.
  QString IniSection() const;
  const QString& IniSectionAsSet() const { return iniSection_; }
  void SetIniSection(const QString& section) { iniSection_ = section; }

  // Unlimited windows only: gives the window back the size limits it had before the
  // placement limited it (the maximised frame is the window manager's on this system).
  void UpdatePlacement();
  // The window can be neither resized nor maximised; its maximise button goes, and
  // comes back when unset if it had one (not for a dialog).
  bool PreventResize() const { return preventResize_; }
  void SetPreventResize(bool value);
  TWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_; }
  void SetMinMaxInfo(const TWinMinMaxInfo& value) { minMaxInfo_->Assign(value); }
  // The window had a maximise button when the placement took it over or PreventResize
  // was set.
  bool DefMaximize() const { return defMaximize_; }

  // An active placement does nothing until a restore has run; an inactive one (a
  // direct call) always saves. Failures pass on.
  void SaveFormPlacement();
  void RestoreFormPlacement();
  bool Saved() const { return saved_; }
  bool Restored() const { return restored_; }

  // These open a settings object for their own call when none is open.
  QString ReadString(const QString& ident, const QString& def);
  void WriteString(const QString& ident, const QString& value);
  int ReadInteger(const QString& ident, int def);
  void WriteInteger(const QString& ident, int value);
  virtual QString ReadSectionString(const QString& section, const QString& ident,
                                    const QString& def);
  virtual void WriteSectionString(const QString& section, const QString& ident,
                                  const QString& value);

  void OpenSettings(bool readOnly);
  void CloseSettings();
  TSettingsObject* SettingsObject() const { return settings_.get(); }

 protected:
  // Once the window is built: at its first show.
  virtual void Loaded() {}
  virtual void SavePlacement();
  virtual void RestorePlacement();
  // Fire OnSavePlacement and OnRestorePlacement.
  virtual void Save();
  virtual void Restore();
  bool eventFilter(QObject* watched, QEvent* event) override;
  QWidget* Window() const;
  void SetRestored() { restored_ = true; }

 private:
  friend class TIniLink;
  friend class TWinMinMaxInfo;
  // Opens a settings object for one call unless one is open.
  class Session;
  class DestroyNotice;

  // The window's show, close-query and destroy handlers, chained before its own.
  void FormShow();
  void FormCloseQuery();
  void FormDestroy();
  // The hook's AfterMessage: keeps the window within its limits.
  void WndMessage(QObject* sender, QEvent* msg, bool& handled);
  void WatchDestruction();
  void MinMaxInfoModified();
  void CheckToggleHook();
  void ApplyLimits(QWidget* window, QSize minimum, QSize maximum);

  QString iniFileName_;
  QString iniSection_;
  QString defaultSection_;  // of the window, kept while the window is whole
  std::unique_ptr<TSettingsObject> settings_;
  QList<TIniLink*> links_;
  bool saved_ = false;
  bool restored_ = false;
  bool destroying_ = false;
  bool loaded_ = false;
  bool preventResize_ = false;
  bool defMaximize_ = false;
  TWinMinMaxInfo* minMaxInfo_;
  TXcWindowHook* winHook_;
  QPointer<DestroyNotice> destroyNotice_;
  // The window's own limits, given back when the placement stops limiting it.
  QSize ownMinimum_;
  QSize ownMaximum_;
  bool limited_ = false;
  QSize fixedSize_;  // with PreventResize, once shown
};

class TStoredValues;

// A named value of the storage, stored XOR-encoded when it has a key.
class TStoredValue;
// May change a stored value on its way out or in.
using TStoredValueEvent = std::function<void(TStoredValue* Sender, QVariant& Value)>;

class TStoredValue {
 public:
  explicit TStoredValue(TStoredValues* collection) : collection_(collection) {}
  virtual ~TStoredValue() = default;
  TStoredValue(const TStoredValue&) = delete;
  TStoredValue& operator=(const TStoredValue&) = delete;

  const QString& Name() const { return name_; }
  // Throws when another value of the collection has that name (ignoring case).
  void SetName(const QString& name);
  QVariant Value;
  QString KeyString;
  TStoredValueEvent OnSave;
  TStoredValueEvent OnRestore;

  virtual void Save();
  virtual void Restore();
  void Clear() { Value = QVariant(); }
  void Assign(const TStoredValue& source);

 private:
  TStoredValues* collection_;
  QString name_;
};

class TStoredValues {
 public:
  explicit TStoredValues(TFormPlacement* storage) : storage_(storage) {}
  TStoredValue* Add();
  int Count() const { return int(items_.size()); }
  TStoredValue* Items(int index) const { return items_.at(std::size_t(index)).get(); }
  // The first value of that name ignoring case, else -1.
  int IndexOf(const QString& name) const;
  void SaveValues();
  void RestoreValues();
  void Clear() { items_.clear(); }
  TFormPlacement* Storage() const { return storage_; }

 private:
  TFormPlacement* storage_;
  std::vector<std::unique_ptr<TStoredValue>> items_;
};

class TFormStorage : public TFormPlacement {
  Q_OBJECT
 public:
  explicit TFormStorage(QObject* owner);
  ~TFormStorage() override;

  // Entries "Component.Property"; those naming no component of the window are dropped
  // when the window is first restored or saved.
  QStringList StoredProps() const;
  void SetStoredProps(const QStringList& entries);
  TStoredValues& StoredValues() { return storedValues_; }

  virtual void SaveProperties();
  virtual void RestoreProperties();

 protected:
  void Loaded() override { ResolveStoredProps(); }
  void SavePlacement() override;
  void RestorePlacement() override;

 private:
  void ResolveStoredProps();
  TStoredList storedProps_;
  bool resolved_ = false;
  TStoredValues storedValues_;
};
