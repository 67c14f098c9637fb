#pragma once
// The program's windows as one family under a window manager.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

// Watches every window of the application as it is shown. A window that belongs to no other
// window is made transient for the head (the main window), so that the window manager minimises
// and restores the whole family with it and keeps the family's windows above it. While a modal
// window is up, the family's stay-on-top windows leave the window manager's top layer, so that
// the modal window the user must answer is never hidden under them; they keep their own flag and
// go back on top when the last modal window that lowered them closes.
class WindowFamily : public QObject {
 public:
  explicit WindowFamily(QWidget* head);
  ~WindowFamily() override;
  WindowFamily(const WindowFamily&) = delete;
  WindowFamily& operator=(const WindowFamily&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  struct Lowering {
    QPointer<QWidget> modal;
    QList<QPointer<QWidget>> windows;
  };
  void Adopt(QWidget* window);
  void ModalShown(QWidget* modal);
  void ModalGone(QWidget* modal);
  void Lower(QWidget* window, Lowering& by);
  bool StillLowered(const QWidget* window) const;

  QPointer<QWidget> head_;
  std::vector<Lowering> lowerings_;
};

// Shows a helper window the user may have minimised: un-minimised, where it was left, raised.
void BringBack(QWidget* window);

// The window is on the screen: shown and not minimised.
bool OnScreen(const QWidget* window);
