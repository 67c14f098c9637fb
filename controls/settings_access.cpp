#include "controls/settings_access.h"

#include "archive/number_text.h"
#include "controls/str_utils.h"
#include "platform/user_homes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

#include <stdexcept>

TSettingsObject::TSettingsObject(Kind kind, SettingsStore store, QString key)
    : kind_(kind), store_(std::move(store)), key_(std::move(key)) {}

std::unique_ptr<TSettingsObject> TSettingsObject::OpenRegistry(SettingsRoot root,
                                                               const QString& key, bool create) {
  std::unique_ptr<TSettingsObject> settings(
      new TSettingsObject(Kind::Registry, SettingsStore(root), key));
  SettingsStore& store = settings->store_;
  if (create && !store.SectionExists(key) && !store.CreateSection(key))
    throw std::runtime_error(
        QStringLiteral("Раздел %1 не создан: %2").arg(key, store.LastError()).toStdString());
  return settings;
}

std::unique_ptr<TSettingsObject> TSettingsObject::OpenIniFile(const QString& fileName) {
  QString path = fileName;
  if (QFileInfo(fileName).isRelative()) {
    // Without a known home the store has no file, never one under the current folder.
    const QString home = AppConfigHome();
    path = home.isEmpty() ? QString() : QDir(home).filePath(fileName);
  }
  return std::unique_ptr<TSettingsObject>(
      new TSettingsObject(Kind::IniFile, SettingsStore(path), QString()));
}

QString TSettingsObject::SectionPath(const QString& section) const {
  if (kind_ == Kind::IniFile) return section;
  return section.isEmpty() ? key_ : key_ + u'\\' + section;
}

namespace {

bool QuotedAtBothEnds(const QString& value) {
  if (value.isEmpty()) return false;
  const QChar first = value.front();
  return (first == u'"' || first == u'\'') && value.back() == first;
}

}  // namespace

QString TSettingsObject::Read(const QString& section, const QString& ident,
                              const QString& defaultValue) const {
  const QString path = SectionPath(section);
  if (!store_.ValueExists(path, ident)) return defaultValue;
  const QString value = store_.ReadString(path, ident);
  // An INI file hands its values back without one pair of enclosing quotes.
  if (kind_ == Kind::IniFile && value.size() >= 2 && QuotedAtBothEnds(value))
    return value.mid(1, value.size() - 2);
  return value;
}

void TSettingsObject::Write(const QString& section, const QString& ident, const QString& value) {
  if (!store_.WriteString(SectionPath(section), ident, value))
    throw std::runtime_error(
        QStringLiteral("Значение %1 не записано: %2").arg(ident, store_.LastError()).toStdString());
}

// A registry key goes with its subkeys; an INI file's sections are names of their own, so
// "S" takes no "S\\x" with it.
void TSettingsObject::EraseSection(const QString& section) {
  const QString path = SectionPath(section);
  if (!store_.SectionExists(path)) return;
  if (!(kind_ == Kind::Registry ? store_.EraseSection(path) : store_.EraseSectionOnly(path)))
    throw std::runtime_error(
        QStringLiteral("Раздел %1 не удалён: %2").arg(section, store_.LastError()).toStdString());
}

void TSettingsObject::EndUpdate() {
  if (!store_.EndUpdate())
    throw std::runtime_error(
        QStringLiteral("Настройки не сохранены: %1").arg(store_.LastError()).toStdString());
}

QString GetDefaultSection(const QObject* component) {
  if (!component) return {};
  const auto* widget = qobject_cast<const QWidget*>(component);
  if (widget && widget->isWindow()) return QString::fromLatin1(widget->metaObject()->className());
  const QString name = component->objectName();
  if (widget) return QString::fromLatin1(widget->window()->metaObject()->className()) + name;
  const auto* owner = qobject_cast<const QWidget*>(component->parent());
  if (owner && owner->isWindow())
    return QStringLiteral("%1.%2").arg(QString::fromLatin1(owner->metaObject()->className()), name);
  return name;
}

namespace {

QString ProgramBaseName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

}  // namespace

QString GetDefaultIniName() {
  return ProgramBaseName() + QStringLiteral(".INI");
}

QString GetDefaultIniRegKey() {
  return QStringLiteral("Software\\") + ProgramBaseName();
}

QString IniReadString(const TSettingsObject* settings, const QString& section, const QString& ident,
                      const QString& defaultValue) {
  return settings ? settings->Read(section, ident, defaultValue) : defaultValue;
}

void IniWriteString(TSettingsObject* settings, const QString& section, const QString& ident,
                    const QString& value) {
  if (!settings) return;
  if (settings->GetKind() == TSettingsObject::Kind::IniFile && QuotedAtBothEnds(value))
    settings->Write(section, ident, u'"' + value + u'"');
  else
    settings->Write(section, ident, value);
}

int IniReadInteger(const TSettingsObject* settings, const QString& section, const QString& ident,
                   int defaultValue) {
  if (!settings) return defaultValue;
  return TextToInt(IniReadString(settings, section, ident, QString()).trimmed())
      .value_or(defaultValue);
}

