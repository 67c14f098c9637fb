#include "mainwindow/file_type_registration.h"

#include "mainwindow/program_picture.h"
#include "platform/settings_store.h"
#include "platform/user_homes.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>
#include <functional>
#include <optional>
#include <unistd.h>

bool RegisterFileTypeKeys(SettingsStore& classes, const QString& programFile) {
  const QString program = QDir::toNativeSeparators(programFile);
  const struct {
    QString section;
    QString value;
  } keys[] = {
      {QStringLiteral(".bbi"), QStringLiteral("Taltrex.bbi")},
      {QStringLiteral("Taltrex.bbi"), QStringLiteral("Taltrex of Velmora")},
      {QStringLiteral("Taltrex.bbi\\DefaultIcon"), program + QStringLiteral(",0")},
      {QStringLiteral("Taltrex.bbi\\Shell"), QStringLiteral("Taltrex Action")},
      {QStringLiteral("Taltrex.bbi\\Shell\\Open"), QString()},
      {QStringLiteral("Taltrex.bbi\\Shell\\Open\\command"), program + QStringLiteral(" %1")},
  };
  for (const auto& key : keys) {
    if (!classes.WriteString(key.section, QString(), key.value)) return false;
  }
  return true;
}

DesktopToolRuns::DesktopToolRuns(QObject* parent) : QObject(parent) {}

DesktopToolRuns::~DesktopToolRuns() {
  // A tool still running by now has hung; killed, it is gone at once.
  for (QProcess* process : std::as_const(running_)) {
    process->disconnect(this);
    process->kill();
    process->waitForFinished(1000);
  }
}

bool DesktopToolRuns::Start(const QString& program, const QStringList& arguments) {
  const QString path = QStandardPaths::findExecutable(program);
  if (path.isEmpty()) return false;
  auto* process = new QProcess(this);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  auto ended = [this, process] {
    if (!running_.removeOne(process)) return;
    process->deleteLater();
    if (running_.isEmpty()) emit Finished();
  };
  // Ends a run, and a start that failed in the new process.
  connect(process, &QProcess::stateChanged, this, [ended](QProcess::ProcessState state) {
    if (state == QProcess::NotRunning) ended();
  });
  started_.append(program);
  running_.append(process);
  process->start(path, arguments);
  // A start that failed here may not report a change of state.
  if (process->state() == QProcess::NotRunning) ended();
  return true;
}

