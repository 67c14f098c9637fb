#pragma once
// Keeps a window's settings between runs in the settings store: its placement, focused
// control and version (TFormPlacement), and further the published properties of its
// controls and named values of its own (TFormStorage). It restores them when the window
// is shown, before the window's own show handling, and saves them when the window is
// closed (hidden) or destroyed after a restore.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "controls/props_storage.h"
#include "controls/settings_access.h"

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

class TFormPlacement : public QObject {
  Q_OBJECT
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

  // Does nothing unless a restore has run and Active is set; failures pass on.
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
  virtual void SavePlacement();
  virtual void RestorePlacement();
  bool eventFilter(QObject* watched, QEvent* event) override;
  QWidget* Window() const;
  void SetRestored() { restored_ = true; }

 private:
  friend class TIniLink;
  // Opens a settings object for one call unless one is open.
  class Session;

  QString iniFileName_;
  QString iniSection_;
  QString defaultSection_;  // of the window, kept while the window is whole
  std::unique_ptr<TSettingsObject> settings_;
  QList<TIniLink*> links_;
  bool saved_ = false;
  bool restored_ = false;
  bool destroying_ = false;
};

class TStoredValues;

// A named value of the storage, stored XOR-encoded when it has a key.
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
  std::function<void(TStoredValue*, QVariant&)> OnSave;
  std::function<void(TStoredValue*, QVariant&)> OnRestore;

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
  void SavePlacement() override;
  void RestorePlacement() override;

 private:
  void ResolveStoredProps();
  TStoredList storedProps_;
  bool resolved_ = false;
  TStoredValues storedValues_;
};
