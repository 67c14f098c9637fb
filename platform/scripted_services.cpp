#include "platform/scripted_services.h"

namespace {

template <class T>
T TakeFront(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

MsgResult ScriptedMessageBox::Show(const MessageBoxRequest& request) {
  boxes_.append(request);
  if (answers_.empty()) {
    ++unanswered_;
    return MessageBox::Results(request.buttons).front();
  }
  return TakeFront(answers_, MsgResult::None);
}

QString ScriptedFileDialog::OpenFileName(const FileDialogRequest& request) {
  requests_.append(request);
  saves_.append(false);
  return Next();
}

QString ScriptedFileDialog::SaveFileName(const FileDialogRequest& request) {
  requests_.append(request);
  saves_.append(true);
  return Next();
}

QString ScriptedFileDialog::Next() {
  return TakeFront(answers_, QString());
}

QString ScriptedFolderDialog::ExistingDirectory(const FolderDialogRequest& request) {
  requests_.append(request);
  return TakeFront(answers_, QString());
}

std::optional<QColor> ScriptedColorDialog::PickColor(const ColorDialogRequest& request) {
  requests_.append(request);
  return TakeFront(answers_, std::optional<QColor>());
}
