#pragma once

#include <QWidget>

// The mouse-enter/leave plumbing the extended label and the speed button share: whether
// the pointer is over the control, and OnMouseEnter / OnMouseLeave when that changes.
// The pointer counts as entering only while the control is enabled and the program is in
// the foreground, and as leaving only while no press is held on the control.
class TXcMouseTrackingWidget : public QWidget {
  Q_OBJECT

 public:
  explicit TXcMouseTrackingWidget(QWidget* parent = nullptr);

  bool MouseInside() const { return mouseInside_; }

 signals:
  void OnMouseEnter(QObject* sender);
  void OnMouseLeave(QObject* sender);

 protected:
  virtual void MouseEnter();
  virtual void MouseLeave();
  // True while a press started on the control is held; the pointer then never leaves.
  virtual bool PressHeld() const = 0;

  // Sets the state and notifies.
  void SetMouseInside(bool value);
  // Sets the state without notifying.
  void MarkMouseInside(bool value) { mouseInside_ = value; }
  // Follows where the pointer is now, for the changes enter and leave events miss.
  void UpdateTracking();

  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  bool mouseInside_ = false;
};
