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

JW_STAND_IN(TForm_PrintTPCR, "Form_PrintTPCR", QStringLiteral("Form_PrintTPCR"), 696, 534)
JW_STAND_IN(TForm_PrintTP, "Form_PrintTP", QStringLiteral("Form_PrintTP"), 696, 534)
JW_STAND_IN(TForm_PrintParam, "Form_PrintParam", QStringLiteral("Form_PrintParam"), 696, 534)
JW_STAND_IN(TForm_PrintGraf, "Form_PrintGraf", QStringLiteral("Form_PrintGraf"), 696, 534)
JW_STAND_IN(TForm_PrintDialog, "Form_PrintDialog", QStringLiteral("Печать отчета"), 521, 394)
