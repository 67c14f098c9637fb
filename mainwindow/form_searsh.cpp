#include "mainwindow/form_searsh.h"

#include "mainwindow/record_search.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"
#include "platform/message_box.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

constexpr int kFoundRowHeight = 15;

template <class T>
T* Place(T* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

// Enabled fields have the window colour, disabled ones the button face.
void SetFieldEnabled(QLineEdit* edit, bool enabled) {
  edit->setEnabled(enabled);
  QPalette palette = edit->palette();
  const QColor colour = enabled ? edit->style()->standardPalette().color(QPalette::Base)
                                : edit->style()->standardPalette().color(QPalette::Button);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    palette.setColor(group, QPalette::Base, colour);
  edit->setPalette(palette);
}

QLineEdit* MaskEdit(QWidget* parent, const char* name, const QString& mask, const QString& text,
                    int left, int top, int width) {
  auto* edit = Place(new QLineEdit(parent), name, left, top, width, 21);
  edit->setInputMask(mask);
  edit->setText(text);
  SetFieldEnabled(edit, false);
  return edit;
}

// The text of a masked field with its unfilled places as blanks.
QString FieldText(const QLineEdit* edit) {
  QString text = edit->displayText();
  text.replace(u'_', u' ');
  return text;
}

}  // namespace

TForm_Searsh::TForm_Searsh(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_Searsh"));
  setWindowTitle(QStringLiteral("Поиск значений"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(331, 191);
  // The controls are placed in pixels: a small font keeps their texts inside them.
  QFont small = font();
  small.setPixelSize(10);
  setFont(small);

  RadioButton_Mz = Place(new QRadioButton(QStringLiteral("Степень загрузки, Мз (%)"), this),
                         "RadioButton_Mz", 8, 16, 161, 17);
  Edit_Mz = Place(new QLineEdit(QStringLiteral("0"), this), "Edit_Mz", 64, 48, 57, 21);
  Edit_Mz->setMaxLength(3);
  RadioButton_Time = Place(new QRadioButton(QStringLiteral("Дата и время"), this),
                           "RadioButton_Time", 168, 16, 113, 17);
  Label1 = Place(new QLabel(QStringLiteral("От"), this), "Label1", 168, 56, 20, 13);
  Label2 = Place(new QLabel(QStringLiteral("До"), this), "Label2", 168, 88, 20, 13);
  const QString dateMask = QStringLiteral("00.00.00;_");
  const QString timeMask = QStringLiteral("00:00:00;_");
  MaskEdit_otData =
      MaskEdit(this, "MaskEdit_otData", dateMask, QStringLiteral("00.00.00"), 192, 48, 57);
  MaskEdit_doData =
      MaskEdit(this, "MaskEdit_doData", dateMask, QStringLiteral("00.00.00"), 192, 80, 57);
  MaskEdit_otTime =
      MaskEdit(this, "MaskEdit_otTime", timeMask, QStringLiteral("00:00:00"), 272, 48, 49);
  MaskEdit_doTime =
      MaskEdit(this, "MaskEdit_doTime", timeMask, QStringLiteral("00:00:00"), 272, 80, 49);
  ProgressBar_Searsh = Place(new QProgressBar(this), "ProgressBar_Searsh", 8, 128, 313, 16);
  ProgressBar_Searsh->setRange(0, 100);
  ProgressBar_Searsh->setValue(0);
  ProgressBar_Searsh->setTextVisible(false);
  Button_OK = Place(new QPushButton(QStringLiteral("OK"), this), "Button_OK", 8, 152, 115, 25);
  Button_Close =
      Place(new QPushButton(QStringLiteral("Отмена"), this), "Button_Close", 208, 152, 113, 25);
  RadioButton_Mz->setChecked(true);

  connect(RadioButton_Mz, &QRadioButton::toggled, this, [this](bool on) {
    if (on) RadioButton_MzClick();
  });
  connect(RadioButton_Time, &QRadioButton::toggled, this, [this](bool on) {
    if (on) RadioButton_TimeClick();
  });
  connect(Button_OK, &QPushButton::clicked, this, &TForm_Searsh::Button_OKClick);
  connect(Button_Close, &QPushButton::clicked, this, &TForm_Searsh::Button_CloseClick);
  // The window sees every key first: Esc and Enter act wherever the focus is.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  for (QPushButton* button : {Button_OK, Button_Close}) button->setAutoDefault(false);
}

void TForm_Searsh::SetTargets(const Targets& targets) {
  targets_ = targets;
}

void TForm_Searsh::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TForm_Searsh::FormShow() {
  ProgressBar_Searsh->setRange(0, 10);
  ProgressBar_Searsh->setValue(0);
}

void TForm_Searsh::RadioButton_MzClick() {
  SetFieldEnabled(Edit_Mz, true);
  for (QLineEdit* edit : {MaskEdit_otData, MaskEdit_doData, MaskEdit_otTime, MaskEdit_doTime})
    SetFieldEnabled(edit, false);
}

void TForm_Searsh::RadioButton_TimeClick() {
  SetFieldEnabled(Edit_Mz, false);
  for (QLineEdit* edit : {MaskEdit_otData, MaskEdit_doData, MaskEdit_otTime, MaskEdit_doTime})
    SetFieldEnabled(edit, true);
}

bool TForm_Searsh::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  int key = static_cast<QKeyEvent*>(event)->key();
  FormKeyDown(key);
  const bool maskEdit = watched == MaskEdit_otData || watched == MaskEdit_doData ||
                        watched == MaskEdit_otTime || watched == MaskEdit_doTime;
  if (key != 0 && maskEdit) MaskEdit_otDataKeyDown(key);
  return key == 0 || QDialog::eventFilter(watched, event);
}

void TForm_Searsh::FormKeyDown(int& Key) {
  if (Key == Qt::Key_Escape) {
    Key = 0;
    close();
  } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
    Key = 0;
    Button_OKClick();
  }
}

