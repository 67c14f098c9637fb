#include "acquisition/form_palm.h"

#include "acquisition/window_parts.h"
#include "controls/bm_shadow_button.h"
#include "controls/ctl_utils.h"
#include "controls/date_edit.h"
#include "controls/delay.h"
#include "platform/message_box.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>

namespace {

constexpr int kOutcomeWaitMs = 100;

// The text shown at first is the combo's own name, as stored with the window.
QComboBox* NamedHistoryCombo(QWidget* parent, const char* name) {
  QComboBox* combo = HistoryCombo(parent, name);
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
  CB_Operator = NamedHistoryCombo(this, "CB_Operator");
  CB_NomCran = NamedHistoryCombo(this, "CB_NomCran");
  CB_NomUstr = NamedHistoryCombo(this, "CB_NomUstr");
  CB_Coment = NamedHistoryCombo(this, "CB_Coment");
  Btn_Convert = Named(new TBmShadowButton(this), "Btn_Convert");
  Btn_Convert->SetDepth(5);
  Btn_Convert->SetCaption(QStringLiteral("ОК"));
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

  connect(Btn_Convert, &TBmShadowButton::OnClick, this, &TForm_Palm::Btn_ConvertClick);
}

void TForm_Palm::setVisible(bool visible) {
  if (visible && !isVisible()) {
    if (const QScreen* screen = this->screen())
      CentreFrameOn(this, screen->availableGeometry(), MainApplicationWindow());
  }
  QDialog::setVisible(visible);
}

void TForm_Palm::showEvent(QShowEvent* event) {
  CB_Data->SetDefaultToday(DefaultToday);
  QDialog::showEvent(event);
}

void TForm_Palm::Btn_ConvertClick() {
  // The waits below process messages; a second click then must not start a second
  // conversion.
  if (converting_) return;
  converting_ = true;

  const HandheldFormTexts texts{CB_Data->Text(), CB_Operator->currentText(),
                                CB_NomCran->currentText(), CB_NomUstr->currentText(),
                                CB_Coment->currentText()};
  const QString source = hooks_.AddSourcePath ? hooks_.AddSourcePath() : QString();
  const QString directory = hooks_.DataDirectory ? hooks_.DataDirectory() : QString();
  const HandheldResult result = ConvertHandheldFile(source, directory, clock_(), texts, *this);
  if (!result.Ok) MessageBox::Error(DataFile::kReadErrorText);

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
