#pragma once

#include <QObject>
#include <QString>

#include <functional>

class FolderBrowser;
class QDialog;

// The folder-browse dialog as a component. Execute shows a modal folders-only dialog
// titled DialogText, opened at FolderName when that is an existing directory; its OK
// button is enabled only while the selection is an existing directory. On OK the chosen
// folder (without a trailing "/", the root keeps it) becomes FolderName.
class TBrowseFolderDlg : public QObject {
  Q_OBJECT

 public:
  enum TBrowseKind { bfFolders, bfComputers };
  Q_ENUM(TBrowseKind)
  enum TDialogPosition { dpDefault, dpScreenCenter };
  Q_ENUM(TDialogPosition)

 private:
  Q_PROPERTY(TBrowseKind BrowseKind MEMBER BrowseKind)
  Q_PROPERTY(bool DesktopRoot MEMBER DesktopRoot)
  Q_PROPERTY(QString DialogText MEMBER DialogText)
  Q_PROPERTY(QString FolderName MEMBER FolderName)
  Q_PROPERTY(int HelpContext MEMBER HelpContext)
  Q_PROPERTY(TDialogPosition Position MEMBER Position)

 public:
  explicit TBrowseFolderDlg(QObject* owner = nullptr);

  // bfComputers: there is no network neighbourhood to browse here; Execute throws.
  TBrowseKind BrowseKind = bfFolders;
  // The places offered beside the folders: the desktop, home and the file system's
  // root; without it the root of every mounted disk.
  bool DesktopRoot = true;
  QString DialogText;
  QString FolderName;
  // Not 0: the dialog has a "&Help" button opening the application's help.
  int HelpContext = 0;
  TDialogPosition Position = dpScreenCenter;
  std::function<void(QObject*)> OnInitialized;
  std::function<void(QObject*)> OnSelChanged;

  // True when a folder was chosen. Throws std::runtime_error for bfComputers.
  bool Execute();

  // The chosen folder's name as shown (the root: "/").
  const QString& DisplayName() const { return displayName_; }
  // The chosen folder's icon type (QFileIconProvider::IconType): desktop, drive or folder.
  int ImageIndex() const { return imageIndex_; }
  // The dialog's current selection; kept apart from FolderName.
  const QString& Selection() const { return selection_; }
  // The dialog while it is open, else null.
  QDialog* Window() const { return window_; }

 private:
  void Initialized(FolderBrowser& browser);
  void SelChanged(FolderBrowser& browser, const QString& path);
  void HelpButtonClick();

  QString displayName_;
  int imageIndex_ = 0;
  QString selection_;
  QDialog* window_ = nullptr;
};

// Lets the user choose a folder through a TBrowseFolderDlg titled dlgText. An existing
// `folder` is preselected, any other opens the dialog without a selection. On a choice
// `folder` becomes the chosen path and the result is true; on Cancel `folder` is left
// as it was and the result is false.
bool BrowseDirectory(QString& folder, const QString& dlgText, int helpContext = 0);
