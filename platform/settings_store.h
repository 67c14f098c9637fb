#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// The three roots of the settings store, each one INI file of its own.
enum class SettingsRoot { Classes, Users, CurrentUser };

// Key/value settings in the manner of the registry: a section is a key path
// ("Software\\Jibwarden\\TForm_Read"), its subkeys are the sections below it, and
// an empty value name is the key's default value. Key paths and value names compare
// case-insensitively; leading, trailing and doubled backslashes in a path are
// ignored. The file is read afresh for every call, so several stores on one root
// always agree, and every change is saved atomically. Lines the parser cannot take
// (hand edits, other encodings) are kept, and lines not changed are written back
// byte for byte. A file that exists but cannot be read reads as empty and is never
// replaced: every write then fails.
class SettingsStore {
 public:
  explicit SettingsStore(SettingsRoot root);
  explicit SettingsStore(QString filePath);
  ~SettingsStore();
  SettingsStore(SettingsStore&&) noexcept;
  SettingsStore& operator=(SettingsStore&&) noexcept;

  // The INI file of a root under the per-user configuration directory.
  static QString RootFilePath(SettingsRoot root);
  const QString& FilePath() const { return filePath_; }

  QString ReadString(const QString& section, const QString& name,
                     const QString& defaultValue = QString()) const;
  bool ValueExists(const QString& section, const QString& name) const;
  // True when the key or any subkey of it exists.
  bool SectionExists(const QString& section) const;
  // Value names of a key in stored order; the default value appears as "".
  QStringList ValueNames(const QString& section) const;
  // Names of the direct subkeys of a key ("" = the root), in first-seen order.
  QStringList SubKeys(const QString& section) const;

  // Writers create the key when missing and return false when the file could not
  // be saved (the previous file is then left as it was).
  bool WriteString(const QString& section, const QString& name, const QString& value);
  bool CreateSection(const QString& section);
  bool DeleteValue(const QString& section, const QString& name);
  // Erases the key with all its subkeys.
  bool EraseSection(const QString& section);

  // Between these, reads and writes work on the file as read at BeginUpdate and
  // EndUpdate saves every change at once (false when it could not, the file then as it
  // was). CancelUpdate, or destroying the store, drops the changes.
  void BeginUpdate();
  bool EndUpdate();
  void CancelUpdate();

  // Why the file, which exists, cannot be read; empty when it can or does not exist.
  QString ReadError() const;

  // Text of the last failed save, empty after a successful one.
  const QString& LastError() const { return lastError_; }

 private:
  struct Batch;
  template <class Read>
  auto Reading(Read read) const;
  template <class Change>
  bool Changing(Change change);

  QString filePath_;
  QString lastError_;
  std::unique_ptr<Batch> batch_;
};
