#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The roots of the settings store, each one INI file of its own. The local machine's lies
// in the system-wide configuration folder (the first of $XDG_CONFIG_DIRS, /etc/xdg when
// unset) and is read only where it cannot be written; the others in the user's.
enum class SettingsRoot { Classes, Users, CurrentUser, LocalMachine, CurrentConfig, DynData };

// Key/value settings in the manner of the registry: a section is a key path
// ("Software\\Jibwarden\\TForm_Read"), its subkeys are the sections below it, and
// an empty value name is the key's default value. Key paths and value names compare
// case-insensitively; leading, trailing and doubled backslashes in a path are
// ignored. Every read sees the file as it is on disk, parsed again only when it changed
// (another inode, size, modification or change time, or, within the grain of the file's times
// after a change, other bytes; the parsed file is shared by the process's stores), so several
// stores and several copies of the program agree. Every save is a transaction across
// processes: under a lock file beside the file it replaces (readable by every user, so that each
// copy judges a live holder by its flock; all the save's waits, the release's too, within one
// bound) it takes the file as it is, applies only this store's writes and replaces the file
// atomically, through a temporary file of its own beside it (the file's name, ".jwsave-" and six
// letters or digits) flocked while it is written; such files that killed saves left, flocked by
// no one, go at the next save. Where the file's name is a link that the user or the folder's
// owner made, the file it leads to is read and replaced, the link kept, and the lock lies beside
// that file, so that copies reaching it by other names exclude each other too. Lines the parser
// cannot take (hand edits, other encodings) are kept, and lines not changed are written back
// byte for byte; a section header that cannot be read starts a section no name reaches. A file
// that exists but cannot be read, is no regular file (a pipe, a device, a folder), is larger
// than 64 MB or lies behind a link that another user planted at its name reads as empty and is
// never replaced nor written through: every write then fails, the cause named. A save that
// would make the file larger than 64 MB is refused. Error texts are the user's, in Russian, with
// the system's cause.
class SettingsStore {
 public:
  explicit SettingsStore(SettingsRoot root);
  explicit SettingsStore(QString filePath);
  ~SettingsStore();
  SettingsStore(SettingsStore&&) noexcept;
  SettingsStore& operator=(SettingsStore&&) noexcept;

  // The INI file of a root; empty, for the user's roots, when the user's home is not known:
  // such a store reads as empty and refuses every save.
  static QString RootFilePath(SettingsRoot root);
  // The program's folder in the system-wide configuration folder.
  static QString SystemConfigDirectory();
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
  // Erases the key's own values and headers; its subkeys stay (an INI file's section).
  bool EraseSectionOnly(const QString& section);

  // Between these, reads and writes work on the file as read at BeginUpdate and
  // EndUpdate saves every change at once into the file as it then is (false when it
  // could not, the file then as it was). CancelUpdate, or destroying the store, drops
  // the changes.
  void BeginUpdate();
  bool EndUpdate();
  void CancelUpdate();

  // Why the file, which exists, cannot be read; empty when it can or does not exist.
  QString ReadError() const;

  // Text of the last failed save, empty after a successful one.
  const QString& LastError() const { return lastError_; }

 private:
  struct Snapshot;
  class SharedSnapshots;
  struct Edit;
  struct Batch;
  // The parsed file as it is on disk now.
  const std::shared_ptr<const Snapshot>& Current() const;
  template <class Read>
  auto Reading(Read read) const;
  bool Changing(Edit edit);
  // Locks, reads the file, applies the edits and replaces it; a batch's own document when
  // the file is still as the batch read it.
  bool Commit(const std::vector<Edit>& edits, Batch* batch = nullptr);

  QString filePath_;
  QString lastError_;
  std::unique_ptr<Batch> batch_;
  mutable std::shared_ptr<const Snapshot> snapshot_;
};
