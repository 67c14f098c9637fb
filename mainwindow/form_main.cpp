// The main window itself: construction, the frame, the event filter, closing, help and About.
#include "mainwindow/form_main.h"

#include "controls/component_loading.h"
#include "controls/ctl_utils.h"
#include "mainwindow/file_type_registration.h"
#include "mainwindow/form_graf_point.h"
#include "mainwindow/form_main_parts.h"
#include "mainwindow/form_nastr_graf.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "platform/chart_view.h"
#include "platform/dialog_services.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/settings_store.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWindowStateChangeEvent>

QString MakerMailLink() {
  return QStringLiteral("MailTo:") + kMakerMailAddress + QStringLiteral("?Subject=Jibwarden");
}

namespace {

// Outer window, frame included.
constexpr QSize kOuterSize(696, 534);

bool IsInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::Shortcut:
      return true;
    default:
      return false;
  }
}

}  // namespace

TForm_main::CommandScope::CommandScope(TForm_main& window)
    : window_(window), acquired_(!window.disabled_) {
  if (!acquired_) return;
  window_.disabled_ = true;
  qApp->installEventFilter(&window_);
}

TForm_main::CommandScope::~CommandScope() {
  if (!acquired_) return;
  qApp->removeEventFilter(&window_);
  window_.disabled_ = false;
}

TForm_main::TForm_main(QWidget* parent)
    : TForm_main(QCoreApplication::arguments().mid(1), QCoreApplication::applicationFilePath(),
                 parent) {}

TForm_main::TForm_main(QStringList arguments, QString programFile, QWidget* parent)
    : QMainWindow(parent),
      arguments_(std::move(arguments)),
      programFile_(std::move(programFile)),
      desktopTools_(new DesktopToolRuns(this)) {
  setObjectName(QStringLiteral("Form_main"));
  setWindowTitle(kApplicationTitle + QStringLiteral(" v 2.0.6 (25.12.2004)"));
  resize(kOuterSize);
  ApplySizeConstraints();
  {
    // The window is built as its description reads: its components take each property as
    // written there, so every tool item keeps the hint given with it.
    const LoadingScope loading(this);
    BuildActions();
    BuildMenus();
    BuildToolBars();
    BuildPages();
  }
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  FormCreate();
}

void TForm_main::FormCreate() {
  // The start-up work waits for the first showing (FormShow).
}

TForm_main::~TForm_main() {
  // No event of the teardown may reach the graph page's handlers on a half-gone window.
  delete graphPageEvents_;
  // The charts draw series that this window owns: they go first.
  delete Chart1;
  delete Chart_Data;
}

void TForm_main::SetWindows(const Windows& windows) {
  windows_ = windows;
  grafPoint_ = windows.Form_GrafPoint;
  nastrGraf_ = windows.Form_NastrGraf;
  view1_ = windows.formView1;
  view2_ = windows.FormView2;
}

QString TForm_main::StatusPanel0() const {
  return StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1_Panel0"))->text();
}

void TForm_main::SetStatusPanel0(const QString& text) {
  StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1_Panel0"))->setText(text);
}

bool TForm_main::event(QEvent* event) {
  const bool done = QMainWindow::event(event);
  constexpr Qt::WindowStates kGiven = Qt::WindowMaximized | Qt::WindowFullScreen;
  if (event->type() == QEvent::WindowStateChange) {
    // The normal state is reported before its size and frame: until the size comes, the frame
    // measured is still the other state's.
    restoring_ = (static_cast<QWindowStateChangeEvent*>(event)->oldState() & kGiven) &&
                 !(windowState() & kGiven);
  } else if (event->type() == QEvent::Resize) {
    restoring_ = false;
  }
  // The frame is known only after the window system has placed the window.
  if (event->type() == QEvent::Show || event->type() == QEvent::Move ||
      event->type() == QEvent::Resize)
    QTimer::singleShot(0, this, &TForm_main::FitFrame);
  return done;
}

void TForm_main::FitFrame() {
  if (!isWindow() || !isVisible() || restoring_) return;
  // A maximised or full-screen window has the size the window manager gives it, often with
  // another frame; resizing it would take it out of that state. Only the normal state fits.
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
  const QSize frame = frameGeometry().size() - size();
  if (frame == frame_) return;
  const QSize want = size() - (frame - frame_);
  frame_ = frame;
  ApplySizeConstraints();
  resize(want);
}

void TForm_main::FormConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth,
                                       int& MaxHeight) {
  MinWidth = 500;
  MinHeight = 400;
  // 0: no maximum.
  MaxWidth = 0;
  MaxHeight = 0;
}

