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
