#pragma once
// Small pieces the readout and conversion windows build their controls from.

#include <QComboBox>
#include <QString>

// Entries of a combo history, empty ones included.
inline constexpr int kHistorySize = 6;

// A control named as the window description names it.
template <class T>
T* Named(T* object, const char* name) {
  object->setObjectName(QString::fromLatin1(name));
  return object;
}

// An editable combo with a history of six empty entries; typing never adds an entry, the
// window's own history rule does.
inline QComboBox* HistoryCombo(QWidget* parent, const char* name) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (int i = 0; i < kHistorySize; ++i) combo->addItem(QString());
  return combo;
}
