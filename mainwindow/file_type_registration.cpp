#include "mainwindow/file_type_registration.h"

#include "platform/settings_store.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

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

namespace {

bool WriteWhole(const QString& path, const QByteArray& content) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(content);
  return file.commit();
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

}  // namespace

bool RegisterDesktopFileType(const QString& programFile, const QString& title) {
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (dataHome.isEmpty()) return false;
  const QByteArray mime =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-taltrex-bbi\">\n"
      "    <comment>Taltrex of Velmora</comment>\n"
      "    <glob pattern=\"*.bbi\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  QString exec = QuoteExec(programFile);
  exec.replace(u'%', QStringLiteral("%%"));
  const QString desktop = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=%2\n"
                              "Exec=%1 %f\n"
                              "MimeType=application/x-taltrex-bbi;\n"
                              "Terminal=false\n")
                              .arg(exec, title);
  const bool mimeOk = WriteWhole(dataHome + "/mime/packages/jibwarden-bbi.xml", mime);
  const bool desktopOk =
      WriteWhole(dataHome + "/applications/" + kDesktopFileName + ".desktop", desktop.toUtf8());
  return mimeOk && desktopOk;
}