namespace {

enum class FileWrite { Unchanged, Written, Failed };

// None when the path is missing or no regular file: a pipe would block the start.
std::optional<QByteArray> ReadRegularFile(const QString& path) {
  if (!QFileInfo(path).isFile()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

bool WriteWhole(const QString& path, const QByteArray& content) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(content);
  return file.commit();
}

FileWrite WriteIfChanged(const QString& path, const QByteArray& content) {
  if (ReadRegularFile(path) == content) return FileWrite::Unchanged;
  return WriteWhole(path, content) ? FileWrite::Written : FileWrite::Failed;
}

// What another program may save into a file while this one edits it is kept: the file is
// read again just before the replace, and where it changed the edit starts over on what is
// there now, a few times at most. `edit` gives the file's new bytes from its present ones
// (empty for no file), none to leave it. A link at the name is followed, and stays.
bool EditKeepingOthers(const QString& path,
                       const std::function<std::optional<QByteArray>(const QByteArray&)>& edit) {
  QFileInfo named(path);
  for (int depth = 0; named.isSymLink() && depth < 40; ++depth)
    named.setFile(named.symLinkTarget());
  const QString target = named.filePath();
  // Something the user put there that is no readable file is left alone.
  const auto present = [&]() -> std::optional<QByteArray> {
    if (!QFileInfo::exists(target)) return QByteArray();
    return ReadRegularFile(target);
  };
  constexpr int kAttempts = 10;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::optional<QByteArray> before = present();
    if (!before) return false;
    const std::optional<QByteArray> after = edit(*before);
    if (!after || *after == *before) return true;
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) return false;
    QTemporaryFile temp(target + QStringLiteral(".XXXXXX"));
    if (!temp.open() || temp.write(*after) != after->size() || !temp.flush() ||
        ::fsync(temp.handle()) != 0)
      return false;
    temp.setPermissions(QFileInfo::exists(target)
                            ? QFile::permissions(target)
                            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                  QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    temp.close();
    if (present() != before) continue;
    if (::rename(QFile::encodeName(temp.fileName()).constData(),
                 QFile::encodeName(target).constData()) != 0)
      return false;
    temp.setAutoRemove(false);
    return true;
  }
  return false;
}

// A cache is out of date when it is missing or was built before its source was last written,
// also when a tool started for that write never finished.
bool CacheOutOfDate(const QString& cache, const QString& source) {
  const QFileInfo cacheInfo(cache);
  return !cacheInfo.exists() || cacheInfo.lastModified() < QFileInfo(source).lastModified();
}

// A string value of a desktop file writes a backslash and the control characters as escapes.
QString EscapeValue(const QString& value) {
  QString escaped;
  for (QChar c : value) {
    const char* escape = c == u'\\'   ? "\\\\"
                         : c == u'\n' ? "\\n"
                         : c == u'\t' ? "\\t"
                         : c == u'\r' ? "\\r"
                                      : nullptr;
    if (escape)
      escaped += QLatin1String(escape);
    else
      escaped += c;
  }
  return escaped;
}

// An argument of an entry's Exec: in double quotes, with the characters special inside them
// escaped and a percent sign doubled, so that it is no field code.
QString QuoteExec(const QString& path) {
  QString escaped;
  for (QChar c : path) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') escaped += u'\\';
    escaped += c;
  }
  escaped.replace(u'%', QStringLiteral("%%"));
  return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// The program as the entry names it. The desktop looks for an entry's program before it
// expands the field codes, so a path with a percent sign is not found as written: such a
// program is named through a link in the program's data folder, made or moved here. A link
// no longer needed goes. Empty when the link cannot be made.
QString ExecProgram(const QString& programFile) {
  const QString link = AppDataHome() + QStringLiteral("/bin/") + kDesktopFileName;
  const QFileInfo linkInfo(link);
  if (!programFile.contains(u'%') || link.contains(u'%')) {
    if (linkInfo.isSymLink()) QFile::remove(link);
    return programFile;
  }
  if (linkInfo.isSymLink() && linkInfo.symLinkTarget() == programFile) return link;
  if (linkInfo.isSymLink()) QFile::remove(link);
  if (!QDir().mkpath(linkInfo.absolutePath()) || !QFile::link(programFile, link)) return {};
  return link;
}

QByteArray PngOf(const QPixmap& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  return bytes;
}

// mimeapps.list files of the user, in the order the desktop reads them.
QStringList UserMimeAppsFiles(const QString& configHome, const QString& dataHome) {
  QStringList names;
  const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
  for (const QString& desktop : desktops) {
    if (!desktop.isEmpty()) names.append(desktop.toLower() + QStringLiteral("-mimeapps.list"));
  }
  names.append(QStringLiteral("mimeapps.list"));
  QStringList files;
  for (const QString& home : {configHome, dataHome + QStringLiteral("/applications")}) {
    if (home.isEmpty()) continue;
    for (const QString& name : std::as_const(names)) files.append(home + u'/' + name);
  }
  return files;
}

const QByteArray kDefaultsGroup = "[Default Applications]";

bool IsGroupLine(const QByteArray& line) {
  const QByteArray trimmed = line.trimmed();
  return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// Whether the group of default applications in a mimeapps.list names the type at all.
bool NamesDefaultFor(const QByteArray& content, const QByteArray& mimeType) {
  bool inDefaults = false;
  for (const QByteArray& line : content.split('\n')) {
    if (IsGroupLine(line)) {
      inDefaults = line.trimmed() == kDefaultsGroup;
    } else if (const qsizetype equals = line.indexOf('='); inDefaults && equals > 0) {
      if (line.left(equals).trimmed().compare(mimeType, Qt::CaseInsensitive) == 0) return true;
    }
  }
  return false;
}

// The line end of a file's first line; a file without one takes the system's.
QByteArray LineEndOf(const QByteArray& content) {
  const qsizetype end = content.indexOf('\n');
  return end > 0 && content[end - 1] == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

// The user's own choice of an application for the type, in any of the user's files, stays;
// otherwise the entry becomes the default in the main file, whose other lines stay as they are.
bool NameDefaultApplication(const QString& configHome, const QString& dataHome,
                            const QByteArray& entry) {
  const QByteArray mimeType = kDataFileMimeType.toUtf8();
  for (const QString& path : UserMimeAppsFiles(configHome, dataHome)) {
    if (const auto content = ReadRegularFile(path); content && NamesDefaultFor(*content, mimeType))
      return true;
  }
  if (configHome.isEmpty()) return false;
  const auto withDefault = [&](QByteArray content) -> std::optional<QByteArray> {
    if (NamesDefaultFor(content, mimeType)) return std::nullopt;
    const QByteArray lineEnd = LineEndOf(content);
    const QByteArray line = mimeType + '=' + entry + lineEnd;
    qsizetype at = -1;
    for (qsizetype start = 0; start < content.size();) {
      qsizetype end = content.indexOf('\n', start);
      end = end < 0 ? content.size() : end + 1;
      if (content.mid(start, end - start).trimmed() == kDefaultsGroup) {
        at = end;
        break;
      }
      start = end;
    }
    if (at < 0) {
      if (!content.isEmpty() && !content.endsWith('\n')) content += lineEnd;
      if (!content.isEmpty()) content += lineEnd;
      content += kDefaultsGroup + lineEnd + line;
    } else {
      if (at > 0 && content[at - 1] != '\n') {
        content.insert(at, lineEnd);
        at += lineEnd.size();
      }
      content.insert(at, line);
    }
    return content;
  };
  return EditKeepingOthers(configHome + QStringLiteral("/mimeapps.list"), withDefault);
}

}  // namespace

bool RegisterDesktopFileType(const QString& programFile, const QString& title,
                             DesktopToolRuns& tools) {
  const QString dataHome = UserDataHome();
  if (dataHome.isEmpty()) return false;
  const QString mime =
      QStringLiteral(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
          "  <mime-type type=\"%1\">\n"
          "    <comment>Taltrex of Velmora</comment>\n"
          "    <icon name=\"%2\"/>\n"
          "    <glob pattern=\"*.bbi\"/>\n"
          "  </mime-type>\n"
          "</mime-info>\n")
          .arg(kDataFileMimeType, kDesktopFileName);
  const QString program = ExecProgram(programFile);
  bool ok = !program.isEmpty();
  const QString desktop =
      QStringLiteral(
          "[Desktop Entry]\n"
          "Type=Application\n"
          "Name=%2\n"
          "Exec=%1 %f\n"
          "Icon=%3\n"
          "MimeType=%4;\n"
          "Categories=Utility;Engineering;\n"
          "Terminal=false\n")
          .arg(EscapeValue(QuoteExec(program.isEmpty() ? programFile : program)),
               EscapeValue(title), kDesktopFileName, kDataFileMimeType);
  const QString package = dataHome + QStringLiteral("/mime/packages/jibwarden-bbi.xml");
  const QString entry =
      dataHome + QStringLiteral("/applications/") + kDesktopFileName + QStringLiteral(".desktop");
  const FileWrite mimeWrite = WriteIfChanged(package, mime.toUtf8());
  const FileWrite entryWrite = WriteIfChanged(entry, desktop.toUtf8());
  ok = mimeWrite != FileWrite::Failed && entryWrite != FileWrite::Failed && ok;
  // The type and the entry name the icon; the theme finds it by name in any context.
  for (int side : kProgramIconSizes) {
    const QString icon = QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png")
                             .arg(dataHome)
                             .arg(side)
                             .arg(kDesktopFileName);
    ok = WriteIfChanged(icon, PngOf(ProgramPicture(side))) != FileWrite::Failed && ok;
  }
  // A default is named only for an entry that is there.
  if (entryWrite != FileWrite::Failed) {
    ok = NameDefaultApplication(UserConfigHome(), dataHome,
                                kDesktopFileName.toUtf8() + ".desktop") &&
         ok;
  }

  if (mimeWrite == FileWrite::Written ||
      (mimeWrite == FileWrite::Unchanged &&
       CacheOutOfDate(dataHome + QStringLiteral("/mime/mime.cache"), package)))
    tools.Start(QStringLiteral("update-mime-database"), {dataHome + QStringLiteral("/mime")});
  if (entryWrite == FileWrite::Written ||
      (entryWrite == FileWrite::Unchanged &&
       CacheOutOfDate(dataHome + QStringLiteral("/applications/mimeinfo.cache"), entry)))
    tools.Start(QStringLiteral("update-desktop-database"),
                {dataHome + QStringLiteral("/applications")});
  return ok;
}
