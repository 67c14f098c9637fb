#pragma once
// Windows that the main window and the start-up create or open, with their captions and
// sizes; each gains its content with its own subsystem.

#include <QDialog>

class QComboBox;
class QDateEdit;

// Base of the windows below: a dialog with caption and client size.
class StandInWindow : public QDialog {
  Q_OBJECT
 public:
  StandInWindow(const QString& objectName, const QString& caption, int clientWidth,
                int clientHeight, QWidget* parent = nullptr);
};

// Conversion of a handheld file.
class TForm_Palm : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_Palm(QWidget* parent = nullptr);

  QDateEdit* CB_Data;
  // The date field shows today whenever it has no date of its own.
  bool DefaultToday = false;
  QComboBox* CB_Operator;
  QComboBox* CB_NomCran;
  QComboBox* CB_NomUstr;
  QComboBox* CB_Coment;
};

class TForm_NastrGraf : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_NastrGraf(QWidget* parent = nullptr);
};

class TForm_GrafPoint : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_GrafPoint(QWidget* parent = nullptr);
};

class TForm_PrintTPCR : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintTPCR(QWidget* parent = nullptr);
};

class TForm_PrintTP : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintTP(QWidget* parent = nullptr);
};

class TForm_PrintParam : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintParam(QWidget* parent = nullptr);
};

class TForm_PrintGraf : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintGraf(QWidget* parent = nullptr);
};

class TForm_PrintDialog : public StandInWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintDialog(QWidget* parent = nullptr);
};

class TformView1 : public StandInWindow {
  Q_OBJECT
 public:
  explicit TformView1(QWidget* parent = nullptr);
};

class TFormView2 : public StandInWindow {
  Q_OBJECT
 public:
  explicit TFormView2(QWidget* parent = nullptr);
};
