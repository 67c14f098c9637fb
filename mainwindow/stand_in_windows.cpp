#include "mainwindow/stand_in_windows.h"

StandInWindow::StandInWindow(const QString& objectName, const QString& caption, int clientWidth,
                             int clientHeight, QWidget* parent)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowTitle(caption);
  resize(clientWidth, clientHeight);
}

#define JW_STAND_IN(Class, Name, Caption, W, H) \
  Class::Class(QWidget* parent) : StandInWindow(QStringLiteral(Name), Caption, W, H, parent) {}

JW_STAND_IN(TformView1, "formView1", QStringLiteral("Расшифровка данных, Kvarel-10"), 278, 210)
JW_STAND_IN(TFormView2, "FormView2", QStringLiteral("Расшифровка данных, Kvarel-02"), 278, 210)