void TForm_main::ApplySizeConstraints() {
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  FormConstrainedResize(minWidth, minHeight, maxWidth, maxHeight);
  // The limits are the outer window's; the frame takes its share of them.
  setMinimumSize(QSize(minWidth, minHeight) - frame_);
  setMaximumSize(maxWidth > 0 ? maxWidth - frame_.width() : QWIDGETSIZE_MAX,
                 maxHeight > 0 ? maxHeight - frame_.height() : QWIDGETSIZE_MAX);
}

void TForm_main::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TForm_main::FormShow() {
  LastMzSearchText = QStringLiteral("0");
  ShowPage(kPageList);
  Panel_Read->hide();
  NeedReload = 1;

  // Each settings step stands alone: a settings store that cannot be written must not keep
  // the archive list from being built.
  SettingsStore classes(SettingsRoot::Classes);
  RegisterFileTypeKeys(classes, programFile_);
  RegisterDesktopFileType(programFile_, kApplicationTitle, *desktopTools_);

  SettingsStore users(SettingsRoot::Users);
  DataDirectory = users.ReadString(kDirDataSection, kDirDataName);
  if (!arguments_.isEmpty()) {
    const QFileInfo argument(arguments_.first());
    if (argument.exists() && !argument.isDir()) DataDirectory = argument.absolutePath();
  }
  if (DataDirectory.isEmpty() || !QFileInfo(DataDirectory).isDir()) {
    DataDirectory = WritableDirectoryFor(QFileInfo(programFile_).absolutePath());
  }
  users.WriteString(kDirDataSection, kDirDataName, DataDirectory);
  // Such a file is left as it is, never overwritten; the user hears of it once.
  for (const SettingsStore* store : {&classes, &users}) {
    if (const QString error = store->ReadError(); !error.isEmpty()) MessageBox::Error(error);
  }

  RefreshFileList();
  ListView1->setFocus();
  if (ListView1->topLevelItemCount() > 0) SelectRow(0);
}

bool TForm_main::eventFilter(QObject* watched, QEvent* event) {
  if (disabled_ && IsInputEvent(event->type())) {
    // A running command has disabled the window: drop the user's input to it.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) return true;
  }
  if (ShowStatusHint(watched, event)) return false;
  if (watched == ListView1 && event->type() == QEvent::FocusIn) ListView1Enter();
  if (watched == ListView1 && event->type() == QEvent::FocusOut) ListView1Exit();
  if (watched == ListView1 && event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    ListView1KeyDown(key);
    if (key == 0) return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TForm_main::FormCloseQuery() {
  return MessageBox::Show(QStringLiteral("Выйти из программы ?"), kCaptionConfirm,
                          MsgButtons::OkCancel, MsgIcon::Question) == MsgResult::Ok;
}

void TForm_main::closeEvent(QCloseEvent* event) {
  CommandScope scope(*this);
  if (!scope.Acquired() || !FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  FormClose();
  emit Closed();
}

void TForm_main::FormClose() {
  // Nothing to do once closing is agreed: the program ends with the window.
}

void TForm_main::SpeedBtn_ExitClick() {
  if (disabled_) return;
  SetStatusPanel0(QString());
  close();
}

void TForm_main::N_HelpClick() {
  if (disabled_) return;
  // A missing file is no error, but the desktop's opener would still start on it.
  const QString helpFile = QDir(QFileInfo(programFile_).absolutePath()).filePath(kHelpFileName);
  if (QFileInfo(helpFile).isFile()) ShellOpen(helpFile);
}

void TForm_main::SpeedBtn_WWWClick() {
  if (disabled_) return;
  SetStatusPanel0(QString());
  ShellOpen(kMakerWebAddress);
}

void TForm_main::N_WWWClick() {
  if (disabled_) return;
  ShellOpen(kMakerWebAddress);
}

void TForm_main::SpeedBtn_MailClick() {
  if (disabled_) return;
  SetStatusPanel0(QString());
  ShellOpen(MakerMailLink());
}

void TForm_main::N_MailClick() {
  if (disabled_) return;
  ShellOpen(MakerMailLink());
}

void TForm_main::SpeedBtn_AboutClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  QDialog* about = windows_.Form_About;
  if (!about) return;
  CentreOnWindow(about);
  about->exec();
}

void TForm_main::N_AboutClick() {
  SpeedBtn_AboutClick();
}

void TForm_main::CentreOnWindow(QWidget* dialog) const {
  const QRect main = frameGeometry();
  // A window not shown yet has no frame: assume the main window's decorations.
  PlaceFrame(dialog, this, [main](const QSize& box) {
    return QPoint(main.left() + main.width() / 2 - box.width() / 2,
                  main.top() + main.height() / 2 - box.height() / 2);
  });
}
