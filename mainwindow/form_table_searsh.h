#pragma once
// The per-column search conditions. No command opens this window; its one effect outside
// itself is the main window's ConditionFilterOn.

#include "mainwindow/record_search.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TForm_TableSearsh : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_TableSearsh(QWidget* parent = nullptr);

  // Sets the main window's ConditionFilterOn and repaints its records grid.
  using ConditionFilterHook = std::function<void(quint8 on)>;
  void SetConditionFilterHook(ConditionFilterHook hook) { conditionFilter_ = std::move(hook); }

  // The condition of each grid row.
  std::array<SearchCondition, kConditionRows> SearchConditionTable{};

  QTableWidget* SG_TableSearsh;
  QLabel* Label1;
  QComboBox* CB_TypeSearsh;
  QLabel* Label_OT;
  QLineEdit* Edit_OT;
  QLabel* Label_DO;
  QLineEdit* Edit_DO;
  QPushButton* Btn_ApplySearsh;
  QPushButton* Btn_OK;
  QPushButton* Btn_Cancel;

  // Shows the edits that condition type needs, filled from the current row.
  void ShowConditionEdits(int type);
  // The condition of the current row as its grid text.
  QString DescribeCondition() const;

 public slots:
  // Stores the drop-down and the edits as the current row's condition.
  void Btn_ApplySearshClick();
  void SG_TableSearshClick();
  void CB_TypeSearshChange();
  void Btn_OKClick();
  void Btn_CancelClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The current grid row's entry; null for a row beyond the table.
  SearchCondition* CurrentCondition();
  const SearchCondition* CurrentCondition() const;
  void SetConditionFilter(quint8 on);

  ConditionFilterHook conditionFilter_;
};
