#include "platform/dialog_services.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

QWidget* DialogOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

namespace {

class QtFileDialog final : public FileDialogService {
 public:
  QString OpenFileName(const FileDialogRequest& r) override {
    return QFileDialog::getOpenFileName(DialogOwner(), r.title, StartPath(r),
                                        QtFileFilter(r.filter));
  }
  QString SaveFileName(const FileDialogRequest& r) override {
    return QFileDialog::getSaveFileName(
        DialogOwner(), r.title, StartPath(r), QtFileFilter(r.filter), nullptr,
        r.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
  }

 private:
  static QString StartPath(const FileDialogRequest& r) {
    if (r.directory.isEmpty()) return r.fileName;
    return r.fileName.isEmpty() ? r.directory : r.directory + u'/' + r.fileName;
  }
};

// The folders-only dialog, built from Qt's own widgets so that its OK button and its
// selection can be reached.
class BrowseDialog final : public QFileDialog, public FolderBrowser {
 public:
  explicit BrowseDialog(const FolderDialogRequest& r) : QFileDialog(nullptr, r.title), request_(r) {
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
    setWindowModality(Qt::ApplicationModal);
    if (!r.places.isEmpty()) setSidebarUrls(r.places);
    if (!r.startDirectory.isEmpty()) setDirectory(r.startDirectory);
    if (QPushButton* ok = Ok()) ok->installEventFilter(this);
    connect(this, &QFileDialog::currentChanged, this, &BrowseDialog::SelectionChanged);
    connect(this, &QFileDialog::directoryEntered, this, &BrowseDialog::SelectionChanged);
    if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
      connect(edit, &QLineEdit::textChanged, this, &BrowseDialog::SelectionChanged);
  }

  QString Run() {
    adjustSize();
    if (request_.initialized) request_.initialized(*this);
    SelectionChanged();
    if (exec() != QDialog::Accepted) return {};
    return WithoutTrailingSeparator(selectedFiles().value(0));
  }

  QDialog* Window() override { return this; }
  void EnableOk(bool enable) override {
    okAllowed_ = enable;
    if (QPushButton* ok = Ok()) ok->setEnabled(enable);
  }

  void accept() override {
    if (okAllowed_) QFileDialog::accept();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The dialog enables its button by its own rules; the callback's word stands.
    if (event->type() == QEvent::EnabledChange && watched == Ok() &&
        Ok()->isEnabled() != okAllowed_)
      Ok()->setEnabled(okAllowed_);
    return QFileDialog::eventFilter(watched, event);
  }

 private:
  QPushButton* Ok() const {
    auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box ? box->button(QDialogButtonBox::Open) : nullptr;
  }

  void SelectionChanged() {
    const QString path = WithoutTrailingSeparator(selectedFiles().value(0));
    if (reported_ && path == selection_) return;
    reported_ = true;
    selection_ = path;
    if (request_.selectionChanged) request_.selectionChanged(*this, path);
  }

  FolderDialogRequest request_;
  QString selection_;
  bool reported_ = false;
  bool okAllowed_ = true;
};

class QtFolderDialog final : public FolderDialogService {
 public:
  QString ExistingDirectory(const FolderDialogRequest& r) override {
    // The active window comes back to the front once the dialog is gone.
    const QPointer<QWidget> active = QApplication::activeWindow();
    const QString chosen = BrowseDialog(r).Run();
    if (active) active->activateWindow();
    return chosen;
  }
};

class QtColorDialog final : public ColorDialogService {
 public:
  std::optional<QColor> PickColor(const ColorDialogRequest& r) override {
    const QColor color = QColorDialog::getColor(r.initial, DialogOwner(), r.title);
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

QString WithoutTrailingSeparator(QString path) {
  while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
  return path;
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
