#pragma once
// The search window: picks operational records by load degree or by a date and time range
// and shows them in the main window's results grid instead of the records grid.

#include "mainwindow/record_search.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class StringGrid;

class TForm_Searsh : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_Searsh(QWidget* parent = nullptr);

  // The main window's grids and its last accepted threshold text; a search needs them all.
  struct Targets {
    StringGrid* SG_TPCR = nullptr;
    StringGrid* SG_TPCR_Find = nullptr;
    QString* LastMzSearchText = nullptr;
  };
  void SetTargets(const Targets& targets);

  QRadioButton* RadioButton_Mz;
  QLineEdit* Edit_Mz;
  QRadioButton* RadioButton_Time;
  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* MaskEdit_otData;
  QLineEdit* MaskEdit_doData;
  QLineEdit* MaskEdit_otTime;
  QLineEdit* MaskEdit_doTime;
  QProgressBar* ProgressBar_Searsh;
  QPushButton* Button_OK;
  QPushButton* Button_Close;

 public slots:
  void RadioButton_MzClick();
  void RadioButton_TimeClick();
  void Button_OKClick();
  void Button_CloseClick();
  // Esc closes the window and Enter searches, wherever the focus is; a handled key becomes 0.
  void FormKeyDown(int& Key);
  // The date and time fields can only be overtyped: Backspace and Delete become 0.
  void MaskEdit_otDataKeyDown(int& Key);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  void SearchByLoadDegree();
  void SearchByTime();
  // Shows the results grid in place of the records and fills it; false when nothing matched.
  bool ShowMatches(const RowTest& test);

  Targets targets_;
};
