#pragma once

#include <QString>
#include <QStringList>

// The three roots of the settings store, each one INI file of its own.
enum class SettingsRoot { Classes, Users, CurrentUser };

// Key/value settings in the manner of the registry: a section is a key path
// ("Software\\Jibwarden\\TForm_Read"), its subkeys are the sections below it, and
// an empty value name is the key's default value. Key paths and value names compare
// case-insensitively; leading, trailing and doubled backslashes in a path are
// ignored. The file is read afresh for every call, so several stores on one root
// always agree, and every change is saved atomically. A damaged or unreadable file
// reads as empty.
class SettingsStore {
 public:
  explicit SettingsStore(SettingsRoot root);
  explicit SettingsStore(QString filePath);

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

  // Text of the last failed save, empty after a successful one.
  const QString& LastError() const { return lastError_; }

 private:
  QString filePath_;
  QString lastError_;
};
