// Process-wide settings a test changes for a scope and gives back, so that the tests after it
// in the binary see them as they were.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <optional>

namespace jwtest {

// An environment variable set (or, with none, unset) for the scope; afterwards as it was,
// unset again when it was unset.
class EnvironmentScope {
 public:
  EnvironmentScope(const char* name, std::optional<QByteArray> value)
      : name_(name),
        old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
    Apply(value);
  }
  ~EnvironmentScope() { Apply(old_); }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  void Apply(const std::optional<QByteArray>& value) {
    if (value)
      qputenv(name_, *value);
    else
      qunsetenv(name_);
  }
  const char* name_;
  std::optional<QByteArray> old_;
};

// The process's current folder for the scope.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const QString& folder) : old_(QDir::currentPath()) {
    QDir::setCurrent(folder);
  }
  ~CurrentFolderScope() { QDir::setCurrent(old_); }
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  QString old_;
};

}  // namespace jwtest
