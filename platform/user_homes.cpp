#include "platform/user_homes.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString AbsoluteVariable(const char* name) {
  const QString value = qEnvironmentVariable(name);
  return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

QString BaseHome(const char* variable, const QString& underHome) {
  if (QString value = AbsoluteVariable(variable); !value.isEmpty()) return value;
  const QString home = AbsoluteVariable("HOME");
  return home.isEmpty() ? QString() : QDir::cleanPath(home + u'/' + underHome);
}

QString AppFolderIn(const QString& base) {
  if (base.isEmpty()) return base;
  QString folder = base;
  for (const QString& name :
       {QCoreApplication::organizationName(), QCoreApplication::applicationName()}) {
    if (!name.isEmpty()) folder += u'/' + name;
  }
  return folder;
}

}  // namespace

QString UserDataHome() {
  return BaseHome("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString UserConfigHome() {
  return BaseHome("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString AppDataHome() {
  return AppFolderIn(UserDataHome());
}

QString AppConfigHome() {
  return AppFolderIn(UserConfigHome());
}
