#include "controls/browse_directory.h"

#include "controls/ctl_utils.h"
#include "platform/dialog_services.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#include <stdexcept>

namespace {

bool DirectoryExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

QList<QUrl> DesktopPlaces() {
  return {QUrl::fromLocalFile(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)),
          QUrl::fromLocalFile(QDir::homePath()), QUrl::fromLocalFile(QDir::rootPath())};
}

QList<QUrl> DiskPlaces() {
  QList<QUrl> places{QUrl::fromLocalFile(QDir::rootPath())};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QUrl root = QUrl::fromLocalFile(volume.rootPath());
    if (volume.device().startsWith("/dev/") && !places.contains(root)) places += root;
  }
  return places;
}

bool IsMountRoot(const QString& path) {
  return QStorageInfo(path).rootPath() == path;
}

}  // namespace

TBrowseFolderDlg::TBrowseFolderDlg(QObject* owner) : QObject(owner) {}

bool TBrowseFolderDlg::Execute() {
  if (BrowseKind == bfComputers)
    throw std::runtime_error(
        "Cannot browse for computers: no network neighbourhood on this system");
  FolderDialogRequest request;
  request.title = DialogText;
  request.startDirectory = DirectoryExists(FolderName) ? FolderName : QString();
  request.places = DesktopRoot ? DesktopPlaces() : DiskPlaces();
  request.initialized = std::bind_front(&TBrowseFolderDlg::Initialized, this);
  request.selectionChanged = std::bind_front(&TBrowseFolderDlg::SelChanged, this);
  QString chosen;
  try {
    chosen = GetExistingDirectory(request);
  } catch (...) {
    window_ = nullptr;
    throw;
  }
  window_ = nullptr;
  if (chosen.isEmpty()) return false;
  FolderName = WithoutTrailingSeparator(chosen);
  selection_ = FolderName;
  const QFileInfo info(FolderName);
  displayName_ = info.isRoot() ? FolderName : info.fileName();
  if (FolderName == QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
    imageIndex_ = QFileIconProvider::Desktop;
  else if (IsMountRoot(FolderName))
    imageIndex_ = QFileIconProvider::Drive;
  else
    imageIndex_ = QFileIconProvider::Folder;
  return true;
}

void TBrowseFolderDlg::Initialized(FolderBrowser& browser) {
  window_ = browser.Window();
  if (window_ && Position == dpScreenCenter) CenterWindow(window_);
  if (window_ && HelpContext != 0) {
    auto* help = new QPushButton(QStringLiteral("&Help"), window_);
    help->setObjectName(QStringLiteral("HelpButton"));
    if (auto* box = window_->findChild<QDialogButtonBox*>())
      box->addButton(help, QDialogButtonBox::HelpRole);
    connect(help, &QPushButton::clicked, this, &TBrowseFolderDlg::HelpButtonClick);
  }
  if (OnInitialized) OnInitialized(this);
}

void TBrowseFolderDlg::SelChanged(FolderBrowser& browser, const QString& path) {
  selection_ = path;
  browser.EnableOk(DirectoryExists(path));
  if (OnSelChanged) OnSelChanged(this);
}

void TBrowseFolderDlg::HelpButtonClick() {
  // The application names its help file in its "HelpFile" property; a viewer started
  // from here cannot be given a context, so the file opens at its start.
  const QString helpFile = qApp->property("HelpFile").toString();
  if (!helpFile.isEmpty()) ShellOpen(helpFile);
}

bool BrowseDirectory(QString& folder, const QString& dlgText, int helpContext) {
  TBrowseFolderDlg dialog(qApp);
  dialog.DialogText = dlgText;
  dialog.FolderName = folder;
  dialog.HelpContext = helpContext;
  if (!dialog.Execute()) return false;
  folder = dialog.FolderName;
  return true;
}
