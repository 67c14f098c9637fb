#include "controls/window_hook.h"
#include "platform/scripted_services.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QStringList events;

// Records its own handling of user events; its own event filter records too.
class Control : public QWidget {
 public:
  bool sendsItself = false;  // handling User sends User + 1 to itself

 protected:
  bool event(QEvent* e) override {
    QEvent own(QEvent::Type(QEvent::User + 1));
    if (e->type() == QEvent::User) events += "control";
    if (e->type() == QEvent::User && sendsItself) QCoreApplication::sendEvent(this, &own);
    return QWidget::event(e);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::User) events += "filter";
    return false;
  }
};

void Watch(TXcWindowHook& hook, const QString& name, bool handle = false) {
  hook.BeforeMessage = [name, handle](QObject*, QEvent* e, bool& handled) {
    if (e->type() < QEvent::User) return;
    events += QString("%1 before %2").arg(name).arg(e->type() - QEvent::User);
    handled = handle;
  };
  hook.AfterMessage = [name](QObject*, QEvent* e, bool&) {
    if (e->type() >= QEvent::User)
      events += QString("%1 after %2").arg(name).arg(e->type() - QEvent::User);
  };
}

QStringList SendUser(QWidget* w) {
  events.clear();
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(w, &e);
  return events;
}

TEST(WindowHookTest, LaterHookFirstAndHandledStopsTheRest) {
  Control control;
  TXcWindowHook first, second;
  Watch(first, "first");
  Watch(second, "second");
  first.SetWinControl(&control);
  second.SetWinControl(&control);
  EXPECT_EQ(SendUser(&control), QStringList({"second before 0", "first before 0", "control",
                                             "second after 0", "first after 0"}));
  Watch(second, "second", true);
  EXPECT_EQ(SendUser(&control), QStringList({"second before 0"}));
  second.SetActive(false);  // inactive: the chain goes on without it
  EXPECT_EQ(SendUser(&control), QStringList({"first before 0", "control", "first after 0"}));
}

TEST(WindowHookTest, EarlierFiltersAndTheControlRunBetweenBeforeAndAfter) {
  Control control;
  control.sendsItself = true;
  control.installEventFilter(&control);
  TXcWindowHook hook;
  Watch(hook, "h");
  hook.SetWinControl(&control);
  // What the control sends itself meanwhile reaches the hook as well.
  EXPECT_EQ(SendUser(&control), QStringList({"h before 0", "filter", "control", "h before 1",
                                             "h after 1", "h after 0"}));
}

TEST(WindowHookTest, QuitHasNoBeforeAndAFailingHookDoesNotStopTheOthers) {
  Control control;
  TXcWindowHook hook, failing;
  hook.BeforeMessage = [&](QObject*, QEvent* e, bool&) {
    events += QString::number(int(e->type()));
  };
  failing.BeforeMessage = [](QObject*, QEvent* e, bool&) {
    if (e->type() == QEvent::User) throw std::runtime_error("hook failed");
  };
  hook.SetWinControl(&control);
  failing.SetWinControl(&control);
  events.clear();
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(&control, &quit);
  EXPECT_TRUE(events.isEmpty());
  ScriptedMessageBox boxes;
  EXPECT_EQ(SendUser(&control), QStringList({QString::number(int(QEvent::User)), "control"}));
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, "hook failed");
}

TEST(WindowHookTest, MovingAndDestroying) {
  Control a, b;
  {
    TXcWindowHook hook;
    Watch(hook, "hook");
    hook.SetWinControl(&a);
    hook.SetWinControl(&b);
    EXPECT_EQ(SendUser(&a), QStringList({"control"}));
    EXPECT_EQ(SendUser(&b), QStringList({"hook before 0", "control", "hook after 0"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(a.findChild<TControlHook*>(), nullptr);  // released later, not during the call
  }
  EXPECT_EQ(SendUser(&b), QStringList({"control"}));  // the destroyed hook is gone
}

}  // namespace