void IniWriteInteger(TSettingsObject* settings, const QString& section, const QString& ident,
                     int value) {
  if (settings) settings->Write(section, ident, IntToText(value));
}

void IniEraseSection(TSettingsObject* settings, const QString& section) {
  if (settings) settings->EraseSection(section);
}

namespace {

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize();
}

int ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString FourNumbers(int a, int b, int c, int d) {
  return IntToText(a) + u',' + IntToText(b) + u',' + IntToText(c) + u',' + IntToText(d);
}

// Word `n` of a stored position as an integer, `fallback` when missing or bad.
int PositionWord(int n, const QString& text, int fallback) {
  return TextToInt(ExtractWord(n, text, u", ")).value_or(fallback);
}

constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

}  // namespace

QString GetScreenSizeSuffix() {
  const QSize size = ScreenSize();
  return QStringLiteral("(%1x%2)").arg(IntToText(size.width()), IntToText(size.height()));
}

QString ReadScreenString(const TSettingsObject* settings, const QString& section,
                         const QString& ident) {
  const QString value = IniReadString(settings, section, ident + GetScreenSizeSuffix(), QString());
  return value.isEmpty() ? IniReadString(settings, section, ident, QString()) : value;
}

void WriteScreenString(TSettingsObject* settings, const QString& section, const QString& ident,
                       const QString& value) {
  IniWriteString(settings, section, ident + GetScreenSizeSuffix(), value);
  IniWriteString(settings, section, ident, value);
}

namespace {

constexpr int kRestoreToMaximized = 2;  // the placement's flag: un-minimising maximises

// The program's main window: its first top-level main window.
const QWidget* MainWindow() {
  for (const QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<const QMainWindow*>(widget)) return widget;
  return nullptr;
}

}  // namespace

void WriteFormPlacement(QWidget* window, TSettingsObject* settings, const QString& section) {
  if (!window) return;
  const Qt::WindowStates state = window->windowState();
  int showCmd = kShowNormal;
  if (state & Qt::WindowMinimized)
    showCmd = kShowMinimized;
  else if (state & Qt::WindowMaximized)
    showCmd = kShowMaximized;
  const int flags =
      (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
  // No window system here keeps an icon position; a maximised window's is where it is.
  const QPoint maxPos =
      (state & Qt::WindowMaximized) ? window->frameGeometry().topLeft() : QPoint(-1, -1);
  const QRect normal =
      window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
  IniWriteInteger(settings, section, QStringLiteral("Flags"), flags);
  IniWriteInteger(settings, section, QStringLiteral("ShowCmd"), showCmd);
  IniWriteInteger(settings, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch());
  WriteScreenString(settings, section, QStringLiteral("MinMaxPos"),
                    FourNumbers(-1, -1, maxPos.x(), maxPos.y()));
  WriteScreenString(settings, section, QStringLiteral("NormPos"),
                    FourNumbers(normal.left(), normal.top(), normal.left() + normal.width(),
                                normal.top() + normal.height()));
}

void ReadFormPlacement(QWidget* window, const TSettingsObject* settings, const QString& section,
                       bool loadState, bool loadPosition) {
  if (!window || (!loadState && !loadPosition)) return;
  // Placed by the system: the program never moved nor sized the window itself.
  const bool defaultPosition =
      !window->testAttribute(Qt::WA_Moved) && !window->testAttribute(Qt::WA_Resized);
  if (loadPosition) {
    bool found = !ReadScreenString(settings, section, QStringLiteral("MinMaxPos")).isEmpty();
    const QString norm = ReadScreenString(settings, section, QStringLiteral("NormPos"));
    const QRect current = window->geometry();
    int left = current.left(), top = current.top();
    int right = left + current.width(), bottom = top + current.height();
    if (!norm.isEmpty()) {
      found = true;
      left = PositionWord(1, norm, left);
      top = PositionWord(2, norm, top);
      right = PositionWord(3, norm, right);
      bottom = PositionWord(4, norm, bottom);
    }
    if (IniReadInteger(settings, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch()) !=
        ScreenPixelsPerInch())
      found = false;
    if (found) {
      // A window of fixed size takes its stored position only.
      if (window->minimumSize() == window->maximumSize()) {
        right = left + current.width();
        bottom = top + current.height();
      }
      if (right > left) window->setGeometry(left, top, right - left, bottom - top);
    }
  }
  if (loadState) {
    // The main (or only) window placed by the system opens maximised.
    const QWidget* main = MainWindow();
    Qt::WindowStates state =
        (!main || main == window) && defaultPosition ? Qt::WindowMaximized : Qt::WindowNoState;
    switch (IniReadInteger(settings, section, QStringLiteral("ShowCmd"), kShowHide)) {
      case 1:
      case 5:
      case 9:
        state = Qt::WindowNoState;
        break;
      case 2:
      case 6:
      case 7:
        state = Qt::WindowMinimized;
        break;
      case 3:
        state = Qt::WindowMaximized;
        break;
      default:
        break;
    }
    window->setWindowState(state);
  }
  window->update();
}
