#include "platform/com_ports.h"

#include "platform/settings_store.h"

#include <QRegularExpression>

QString ComPortDevicePath(const QString& portName) {
  static const QRegularExpression comName(QStringLiteral("^COM([1-4])$"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = comName.match(portName);
  if (!match.hasMatch()) return portName;
  const int number = match.captured(1).toInt();
  const QString name = QStringLiteral("COM%1").arg(number);
  const QString fromEnvironment =
      qEnvironmentVariable(("JIBWARDEN_" + name).toLatin1().constData());
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  const QString fromSettings =
      SettingsStore(SettingsRoot::CurrentUser).ReadString(QStringLiteral("Ports"), name);
  if (!fromSettings.isEmpty()) return fromSettings;
  return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}
