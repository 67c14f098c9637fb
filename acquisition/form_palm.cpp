#include "acquisition/form_palm.h"

#include "controls/date_edit.h"
#include "controls/delay.h"
#include "platform/message_box.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kHistorySize = 6;
constexpr int kOutcomeWaitMs = 100;

template <class T>
T* Named(T* object, const char* name) {
  object->setObjectName(QString::fromLatin1(name));
  return object;
}

// Six empty entries; the text shown at first is the combo's own name, as stored with the
// window.
QComboBox* HistoryCombo(QWidget* parent, const char* name) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (int i = 0; i < kHistorySize; ++i) combo->addItem(QString());
  combo->setEditText(QString::fromLatin1(name));
  return combo;
}

QLabel* Caption(QWidget* parent, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return label;
}

}  // namespace

TForm_Palm::TForm_Palm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_Palm"));
  setWindowTitle(QStringLiteral("Преобразование файла"));
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(305, 207);

  CB_Data = Named(new TDateEdit(this), "CB_Data");
  CB_Data->SetDefaultToday(true);
  CB_Data->SetGlyphKind(Combo::gkDropDown);
  CB_Data->SetNumGlyphs(1);
  CB_Data->setText(QStringLiteral("08.07.03"));
  CB_Operator = HistoryCombo(this, "CB_Operator");
  CB_NomCran = HistoryCombo(this, "CB_NomCran");
  CB_NomUstr = HistoryCombo(this, "CB_NomUstr");
  CB_Coment = HistoryCombo(this, "CB_Coment");
  Btn_Convert = Named(new QPushButton(QStringLiteral("ОК"), this), "Btn_Convert");
  Btn_Convert->setFixedSize(121, 25);
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
  ProgressBar1->setRange(0, 8000);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 0);
  grid->addWidget(Caption(this, " Дата считывания "), 0, 0);
  grid->addWidget(CB_Data, 0, 1);
  grid->addWidget(Caption(this, " Оператор"), 1, 0);
  grid->addWidget(CB_Operator, 1, 1);
  grid->addWidget(Caption(this, " Номер крана"), 2, 0);
  grid->addWidget(CB_NomCran, 2, 1);
  grid->addWidget(Caption(this, " Номер прибора"), 3, 0);
  grid->addWidget(CB_NomUstr, 3, 1);
  grid->addWidget(Caption(this, " Комментарии"), 4, 0);
  grid->addWidget(CB_Coment, 4, 1);
  grid->addWidget(Btn_Convert, 5, 0, 1, 2, Qt::AlignHCenter);
  grid->addWidget(ProgressBar1, 6, 0, 1, 2);

  connect(Btn_Convert, &QPushButton::clicked, this, &TForm_Palm::Btn_ConvertClick);
}

void TForm_Palm::showEvent(QShowEvent* event) {
  CB_Data->SetDefaultToday(DefaultToday);
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TForm_Palm::Btn_ConvertClick() {
  // The waits below process messages; a second click then must not start a second
  // conversion.
  if (converting_) return;
  converting_ = true;

  const HandheldFormTexts texts{CB_Data->text(), CB_Operator->currentText(),
                                CB_NomCran->currentText(), CB_NomUstr->currentText(),
                                CB_Coment->currentText()};
  const QString source = hooks_.AddSourcePath ? hooks_.AddSourcePath() : QString();
  const QString directory = hooks_.DataDirectory ? hooks_.DataDirectory() : QString();
  const HandheldResult result = ConvertHandheldFile(source, directory, clock_(), texts, *this);
  if (!result.Ok)
    MessageBox::Show(QStringLiteral("Ошибка чтения файла"), QStringLiteral("Ошибка"),
                     MsgButtons::Ok, MsgIcon::Error);

  Delay(kOutcomeWaitMs);
  if (hooks_.RefreshFileList) hooks_.RefreshFileList();
  ProgressBar1->setValue(0);
  close();
  converting_ = false;
}

void TForm_Palm::SetProgressMax(int max) {
  ProgressBar1->setMaximum(max);
}

void TForm_Palm::SetProgressPosition(int position) {
  ProgressBar1->setValue(position);
}

void TForm_Palm::Delay(int milliseconds) {
  ::Delay(milliseconds);
}
