#include "controls/component_loading.h"

#include <QObject>
#include <QVariant>

namespace {

// How many scopes hold the object.
const char* const kLoadingDepth = "componentLoadingDepth";

void AddDepth(QObject* owner, int step) {
  const int depth = owner->property(kLoadingDepth).toInt() + step;
  owner->setProperty(kLoadingDepth, depth > 0 ? QVariant(depth) : QVariant());
}

}  // namespace

LoadingScope::LoadingScope(QObject* owner) : owner_(owner) {
  if (owner_) AddDepth(owner_, 1);
}

LoadingScope::~LoadingScope() {
  if (owner_) AddDepth(owner_, -1);
}

bool IsComponentLoading(const QObject* owner) {
  return owner && owner->property(kLoadingDepth).toInt() > 0;
}
