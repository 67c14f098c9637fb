#include "controls/window_hook.h"

#include "platform/exception_guard.h"

#include <QCoreApplication>
#include <QEvent>

#include <exception>
#include <utility>

TXcWindowHook::TXcWindowHook(QObject* owner) : QObject(owner) {}

TXcWindowHook::~TXcWindowHook() {
  Detach();
}

void TXcWindowHook::SetActive(bool active) {
  if (active == active_) return;
  if (active)
    Attach();
  else
    Detach();
  active_ = active;
}

void TXcWindowHook::SetWinControl(QWidget* control) {
  if (control == control_) return;
  const bool wasActive = active_;
  QPointer<TControlHook> previous = controlHook_;
  Detach();
  control_ = control;
  // A control hook left without hooks goes later, never inside the call that left it.
  if (previous && !previous->HasHooks()) previous->deleteLater();
  if (wasActive) Attach();
}

void TXcWindowHook::Attach() {
  if (!control_) return;
  TControlHook::Of(control_)->AddHook(this);
}

void TXcWindowHook::Detach() {
  if (controlHook_) controlHook_->RemoveHook(this);
  controlHook_ = nullptr;
}

void TXcWindowHook::DoBeforeMessage(QEvent* msg, bool& handled) {
  if (BeforeMessage) BeforeMessage(this, msg, handled);
}

void TXcWindowHook::DoAfterMessage(QEvent* msg, bool& handled) {
  if (AfterMessage) AfterMessage(this, msg, handled);
}

TControlHook::TControlHook(QWidget* control) : QObject(control), control_(control) {}

TControlHook::~TControlHook() {
  for (qsizetype i = hooks_.size() - 1; i >= 0; --i)
    if (hooks_[i]) hooks_[i]->controlHook_ = nullptr;
  hooks_.clear();
  Uninstall();
}

TControlHook* TControlHook::Of(QWidget* control) {
  if (auto* existing = control->findChild<TControlHook*>(QString(), Qt::FindDirectChildrenOnly))
    return existing;
  return new TControlHook(control);
}

void TControlHook::AddHook(TXcWindowHook* hook) {
  if (!hooks_.contains(hook)) hooks_.append(hook);
  hook->controlHook_ = this;
  Install();
}

void TControlHook::RemoveHook(TXcWindowHook* hook) {
  hooks_.removeAll(hook);
  if (hooks_.isEmpty()) Uninstall();
}

void TControlHook::Install() {
  // Installed again in front of whatever came since, as a window procedure is.
  control_->removeEventFilter(this);
  control_->installEventFilter(this);
  installed_ = true;
}

void TControlHook::Uninstall() {
  if (!installed_) return;
  control_->removeEventFilter(this);
  installed_ = false;
}

void TControlHook::Notify(QEvent* event, bool& handled, bool after) {
  // The last attached hook is asked first; one failing hook does not stop the others.
  const QList<QPointer<TXcWindowHook>> hooks = hooks_;
  for (qsizetype i = hooks.size() - 1; i >= 0 && !handled; --i) {
    TXcWindowHook* hook = hooks[i];
    if (!hook) continue;
    RunGuarded([&] {
      if (after)
        hook->DoAfterMessage(event, handled);
      else
        hook->DoBeforeMessage(event, handled);
    });
  }
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event) {
  if (watched != control_ || hooks_.isEmpty() || IsContinuing(this, event)) return false;
  bool handled = false;
  if (event->type() != QEvent::Quit) Notify(event, handled, false);
  // A pending deletion always reaches the control, whatever a hook says, and nothing
  // is left to notify after it.
  if (event->type() == QEvent::DeferredDelete) return false;
  if (handled) return true;
  bool wantsAfter = false;
  for (const auto& hook : hooks_)
    if (hook && hook->AfterMessage) wantsAfter = true;
  if (!wantsAfter) return false;
  // Back in front of filters installed since, so that they see the event only once
  // from now on: it is filtered here, and the list may change under Qt's loop.
  Install();
  QPointer<TControlHook> self(this);
  try {
    ContinueDispatch(this, control_, event);
  } catch (...) {
    if (self) Notify(event, handled, true);
    throw;
  }
  if (self) Notify(event, handled, true);
  return true;
}

namespace {

// The (filter, event) pairs being run past their filter, innermost last.
QList<std::pair<const QObject*, const QEvent*>>& Continuing() {
  static QList<std::pair<const QObject*, const QEvent*>> pairs;
  return pairs;
}

}  // namespace

bool IsContinuing(const QObject* filter, const QEvent* event) {
  return Continuing().contains(std::pair(filter, event));
}

bool ContinueDispatch(QObject* filter, QObject* receiver, QEvent* event) {
  Continuing().append({filter, event});
  struct Pop {
    ~Pop() { Continuing().removeLast(); }
  } pop;
  // notify, not sendEvent: a spontaneous event stays spontaneous.
  return QCoreApplication::instance()->notify(receiver, event);
}
