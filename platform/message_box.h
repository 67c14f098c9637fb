#pragma once

#include "platform/service_hook.h"

#include <QString>

enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Error, Question, Warning, Information };
// The answer: the button pressed (None when the box could not be shown).
enum class MsgResult {
  None = 0,
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

struct MessageBoxRequest {
  QString text;
  QString caption;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
};

// Shows one modal box and returns the button pressed.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual MsgResult Show(const MessageBoxRequest& request) = 0;
  // The real box: a modal QMessageBox over the active window with Russian button texts.
  static MessageBoxService& Default();
};

inline const QString kErrorCaption = QStringLiteral("Ошибка");

class MessageBox {
 public:
  // Through the installed service. "\r\n" and "\r" line breaks reach the service as "\n".
  static MsgResult Show(const QString& text, const QString& caption,
                        MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);
  // The program's error box: caption "Ошибка", error icon, OK.
  static MsgResult Error(const QString& text);
  // The Russian text of the button that gives `result` ("OK", "Отмена", "Да", ...).
  static QString ButtonText(MsgResult result);
  // The results a box with `buttons` can give, in button order.
  static QList<MsgResult> Results(MsgButtons buttons);
};
