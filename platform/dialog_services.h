#pragma once

#include <QColor>
#include <QString>
#include <QUrl>
#include <optional>

#include "platform/service_hook.h"

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

struct FolderDialogRequest {
  QString title;
  QString startDirectory;  // empty: no preselection
};

// Folder choice; an empty result means cancelled.
class FolderDialogService {
 public:
  virtual ~FolderDialogService() = default;
  virtual QString ExistingDirectory(const FolderDialogRequest& request) = 0;
  static FolderDialogService& Default();  // QFileDialog, folders only
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
std::optional<QColor> GetColor(const ColorDialogRequest& request);
bool ShellOpen(const QString& target);

// "*.bbi|*.bbi|*.pdb|*.pdb" -> "*.bbi (*.bbi);;*.pdb (*.pdb)".
QString QtFileFilter(const QString& filter);
// An existing path becomes a file URL, anything else ("http://...", "MailTo:...") a URL as written.
QUrl ShellTargetUrl(const QString& target);
