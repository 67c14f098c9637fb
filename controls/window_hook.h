#pragma once
// Lets any number of users see a control's events before and after the control's own
// handling, and handle one instead of it. Per control one TControlHook (a child of the
// control, so it goes with it) filters the events and calls the hooks in turn. What was
// installed on the control before the hooks (event filters, then the control's own
// handling) runs between the before and the after calls.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QEvent;
class TControlHook;

// (Sender, Msg, Handled): setting Handled stops the remaining hooks and, before the
// control's handling, the control's handling and every after call.
using THookMessageEvent = std::function<void(QObject*, QEvent*, bool&)>;

class TXcWindowHook : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Active READ Active WRITE SetActive)
  Q_PROPERTY(QWidget* WinControl READ WinControl WRITE SetWinControl)

 public:
  explicit TXcWindowHook(QObject* owner = nullptr);
  ~TXcWindowHook() override;

  bool Active() const { return active_; }
  // True attaches to the control, False detaches; the control is kept.
  void SetActive(bool active);
  QWidget* WinControl() const { return control_; }
  void SetWinControl(QWidget* control);

  THookMessageEvent BeforeMessage;
  THookMessageEvent AfterMessage;

 protected:
  virtual void DoBeforeMessage(QEvent* msg, bool& handled);
  virtual void DoAfterMessage(QEvent* msg, bool& handled);

 private:
  friend class TControlHook;
  void Attach();
  void Detach();

  bool active_ = true;
  QPointer<QWidget> control_;
  QPointer<TControlHook> controlHook_;
};

class TControlHook : public QObject {
  Q_OBJECT
 public:
  // The control's hook, made on first use.
  static TControlHook* Of(QWidget* control);
  ~TControlHook() override;

  void AddHook(TXcWindowHook* hook);
  void RemoveHook(TXcWindowHook* hook);
  bool HasHooks() const { return !hooks_.isEmpty(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit TControlHook(QWidget* control);
  void Install();
  void Uninstall();
  void Notify(QEvent* event, bool& handled, bool after);

  QWidget* control_;
  QList<QPointer<TXcWindowHook>> hooks_;  // in the order attached
  bool installed_ = false;
};

// Runs, from inside filter's eventFilter, what comes after that filter for the event:
// the filters installed on receiver before it, then the receiver's own handling; their
// result is returned and filter must then report the event as filtered. Filters
// installed after filter see the event once more. A control hook therefore moves back in
// front at each event: a filter installed after it sees one event twice and from then
// on runs between the hooks' before and after calls.
bool ContinueDispatch(QObject* filter, QObject* receiver, QEvent* event);
// True while ContinueDispatch runs that event past that filter: it must let it through.
bool IsContinuing(const QObject* filter, const QEvent* event);
