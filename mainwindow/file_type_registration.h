#pragma once
// Registration of the ".bbi" data-file type, rewritten at every start.

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;
class SettingsStore;

// Keys of the user's data directory in the users root.
inline const QString kDirDataSection = QStringLiteral("\\.DEFAULT\\SOFTWARE\\TALTREX\\");
inline const QString kDirDataName = QStringLiteral("DirData");

// Writes the six file-type values to the classes root, in order; stops at the first failed
// write and returns false.
bool RegisterFileTypeKeys(SettingsStore& classes, const QString& programFile);

// The desktop's own tools, run in the background; the start never waits for them. A tool
// still running when this object goes is stopped.
class DesktopToolRuns : public QObject {
  Q_OBJECT
 public:
  explicit DesktopToolRuns(QObject* parent = nullptr);
  ~DesktopToolRuns() override;

  // Starts the program of that name found on the path; false when it is not installed.
  bool Start(const QString& program, const QStringList& arguments);
  // The programs started so far, in order.
  QStringList Started() const { return started_; }
  bool Running() const { return !running_.isEmpty(); }

 signals:
  // The last running tool has ended.
  void Finished();

 private:
  QStringList started_;
  QList<QProcess*> running_;
};

// The desktop's registration for the user: in the user's data home (UserDataHome) a
// shared-mime-info package for the type, a desktop entry that opens the program last started
// with the file (through a link in the program's data folder where the program's path holds a
// percent sign, which the desktop's tools do not find as written), and the program's picture as
// the icon of both in the user's icon theme; in the config home's mimeapps.list the entry as the
// type's default unless the user's files name one, and only where the entry is there. That edit
// keeps what another program saves into the file meanwhile, and the file's line ends. The
// entry's name is the application title, which the desktop shows for the program's windows.
// Only files whose content changed are written; the user's MIME database and desktop-entry
// cache are rebuilt through `tools` when their sources changed or they are older than these.
// False, with nothing written, where the user's data home is not known; false when a file could
// not be written.
inline const QString kDesktopFileName = QStringLiteral("jibwarden");
inline const QString kDataFileMimeType = QStringLiteral("application/x-taltrex-bbi");
bool RegisterDesktopFileType(const QString& programFile, const QString& title,
                             DesktopToolRuns& tools);
