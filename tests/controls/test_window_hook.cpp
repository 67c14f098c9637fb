#include "controls/window_hook.h"
#include "platform/scripted_services.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Records its own handling of user events.
class Control : public QWidget {
 public:
  QStringList* log = nullptr;
  bool sendsItself = false;  // handling User sends User + 1 to itself

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) {
      *log += "control";
      if (sendsItself) {
        QEvent own(QEvent::Type(QEvent::User + 1));
        QCoreApplication::sendEvent(this, &own);
      }
    }
    return QWidget::event(e);
  }
};

// An event filter of the control's own, installed before any hook.
class Filter : public QObject {
 public:
  explicit Filter(QStringList& log) : log_(log) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::User) log_ += "filter";
    if (e->type() == QEvent::Resize) log_ += "filter resize";
    return false;
  }

 private:
  QStringList& log_;
};

void Watch(TXcWindowHook& hook, const QString& name, QStringList& log, bool handleBefore = false) {
  hook.BeforeMessage = [&log, name, handleBefore](QObject*, QEvent* e, bool& handled) {
    if (e->type() != QEvent::User) return;
    log += name + " before";
    handled = handleBefore;
  };
  hook.AfterMessage = [&log, name](QObject*, QEvent* e, bool&) {
    if (e->type() == QEvent::User) log += name + " after";
  };
}

void SendUser(QWidget* w) {
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(w, &e);
}

TEST(WindowHookTest, LaterHookFirstAndHandledStopsTheRest) {
  QStringList log;
  Control control;
  control.log = &log;
  TXcWindowHook first, second;
  Watch(first, "first", log);
  Watch(second, "second", log);
  first.SetWinControl(&control);
  second.SetWinControl(&control);
  SendUser(&control);
  EXPECT_EQ(log, QStringList(
                     {"second before", "first before", "control", "second after", "first after"}));

  log.clear();
  Watch(second, "second", log, true);
  SendUser(&control);
  EXPECT_EQ(log, QStringList({"second before"}));

  // Inactive: keeps its control and comes back when active again.
  log.clear();
  second.SetActive(false);
  SendUser(&control);
  EXPECT_EQ(log, QStringList({"first before", "control", "first after"}));
  second.SetActive(true);
  log.clear();
  SendUser(&control);
  EXPECT_EQ(log, QStringList({"second before"}));
}

TEST(WindowHookTest, EarlierFiltersAndTheControlRunBetweenBeforeAndAfter) {
  QStringList log;
  Control control;
  control.log = &log;
  control.sendsItself = true;
  Filter filter(log);
  control.installEventFilter(&filter);
  TXcWindowHook hook;
  hook.BeforeMessage = [&](QObject*, QEvent* e, bool&) {
    if (e->type() >= QEvent::User) log += QString("before %1").arg(e->type() - QEvent::User);
  };
  hook.AfterMessage = [&](QObject*, QEvent* e, bool&) {
    if (e->type() >= QEvent::User) log += QString("after %1").arg(e->type() - QEvent::User);
  };
  hook.SetWinControl(&control);
  SendUser(&control);
  // What the control sends itself meanwhile reaches the hook as well.
  EXPECT_EQ(log, QStringList({"before 0", "filter", "control", "before 1", "after 1", "after 0"}));
  control.show();
  log.clear();
  control.resize(124, 46);
  EXPECT_EQ(log, QStringList{"filter resize"});  // once, not swallowed and not doubled

  // A filter installed after the hook: once the hook is back in front, once each.
  Filter later(log);
  control.installEventFilter(&later);
  SendUser(&control);
  log.clear();
  SendUser(&control);
  EXPECT_EQ(log.count("filter"), 2);
}

TEST(WindowHookTest, QuitHasNoBeforeAndAFailingHookDoesNotStopTheOthers) {
  QStringList log;
  Control control;
  control.log = &log;
  TXcWindowHook hook, failing;
  hook.BeforeMessage = [&](QObject* sender, QEvent* e, bool&) {
    EXPECT_EQ(sender, &hook);
    log += QString("before %1").arg(int(e->type()));
  };
  failing.BeforeMessage = [](QObject*, QEvent* e, bool&) {
    if (e->type() == QEvent::User) throw std::runtime_error("hook failed");
  };
  hook.SetWinControl(&control);
  failing.SetWinControl(&control);
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(&control, &quit);
  EXPECT_TRUE(log.isEmpty());
  ScriptedMessageBox boxes;
  SendUser(&control);
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, "hook failed");
  EXPECT_EQ(log, QStringList({QString("before %1").arg(int(QEvent::User)), "control"}));
}

TEST(WindowHookTest, MovingAndDestroying) {
  QStringList log;
  Control a, b;
  a.log = b.log = &log;
  {
    TXcWindowHook hook;
    Watch(hook, "hook", log);
    hook.SetWinControl(&a);
    hook.SetWinControl(&b);
    SendUser(&a);
    EXPECT_EQ(log, QStringList({"control"}));
    log.clear();
    SendUser(&b);
    EXPECT_EQ(log, QStringList({"hook before", "control", "hook after"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(a.findChild<TControlHook*>(), nullptr);  // released later, not during the call
  }
  log.clear();
  SendUser(&b);  // the destroyed hook is gone
  EXPECT_EQ(log, QStringList({"control"}));

  // A control destroyed under its hook leaves the hook without a control.
  TXcWindowHook hook;
  auto* c = new Control;
  c->log = &log;
  hook.SetWinControl(c);
  delete c;
  EXPECT_EQ(hook.WinControl(), nullptr);
}

}  // namespace
