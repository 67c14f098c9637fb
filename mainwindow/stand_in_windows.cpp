#include "mainwindow/stand_in_windows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QVBoxLayout>

StandInWindow::StandInWindow(const QString& objectName, const QString& caption, int clientWidth,
                             int clientHeight, QWidget* parent)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowTitle(caption);
  resize(clientWidth, clientHeight);
}

namespace {

template <class T>
T* Named(T* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

// Combo boxes with a history of six entries, empty ones included.
QComboBox* HistoryCombo(QWidget* parent, const QString& name) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(true);
  for (int i = 0; i < 6; ++i) combo->addItem(QString());
  combo->setEditText(name);
  return combo;
}

}  // namespace

TForm_Palm::TForm_Palm(QWidget* parent)
    : StandInWindow(QStringLiteral("Form_Palm"), QStringLiteral("Преобразование файла"), 305, 207,
                    parent) {
  auto* form = new QFormLayout(this);
  CB_Data = Named(new QDateEdit(this), QStringLiteral("CB_Data"));
  CB_Operator = HistoryCombo(this, QStringLiteral("CB_Operator"));
  CB_NomCran = HistoryCombo(this, QStringLiteral("CB_NomCran"));
  CB_NomUstr = HistoryCombo(this, QStringLiteral("CB_NomUstr"));
  CB_Coment = HistoryCombo(this, QStringLiteral("CB_Coment"));
  form->addRow(QStringLiteral(" Дата считывания "), CB_Data);
  form->addRow(QStringLiteral(" Оператор"), CB_Operator);
  form->addRow(QStringLiteral(" Номер крана"), CB_NomCran);
  form->addRow(QStringLiteral(" Номер прибора"), CB_NomUstr);
  form->addRow(QStringLiteral(" Комментарии"), CB_Coment);
}

#define JW_STAND_IN(Class, Name, Caption, W, H) \
  Class::Class(QWidget* parent) : StandInWindow(QStringLiteral(Name), Caption, W, H, parent) {}

JW_STAND_IN(TForm_NastrGraf, "Form_NastrGraf", QStringLiteral("Настрока графиков"), 316, 283)
JW_STAND_IN(TForm_GrafPoint, "Form_GrafPoint", QStringLiteral("Просмотр точек графика"), 521, 332)
JW_STAND_IN(TForm_PrintTPCR, "Form_PrintTPCR", QStringLiteral("Form_PrintTPCR"), 696, 534)
JW_STAND_IN(TForm_PrintTP, "Form_PrintTP", QStringLiteral("Form_PrintTP"), 696, 534)
JW_STAND_IN(TForm_PrintParam, "Form_PrintParam", QStringLiteral("Form_PrintParam"), 696, 534)
JW_STAND_IN(TForm_PrintGraf, "Form_PrintGraf", QStringLiteral("Form_PrintGraf"), 696, 534)
JW_STAND_IN(TForm_PrintDialog, "Form_PrintDialog", QStringLiteral("Печать отчета"), 521, 394)
JW_STAND_IN(TformView1, "formView1", QStringLiteral("Расшифровка данных, Kvarel-10"), 278, 210)
JW_STAND_IN(TFormView2, "FormView2", QStringLiteral("Расшифровка данных, Kvarel-02"), 278, 210)
