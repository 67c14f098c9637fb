#pragma once
// The controls' property setters store a new value and then repaint, re-lay out or
// notify; an equal value changes nothing and costs no repaint.

#include <utility>

// Stores `value` in `field` when they differ; true when it did, so the caller acts on it.
template <class T, class V>
bool SetIfChanged(T& field, V&& value) {
  if (field == value) return false;
  field = std::forward<V>(value);
  return true;
}
