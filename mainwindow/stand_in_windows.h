#pragma once
// Windows that the main window and the start-up create or open, with their captions and
// sizes; each gains its content with its own subsystem.

#include <QDialog>

// Base of the windows below: a dialog with caption and client size.
class StandInWindow : public QDialog {
  Q_OBJECT
 public:
  StandInWindow(const QString& objectName, const QString& caption, int clientWidth,
                int clientHeight, QWidget* parent = nullptr);
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
