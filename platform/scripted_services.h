#pragma once

#include "platform/dialog_services.h"
#include "platform/message_box.h"

#include <QList>
#include <QString>

#include <deque>

// Test doubles of the interactive services. Each installs itself for its own
// lifetime, records every request and answers from its script in order.

// When the script is used up, a box is answered with its first button (as Enter
// would) and the miss is counted in Unanswered().
class ScriptedMessageBox final : public MessageBoxService {
 public:
  ScriptedMessageBox() : scope_(*this) {}
  explicit ScriptedMessageBox(std::initializer_list<MsgResult> answers)
      : answers_(answers), scope_(*this) {}

  void Answer(MsgResult result) { answers_.push_back(result); }
  MsgResult Show(const MessageBoxRequest& request) override;

  const QList<MessageBoxRequest>& Boxes() const { return boxes_; }
  int Unanswered() const { return unanswered_; }

 private:
  std::deque<MsgResult> answers_;
  QList<MessageBoxRequest> boxes_;
  int unanswered_ = 0;
  ScopedService<MessageBoxService> scope_;
};

// Answers "" (cancelled) when the script is used up.
class ScriptedFileDialog final : public FileDialogService {
 public:
  ScriptedFileDialog() : scope_(*this) {}
  void Answer(const QString& path) { answers_.push_back(path); }
  QString OpenFileName(const FileDialogRequest& request) override;
  QString SaveFileName(const FileDialogRequest& request) override;
  // Every request in order; SaveRequests() marks which of them were save dialogs.
  const QList<FileDialogRequest>& Requests() const { return requests_; }
  const QList<bool>& SaveRequests() const { return saves_; }

 private:
  QString Next();
  std::deque<QString> answers_;
  QList<FileDialogRequest> requests_;
  QList<bool> saves_;
  ScopedService<FileDialogService> scope_;
};

class ScriptedFolderDialog final : public FolderDialogService {
 public:
  ScriptedFolderDialog() : scope_(*this) {}
  void Answer(const QString& path) { answers_.push_back(path); }
  QString ExistingDirectory(const FolderDialogRequest& request) override;
  const QList<FolderDialogRequest>& Requests() const { return requests_; }

 private:
  std::deque<QString> answers_;
  QList<FolderDialogRequest> requests_;
  ScopedService<FolderDialogService> scope_;
};

class ScriptedColorDialog final : public ColorDialogService {
 public:
  ScriptedColorDialog() : scope_(*this) {}
  void Answer(std::optional<QColor> color) { answers_.push_back(color); }
  std::optional<QColor> PickColor(const ColorDialogRequest& request) override;
  const QList<ColorDialogRequest>& Requests() const { return requests_; }

 private:
  std::deque<std::optional<QColor>> answers_;
  QList<ColorDialogRequest> requests_;
  ScopedService<ColorDialogService> scope_;
};

// Records every target and reports success without opening anything.
class RecordingShell final : public ShellService {
 public:
  RecordingShell() : scope_(*this) {}
  bool Open(const QString& target) override {
    targets_ += target;
    return true;
  }
  const QStringList& Targets() const { return targets_; }

 private:
  QStringList targets_;
  ScopedService<ShellService> scope_;
};
