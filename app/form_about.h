#pragma once
// The About window.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TXcLabel;

class TForm_About : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_About(QWidget* parent = nullptr);

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Comments;
  QFrame* Bevel1;
  QLabel* lbWWWTitle;
  TXcLabel* lbWWW;
  QLabel* lbEMailTitle;
  TXcLabel* lbEMail;
  QLabel* SmallIcon;
  QPushButton* OKButton;

 public slots:
  void ProgramIconClick();
  void lbEMailClick();
  void OKButtonClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
