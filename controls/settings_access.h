#pragma once
// Naming and settings-access routines of the form storage and the speed bar: default
// store and section names, string and integer reads and writes that work alike on a
// registry key and on an INI file, and a window's placement as values of a section.

#include "platform/settings_store.h"

#include <QString>

#include <memory>

class QObject;
class QWidget;

// The settings object of one save or restore: either a registry key of a settings root,
// whose sections are its subkeys, or an INI file of sections and values.
class TSettingsObject {
 public:
  enum class Kind { Registry, IniFile };

  // Opens `key` under `root`, creating it when missing and `create` is set. Throws
  // std::runtime_error when the key cannot be created.
  static std::unique_ptr<TSettingsObject> OpenRegistry(SettingsRoot root, const QString& key,
                                                       bool create);
  // A relative file name lies in the program's folder of the user's configuration home; where
  // that home is not known, the store has no file (it reads as empty and refuses saves).
  static std::unique_ptr<TSettingsObject> OpenIniFile(const QString& fileName);

  Kind GetKind() const { return kind_; }
  const QString& Key() const { return key_; }
  const QString& FilePath() const { return store_.FilePath(); }

  // The store's path of a section: the key's subkey, or the INI file's section.
  QString SectionPath(const QString& section) const;
  QString Read(const QString& section, const QString& ident, const QString& defaultValue) const;
  // Writers throw std::runtime_error, with the user's text of why, when the store cannot
  // be saved.
  void Write(const QString& section, const QString& ident, const QString& value);
  // A registry key with its subkeys; an INI file's section alone.
  void EraseSection(const QString& section);
  // One save sequence: the writes between these replace the store's file once, at
  // EndUpdate, which throws std::runtime_error when it cannot be saved (the file then
  // stays as it was). Closing the object without EndUpdate drops the writes.
  void BeginUpdate() { store_.BeginUpdate(); }
  void EndUpdate();

 private:
  TSettingsObject(Kind kind, SettingsStore store, QString key);
  Kind kind_;
  SettingsStore store_;
  QString key_;
};

// A window: its class name. A control: the class name of its window followed directly by
// its name. Another object owned by a window: "<window class>.<name>". Else its name.
QString GetDefaultSection(const QObject* component);
// The program file's name with its extension replaced by ".INI".
QString GetDefaultIniName();
// "Software\" + the program file's name without its extension.
QString GetDefaultIniRegKey();

// A null settings object reads the default and writes nothing.
QString IniReadString(const TSettingsObject* settings, const QString& section, const QString& ident,
                      const QString& defaultValue);
// An INI value that begins and ends with the same quote gets one more pair of double
// quotes, since reading an INI value strips one pair.
void IniWriteString(TSettingsObject* settings, const QString& section, const QString& ident,
                    const QString& value);
int IniReadInteger(const TSettingsObject* settings, const QString& section, const QString& ident,
                   int defaultValue);
void IniWriteInteger(TSettingsObject* settings, const QString& section, const QString& ident,
                     int value);
void IniEraseSection(TSettingsObject* settings, const QString& section);

// "(<width>x<height>)" of the primary screen.
QString GetScreenSizeSuffix();
// Ident + the screen suffix, else Ident.
QString ReadScreenString(const TSettingsObject* settings, const QString& section,
                         const QString& ident);
void WriteScreenString(TSettingsObject* settings, const QString& section, const QString& ident,
                       const QString& value);

// The window's placement as "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and "NormPos".
void WriteFormPlacement(QWidget* window, TSettingsObject* settings, const QString& section);
void ReadFormPlacement(QWidget* window, const TSettingsObject* settings, const QString& section,
                       bool loadState, bool loadPosition);
