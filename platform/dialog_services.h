#pragma once

#include "platform/service_hook.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

// The window a dialog or box opens over: the modal window that is up, else the active window
// (which a busy window system may not have named yet when a modal window has just shown).
QWidget* DialogOwner();

// Filters are written the system's way: "description|pattern|description|pattern".
struct FileDialogRequest {
  QString title;
  QString filter;
  QString directory;
  QString fileName;
  // Off where the caller asks its own question before replacing a file.
  bool confirmOverwrite = true;
};

// Open and save dialogs; an empty result means cancelled.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  virtual QString OpenFileName(const FileDialogRequest& request) = 0;
  virtual QString SaveFileName(const FileDialogRequest& request) = 0;
  static FileDialogService& Default();  // QFileDialog
};

// The open folder browser as its callbacks see it.
class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  virtual QDialog* Window() = 0;
  // A disabled OK button also refuses Enter.
  virtual void EnableOk(bool enable) = 0;
};

struct FolderDialogRequest {
  QString title;
  QString startDirectory;  // empty: no preselection
  QList<QUrl> places;      // the roots offered beside the folders; empty: the dialog's own
  // Once the dialog is made, before it shows.
  std::function<void(FolderBrowser&)> initialized;
  // The folder that OK would choose now, without a trailing "/" (the root keeps it).
  std::function<void(FolderBrowser&, const QString& path)> selectionChanged;
};

// Folder choice: a modal folders-only dialog of the application; an empty result means
// cancelled.
class FolderDialogService {
 public:
  virtual ~FolderDialogService() = default;
  virtual QString ExistingDirectory(const FolderDialogRequest& request) = 0;
  static FolderDialogService& Default();  // QFileDialog's own widgets, folders only
};

struct ColorDialogRequest {
  QColor initial;
  QString title;
};

class ColorDialogService {
 public:
  virtual ~ColorDialogService() = default;
  virtual std::optional<QColor> PickColor(const ColorDialogRequest& request) = 0;
  static ColorDialogService& Default();  // QColorDialog
};

// Opens a document, web address or mail link with the desktop's default handler.
class ShellService {
 public:
  virtual ~ShellService() = default;
  virtual bool Open(const QString& target) = 0;
  static ShellService& Default();  // QDesktopServices
};

// Entry points through the installed services.
QString GetOpenFileName(const FileDialogRequest& request);
QString GetSaveFileName(const FileDialogRequest& request);
QString GetExistingDirectory(const FolderDialogRequest& request);
// `path` without trailing separators; the root stays "/".
QString WithoutTrailingSeparator(QString path);
std::optional<QColor> GetColor(const ColorDialogRequest& request);
bool ShellOpen(const QString& target);

// "*.bbi|*.bbi|*.pdb|*.pdb" -> "*.bbi (*.bbi);;*.pdb (*.pdb)".
QString QtFileFilter(const QString& filter);
// An existing path becomes a file URL, anything else ("http://...", "MailTo:...") a URL as written.
QUrl ShellTargetUrl(const QString& target);
