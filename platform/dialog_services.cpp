#include "platform/dialog_services.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>

namespace {

class QtFileDialog final : public FileDialogService {
 public:
  QString OpenFileName(const FileDialogRequest& r) override {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), r.title, StartPath(r),
                                        QtFileFilter(r.filter));
  }
  QString SaveFileName(const FileDialogRequest& r) override {
    return QFileDialog::getSaveFileName(
        QApplication::activeWindow(), r.title, StartPath(r), QtFileFilter(r.filter), nullptr,
        r.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
  }

 private:
  static QString StartPath(const FileDialogRequest& r) {
    if (r.directory.isEmpty()) return r.fileName;
    return r.fileName.isEmpty() ? r.directory : r.directory + u'/' + r.fileName;
  }
};

class QtFolderDialog final : public FolderDialogService {
 public:
  QString ExistingDirectory(const FolderDialogRequest& r) override {
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), r.title,
                                             r.startDirectory, QFileDialog::ShowDirsOnly);
  }
};

class QtColorDialog final : public ColorDialogService {
 public:
  std::optional<QColor> PickColor(const ColorDialogRequest& r) override {
    const QColor color = QColorDialog::getColor(r.initial, QApplication::activeWindow(), r.title);
    if (!color.isValid()) return std::nullopt;
    return color;
  }
};

class DesktopShell final : public ShellService {
 public:
  bool Open(const QString& target) override {
    return QDesktopServices::openUrl(ShellTargetUrl(target));
  }
};

}  // namespace

FileDialogService& FileDialogService::Default() {
  static QtFileDialog dialog;
  return dialog;
}

FolderDialogService& FolderDialogService::Default() {
  static QtFolderDialog dialog;
  return dialog;
}

ColorDialogService& ColorDialogService::Default() {
  static QtColorDialog dialog;
  return dialog;
}

ShellService& ShellService::Default() {
  static DesktopShell shell;
  return shell;
}

QString GetOpenFileName(const FileDialogRequest& request) {
  return ServiceHook<FileDialogService>::Current().OpenFileName(request);
}

QString GetSaveFileName(const FileDialogRequest& request) {
  return ServiceHook<FileDialogService>::Current().SaveFileName(request);
}

QString GetExistingDirectory(const FolderDialogRequest& request) {
  return ServiceHook<FolderDialogService>::Current().ExistingDirectory(request);
}

std::optional<QColor> GetColor(const ColorDialogRequest& request) {
  return ServiceHook<ColorDialogService>::Current().PickColor(request);
}

bool ShellOpen(const QString& target) {
  return ServiceHook<ShellService>::Current().Open(target);
}

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts).join(u' ');
    entries += QStringLiteral("%1 (%2)").arg(parts.at(i), patterns);
  }
  return entries.join(QStringLiteral(";;"));
}

QUrl ShellTargetUrl(const QString& target) {
  if (QFileInfo::exists(target)) return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
  return QUrl(target, QUrl::TolerantMode);
}
