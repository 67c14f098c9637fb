#include "controls/window_family.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

#include <algorithm>

namespace {

// Windows the window manager does not manage as the user's: menus, tips, the splash.
bool ManagedByTheUser(const QWidget* window) {
  switch (window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
      return false;
    default:
      return !window->windowFlags().testFlag(Qt::FramelessWindowHint);
  }
}

bool IsModal(const QWidget* window) {
  return window->windowModality() != Qt::NonModal;
}

// A window of the family that asks the window manager to keep it above the others.
bool StaysOnTop(const QWidget* window) {
  return window->isWindow() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
         ManagedByTheUser(window);
}

}  // namespace

bool OnScreen(const QWidget* window) {
  return window->isVisible() && !window->isMinimized();
}

void BringBack(QWidget* window) {
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
}

WindowFamily::WindowFamily(QWidget* head) : head_(head) {
  qApp->installEventFilter(this);
}

WindowFamily::~WindowFamily() {
  qApp->removeEventFilter(this);
  // Nothing stays lowered after the family is gone.
  while (!lowerings_.empty()) ModalGone(lowerings_.back().modal);
}

bool WindowFamily::eventFilter(QObject* watched, QEvent* e) {
  // A window shown or hidden by the window manager (minimised, restored) keeps its place here.
  if ((e->type() != QEvent::Show && e->type() != QEvent::Hide) || e->spontaneous() ||
      !watched->isWidgetType())
    return false;
  auto* window = static_cast<QWidget*>(watched);
  if (!window->isWindow() || !ManagedByTheUser(window)) return false;
  if (e->type() == QEvent::Show) {
    // Shown before it is mapped: what is set now reaches the window manager with the window.
    Adopt(window);
    if (IsModal(window))
      ModalShown(window);
    else if (StaysOnTop(window) && !lowerings_.empty())
      Lower(window, lowerings_.back());
  } else {
    ModalGone(window);
  }
  return false;
}

void WindowFamily::Adopt(QWidget* window) {
  QWindow* handle = window->windowHandle();
  if (window == head_ || !handle || handle->transientParent() || !head_ || !head_->windowHandle())
    return;
  handle->setTransientParent(head_->windowHandle());
}

void WindowFamily::ModalShown(QWidget* modal) {
  Lowering& lowering = lowerings_.emplace_back();
  lowering.modal = modal;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != modal && window->isVisible() && StaysOnTop(window)) Lower(window, lowering);
  }
}

void WindowFamily::Lower(QWidget* window, Lowering& by) {
  QWindow* handle = window->windowHandle();
  if (!handle) return;
  by.windows.append(window);
  handle->setFlags(handle->flags() & ~Qt::WindowStaysOnTopHint);
}

bool WindowFamily::StillLowered(const QWidget* window) const {
  return std::any_of(lowerings_.begin(), lowerings_.end(), [&](const Lowering& other) {
    return std::any_of(other.windows.begin(), other.windows.end(),
                       [&](const QPointer<QWidget>& w) { return w == window; });
  });
}

void WindowFamily::ModalGone(QWidget* modal) {
  const auto found = std::find_if(lowerings_.begin(), lowerings_.end(),
                                  [&](const Lowering& l) { return l.modal == modal; });
  if (found == lowerings_.end()) return;
  const Lowering gone = *found;
  lowerings_.erase(found);
  for (const QPointer<QWidget>& window : gone.windows) {
    if (!window || StillLowered(window)) continue;
    // Back to the window's own flags, which kept the stay-on-top hint all along.
    if (QWindow* handle = window->windowHandle()) handle->setFlags(window->windowFlags());
  }
}