void TForm_Searsh::MaskEdit_otDataKeyDown(int& Key) {
  if (Key == Qt::Key_Backspace || Key == Qt::Key_Delete) Key = 0;
}

void TForm_Searsh::Button_CloseClick() {
  close();
}

void TForm_Searsh::Button_OKClick() {
  if (RadioButton_Mz->isChecked()) {
    SearchByLoadDegree();
  } else if (RadioButton_Time->isChecked()) {
    SearchByTime();
  }
  close();
}

bool TForm_Searsh::ShowMatches(const RowTest& test) {
  GridModel& records = targets_.SG_TPCR->Grid();
  GridModel& results = targets_.SG_TPCR_Find->Grid();
  results.SetRowCount(1);
  targets_.SG_TPCR->hide();
  targets_.SG_TPCR_Find->show();
  const int last = std::max(records.RowCount() - 1, 0);
  ProgressBar_Searsh->setRange(0, last);
  ProgressBar_Searsh->setValue(0);
  const int found = CopyMatchingRows(records, results, test, [this] {
    ProgressBar_Searsh->setValue(ProgressBar_Searsh->value() + 1);
  });
  if (found > 0) {
    // Found rows are lower than the title row; the next layout of the grid undoes this.
    targets_.SG_TPCR_Find->verticalHeader()->setDefaultSectionSize(kFoundRowHeight);
    return true;
  }
  MessageBox::Show(QStringLiteral("Заданный параметр не найден."), QStringLiteral("Jibwarden"),
                   MsgButtons::Ok, MsgIcon::Warning);
  ProgressBar_Searsh->setRange(0, last);
  ProgressBar_Searsh->setValue(0);
  return false;
}

void TForm_Searsh::SearchByLoadDegree() {
  const std::optional<int> threshold = MzThreshold(Edit_Mz->text());
  if (!threshold) {
    MessageBox::Error(
        QStringLiteral("Введено неверное значение. Требуется число между 0 и "
                       "255.\rВосстановлено последнее значение"));
    if (targets_.LastMzSearchText) Edit_Mz->setText(*targets_.LastMzSearchText);
    return;
  }
  if (targets_.LastMzSearchText) *targets_.LastMzSearchText = Edit_Mz->text();
  if (!targets_.SG_TPCR || !targets_.SG_TPCR_Find) return;
  const int column = LoadDegreeColumn(targets_.SG_TPCR->Grid());
  if (column < 0) return;
  ShowMatches(LoadDegreeAtLeast(column, *threshold));
}

void TForm_Searsh::SearchByTime() {
  std::optional<SearchStamp> from =
      SearchBound(FieldText(MaskEdit_otData), FieldText(MaskEdit_otTime));
  std::optional<SearchStamp> to;
  if (from) to = SearchBound(FieldText(MaskEdit_doData), FieldText(MaskEdit_doTime));
  if (!from || !to) {
    MessageBox::Error(QStringLiteral("Неверное значение даты или времени"));
    return;
  }
  if (!targets_.SG_TPCR || !targets_.SG_TPCR_Find) return;
  ShowMatches(StampWithin(*from, *to));
}
