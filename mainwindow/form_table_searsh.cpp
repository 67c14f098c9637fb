#include "mainwindow/form_table_searsh.h"

#include "acquisition/window_parts.h"
#include "archive/number_text.h"
#include "platform/message_box.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TForm_TableSearsh::TForm_TableSearsh(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_TableSearsh"));
  setWindowTitle(QStringLiteral("Условия поиска"));
  resize(491, 313);

  SG_TableSearsh = Named(new QTableWidget(2, 2, this), "SG_TableSearsh");
  SG_TableSearsh->horizontalHeader()->hide();
  SG_TableSearsh->verticalHeader()->hide();
  SG_TableSearsh->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SG_TableSearsh->setCurrentCell(0, 0);
  Label1 = Named(new QLabel(QStringLiteral("Выбирать значения"), this), "Label1");
  CB_TypeSearsh = Named(new QComboBox(this), "CB_TypeSearsh");
  CB_TypeSearsh->addItems({QStringLiteral("нет"), QStringLiteral("равные"),
                           QStringLiteral("больше"), QStringLiteral("меньше"),
                           QStringLiteral("в интервале"), QStringLiteral("неисправность")});
  Label_OT = Named(new QLabel(QStringLiteral("от"), this), "Label_OT");
  Edit_OT = Named(new QLineEdit(QStringLiteral("0"), this), "Edit_OT");
  Edit_OT->setMaxLength(6);
  Label_DO = Named(new QLabel(QStringLiteral("до"), this), "Label_DO");
  Edit_DO = Named(new QLineEdit(QStringLiteral("0"), this), "Edit_DO");
  Edit_DO->setMaxLength(6);
  Btn_ApplySearsh = Named(new QPushButton(QStringLiteral("Применить"), this), "Btn_ApplySearsh");
  Btn_OK = Named(new QPushButton(QStringLiteral("ОК"), this), "Btn_OK");
  Btn_Cancel = Named(new QPushButton(QStringLiteral("Отмена"), this), "Btn_Cancel");
  for (QPushButton* button : {Btn_ApplySearsh, Btn_OK, Btn_Cancel}) button->setAutoDefault(false);

  auto* column = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(SG_TableSearsh, 1);
  auto* condition = new QGridLayout;
  condition->addWidget(Label1, 0, 0, 1, 2);
  condition->addWidget(CB_TypeSearsh, 1, 0, 1, 2);
  condition->addWidget(Label_OT, 2, 0);
  condition->addWidget(Edit_OT, 2, 1);
  condition->addWidget(Label_DO, 3, 0);
  condition->addWidget(Edit_DO, 3, 1);
  condition->addWidget(Btn_ApplySearsh, 4, 0, 1, 2);
  condition->setRowStretch(5, 1);
  top->addLayout(condition);
  column->addLayout(top, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Btn_OK);
  buttons->addWidget(Btn_Cancel);
  column->addLayout(buttons);

  connect(Btn_ApplySearsh, &QPushButton::clicked, this, &TForm_TableSearsh::Btn_ApplySearshClick);
  connect(Btn_OK, &QPushButton::clicked, this, &TForm_TableSearsh::Btn_OKClick);
  connect(Btn_Cancel, &QPushButton::clicked, this, &TForm_TableSearsh::Btn_CancelClick);
  // Only the user's choice applies; loading a row's condition does not.
  connect(CB_TypeSearsh, &QComboBox::activated, this, &TForm_TableSearsh::CB_TypeSearshChange);
  connect(SG_TableSearsh, &QTableWidget::currentCellChanged, this,
          &TForm_TableSearsh::SG_TableSearshClick);
  Edit_OT->installEventFilter(this);
  Edit_DO->installEventFilter(this);
  ShowConditionEdits(0);
}

SearchCondition* TForm_TableSearsh::CurrentCondition() {
  const int row = SG_TableSearsh->currentRow();
  return row >= 0 && row < kConditionRows ? &SearchConditionTable[std::size_t(row)] : nullptr;
}

const SearchCondition* TForm_TableSearsh::CurrentCondition() const {
  return const_cast<TForm_TableSearsh*>(this)->CurrentCondition();
}

void TForm_TableSearsh::ShowConditionEdits(int type) {
  const bool from = type >= 1 && type <= 5;
  const bool to = type == 4;
  Label_OT->setVisible(from);
  Edit_OT->setVisible(from);
  Label_DO->setVisible(to);
  Edit_DO->setVisible(to);
  const SearchCondition* condition = CurrentCondition();
  if (!condition || type == 0) return;
  if (type != 5) Edit_OT->setText(FloatToText(condition->from));
  if (type == 4 || type == 5) Edit_DO->setText(FloatToText(condition->to));
}

QString TForm_TableSearsh::DescribeCondition() const {
  const SearchCondition* condition = CurrentCondition();
  return ::DescribeCondition(condition ? *condition : SearchCondition{});
}

void TForm_TableSearsh::Btn_ApplySearshClick() {
  SearchCondition* condition = CurrentCondition();
  if (!condition) return;
  const int row = SG_TableSearsh->currentRow();
  const std::optional<double> from = TextToFloat(NormalizeDecimalSeparator(Edit_OT->text()));
  const std::optional<double> to = TextToFloat(NormalizeDecimalSeparator(Edit_DO->text()));
  const bool stored = from && to;
  *condition =
      stored ? SearchCondition{CB_TypeSearsh->currentIndex(), *from, *to} : SearchCondition{};
  SG_TableSearsh->setItem(row, 1, new QTableWidgetItem(DescribeCondition()));
  if (!stored) {
    MessageBox::Error(QStringLiteral("Значение не сохранено"));
  }
}

void TForm_TableSearsh::CB_TypeSearshChange() {
  ShowConditionEdits(CB_TypeSearsh->currentIndex());
  Btn_ApplySearshClick();
}

void TForm_TableSearsh::SG_TableSearshClick() {
  const SearchCondition* condition = CurrentCondition();
  if (!condition) return;
  CB_TypeSearsh->setCurrentIndex(condition->type);
  ShowConditionEdits(condition->type);
}

void TForm_TableSearsh::SetConditionFilter(quint8 on) {
  if (conditionFilter_) conditionFilter_(on);
}

void TForm_TableSearsh::Btn_OKClick() {
  Btn_ApplySearshClick();
  SetConditionFilter(1);
  close();
}

void TForm_TableSearsh::Btn_CancelClick() {
  SetConditionFilter(0);
  close();
}

bool TForm_TableSearsh::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Edit_OT || watched == Edit_DO) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Btn_ApplySearshClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
