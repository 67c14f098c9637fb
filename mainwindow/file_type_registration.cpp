#include "mainwindow/file_type_registration.h"

#include "mainwindow/program_picture.h"
#include "platform/settings_store.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>

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

// A cache is out of date when it is missing or was built before its source was last written,
// also when a tool started for that write never finished.
bool CacheOutOfDate(const QString& cache, const QString& source) {
  const QFileInfo cacheInfo(cache);
  return !cacheInfo.exists() || cacheInfo.lastModified() < QFileInfo(source).lastModified();
}

// Desktop entries quote arguments with double quotes and escape these inside them.
QString QuoteExec(const QString& path) {
  QString escaped;
  for (QChar c : path) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') escaped += u'\\';
    escaped += c;
  }
  return QLatin1Char('"') + escaped + QLatin1Char('"');
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
  const QString path = configHome + QStringLiteral("/mimeapps.list");
  QByteArray content;
  if (QFileInfo::exists(path)) {
    // Something the user put there that is no readable file is left alone.
    const auto existing = ReadRegularFile(path);
    if (!existing) return false;
    content = *existing;
  }
  const QByteArray line = mimeType + '=' + entry + '\n';
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
    if (!content.isEmpty() && !content.endsWith('\n')) content += '\n';
    if (!content.isEmpty()) content += '\n';
    content += kDefaultsGroup + '\n' + line;
  } else {
    if (at > 0 && content[at - 1] != '\n') content.insert(at++, '\n');
    content.insert(at, line);
  }
  return WriteWhole(path, content);
}

}  // namespace

bool RegisterDesktopFileType(const QString& programFile, const QString& title,
                             DesktopToolRuns& tools) {
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
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
  QString exec = QuoteExec(programFile);
  exec.replace(u'%', QStringLiteral("%%"));
  const QString desktop = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=%2\n"
                              "Exec=%1 %f\n"
                              "Icon=%3\n"
                              "MimeType=%4;\n"
                              "Terminal=false\n")
                              .arg(exec, title, kDesktopFileName, kDataFileMimeType);
  const QString package = dataHome + QStringLiteral("/mime/packages/jibwarden-bbi.xml");
  const QString entry =
      dataHome + QStringLiteral("/applications/") + kDesktopFileName + QStringLiteral(".desktop");
  const FileWrite mimeWrite = WriteIfChanged(package, mime.toUtf8());
  const FileWrite entryWrite = WriteIfChanged(entry, desktop.toUtf8());
  bool ok = mimeWrite != FileWrite::Failed && entryWrite != FileWrite::Failed;
  // The type and the entry name the icon; the theme finds it by name in any context.
  for (int side : kProgramIconSizes) {
    const QString icon = QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png")
                             .arg(dataHome)
                             .arg(side)
                             .arg(kDesktopFileName);
    ok = WriteIfChanged(icon, PngOf(ProgramPicture(side))) != FileWrite::Failed && ok;
  }
  const QString configHome =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  ok = NameDefaultApplication(configHome, dataHome, kDesktopFileName.toUtf8() + ".desktop") && ok;

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
