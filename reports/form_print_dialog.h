#pragma once
// The print dialog of the record tables: up to ten columns and the rows to print into the
// operational-records report.

#include "reports/print_ranges.h"
#include "reports/report_forms.h"

#include <QDialog>

#include <functional>

class GridModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;
class QTableWidget;

class TForm_PrintDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_PrintDialog(QWidget* parent = nullptr);

  // The grid whose rows are printed, as the main window shows it at the click.
  struct Source {
    const GridModel* grid = nullptr;
    bool visible = false;
    std::function<int(int col)> screenWidth;  // the column's width on the screen
  };
  struct Hooks {
    std::function<const GridModel*()> columnTitles;  // SG_TPCR: its row 0 names the columns
    std::function<Source()> source;
    std::function<ReportHeading()> heading;
    TForm_PrintTPCR* report = nullptr;
  };
  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  // The print command's set-up: one row per column of `titles`, none printed, no row mode.
  void PrepareColumns(const GridModel& titles);
  // Moves a row of the column list, as dragging it does.
  void MoveRow(int from, int to);

  static inline const QString kPrint = QStringLiteral("Печатать");
  static inline const QString kNoPrint = QStringLiteral("Не печатать");

  QTableWidget* SG_PrintTab;
  QWidget* Panel1;
  QGroupBox* GroupBox1;
  QRadioButton* rbAll;
  QRadioButton* rbDiap;
  QLineEdit* editDiap;
  QLabel* Label1;
  QPushButton* btnPreview;
  PrintRanges Ranges;

 public slots:
  void SG_PrintTabDblClick();
  void rbAllClick();
  void rbDiapClick();
  void btnPreviewClick();
  // Esc closes the dialog; a handled key becomes 0.
  void FormKeyDown(int& Key);
  // Runs after a cell's normal drawing: a row marked for printing shows its mark again in
  // bold.
  void SG_PrintTabDrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Hooks hooks_;
  bool filling_ = false;
  int dragRow_ = -1;
};
