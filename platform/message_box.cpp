#include "platform/message_box.h"

#include "platform/dialog_services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon QtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole Role(MsgResult result) {
  switch (result) {
    case MsgResult::Ok:
    case MsgResult::Retry:
      return QMessageBox::AcceptRole;
    case MsgResult::Yes:
      return QMessageBox::YesRole;
    case MsgResult::No:
      return QMessageBox::NoRole;
    case MsgResult::Cancel:
    case MsgResult::Abort:
      return QMessageBox::RejectRole;
    case MsgResult::Ignore:
    case MsgResult::None:
      break;
  }
  return QMessageBox::ActionRole;
}

class QtMessageBox final : public MessageBoxService {
 public:
  MsgResult Show(const MessageBoxRequest& request) override {
    QMessageBox box(QtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    DialogOwner());
    QList<std::pair<QAbstractButton*, MsgResult>> buttons;
    for (MsgResult result : MessageBox::Results(request.buttons))
      buttons.append({box.addButton(MessageBox::ButtonText(result), Role(result)), result});
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
    if (buttons.size() == 1) box.setEscapeButton(buttons.front().first);
    box.exec();
    for (const auto& [button, result] : buttons)
      if (box.clickedButton() == button) return result;
    return MsgResult::Cancel;
  }
};

}  // namespace

MessageBoxService& MessageBoxService::Default() {
  static QtMessageBox box;
  return box;
}

MsgResult MessageBox::Show(const QString& text, const QString& caption, MsgButtons buttons,
                           MsgIcon icon) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  return ServiceHook<MessageBoxService>::Current().Show({shown, caption, buttons, icon});
}

MsgResult MessageBox::Error(const QString& text) {
  return Show(text, kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
}

QString MessageBox::ButtonText(MsgResult result) {
  switch (result) {
    case MsgResult::Ok:
      return QStringLiteral("OK");
    case MsgResult::Cancel:
      return QStringLiteral("Отмена");
    case MsgResult::Abort:
      return QStringLiteral("Прервать");
    case MsgResult::Retry:
      return QStringLiteral("Повторить");
    case MsgResult::Ignore:
      return QStringLiteral("Пропустить");
    case MsgResult::Yes:
      return QStringLiteral("Да");
    case MsgResult::No:
      return QStringLiteral("Нет");
    case MsgResult::None:
      break;
  }
  return QString();
}

QList<MsgResult> MessageBox::Results(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      break;
    case MsgButtons::OkCancel:
      return {MsgResult::Ok, MsgResult::Cancel};
    case MsgButtons::AbortRetryIgnore:
      return {MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore};
    case MsgButtons::YesNoCancel:
      return {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
    case MsgButtons::YesNo:
      return {MsgResult::Yes, MsgResult::No};
    case MsgButtons::RetryCancel:
      return {MsgResult::Retry, MsgResult::Cancel};
  }
  return {MsgResult::Ok};
}
