#pragma once
// Small pieces windows build their controls from: the readout and conversion windows,
// and the windows of the libraries that use this one.

#include <QComboBox>
#include <QString>

// Entries of a combo history, empty ones included.
inline constexpr int kHistorySize = 6;

// A control named as the window description names it.
template <class T>
T* Named(T* object, const QString& name) {
  object->setObjectName(name);
  return object;
}

template <class T>
T* Named(T* object, const char* name) {
  return Named(object, QString::fromLatin1(name));
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
