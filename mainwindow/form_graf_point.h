#pragma once
// The point table of the graph page: the record under the cursor and the picked points of
// the main window side by side, one column each.

#include <QDialog>

class QIcon;
class QToolButton;
class QWidget;
class StringGrid;
class TForm_main;

inline constexpr int kPointTableRows = 18;
inline constexpr int kPointTableRowHeight = 15;
inline constexpr int kPointTableTitleWidth = 80;
inline constexpr int kPointTableRecordWidth = 100;

// A speed button: an icon with its hint as tool tip.
QToolButton* NewSpeedButton(QWidget* parent, const QString& name, const QString& hint,
                            const QIcon& icon);

class TForm_GrafPoint : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_GrafPoint(QWidget* parent = nullptr);

  // The main window whose picked points the buttons act on.
  void SetMainWindow(TForm_main* main) { main_ = main; }

  // The grid column of the current cell (1 when there is none, like a fresh grid).
  int CurrentCol() const;
  void SetButtonsEnabled(bool enabled);

  QWidget* Panel1;
  QToolButton* Btn_DelCol;
  QToolButton* Btn_ClearAllPoint;
  QToolButton* Btn_InTble;
  StringGrid* SG_GrafPoint;

 public slots:
  void SG_GrafPointClick();
  void Btn_DelColClick();
  void Btn_ClearAllPointClick();
  void Btn_InTbleClick();

 private:
  TForm_main* main_ = nullptr;
};
