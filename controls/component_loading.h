#pragma once
// A window built from its description is loading until the whole description is read. The
// components it owns then take each property as given: rules that derive one property from
// another stay silent (a tool item's caption leaves its hint alone, its name its caption).

#include <QPointer>

class QObject;

// Holds `owner` in its loading state for the scope's life; scopes on one owner nest.
class LoadingScope {
 public:
  explicit LoadingScope(QObject* owner);
  ~LoadingScope();
  LoadingScope(const LoadingScope&) = delete;
  LoadingScope& operator=(const LoadingScope&) = delete;

 private:
  QPointer<QObject> owner_;
};

// True while a LoadingScope holds `owner`; false for none.
bool IsComponentLoading(const QObject* owner);
