#include "acquisition/form_read.h"

#include "acquisition/window_parts.h"
#include "archive/number_text.h"
#include "controls/ctl_utils.h"
#include "controls/delay.h"
#include "controls/form_storage.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "serial/sc_comm.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <array>
#include <cmath>

namespace {

const QString kStart = QStringLiteral("Считать");
const QString kCancel = QStringLiteral("Отмена");
const QString kOpenError = QStringLiteral("Ошибка открытия порта");

constexpr std::array<TScBaudrate, 5> kBaudrates = {br9600, br19200, br38400, br57600, br115200};

QComboBox* ListCombo(QWidget* parent, const char* name, const QStringList& items) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->addItems(items);
  return combo;
}

QLabel* Caption(QWidget* parent, const char* text, const QRect& place) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setGeometry(place);
  return label;
}

// The readout's link over the serial component.
class CommLink : public RecorderLink {
 public:
  explicit CommLink(TScComm& comm) : comm_(comm) {}
  void WriteText(QByteArrayView bytes) override { comm_.WriteText(bytes.toByteArray()); }
  int InQueueCount() override { return comm_.InQueue(); }
  QByteArray ReadText() override {
    QByteArray bytes;
    comm_.ReadText(bytes);
    return bytes;
  }
  void PurgeAll() override { comm_.PurgeAll(); }

 private:
  TScComm& comm_;
};

}  // namespace

// --- the animation ---

TAnimate::TAnimate(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % kFrames;
    update();
  });
  setFixedSize(48, 40);
}

bool TAnimate::Active() const {
  return timer_->isActive();
}

void TAnimate::SetActive(bool active) {
  if (active) {
    timer_->start();
  } else {
    timer_->stop();
    frame_ = kStopFrame;
  }
  update();
}

void TAnimate::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(palette().color(QPalette::WindowText));
  p.setBrush(palette().color(QPalette::Base));
  p.drawRect(QRectF(4, 4, 28, 20));
  p.drawLine(QPointF(18, 24), QPointF(18, 30));
  p.drawLine(QPointF(10, 30), QPointF(26, 30));
  const double angle = 2 * M_PI * frame_ / kFrames;
  const QPointF centre(30 + 8 * std::cos(angle), 20 + 8 * std::sin(angle));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 6, 6);
  p.drawLine(centre + QPointF(4, 4), centre + QPointF(9, 9));
}

// --- the window ---

TForm_Read::TForm_Read(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ScComm1(new TScComm(this)),
      link_(std::make_unique<CommLink>(*ScComm1)),
      readout_(*link_, *this, *this, *this) {
  setObjectName(QStringLiteral("Form_Read"));
  setWindowTitle(QStringLiteral("Считывание нового регистратора"));
  setFixedSize(311, 261);

  CB_Data = Named(new TDateEdit(this), "CB_Data");
  CB_Data->SetDefaultToday(true);
  CB_Data->SetGlyphKind(Combo::gkDropDown);
  CB_Data->SetNumGlyphs(1);
  CB_Operator = HistoryCombo(this, "CB_Operator");
  CB_Coment = HistoryCombo(this, "CB_Coment");
  CB_ComPort = ListCombo(this, "CB_ComPort", {"COM1", "COM2", "COM3", "COM4"});
  CB_baudrate = ListCombo(this, "CB_baudrate",
                          {QStringLiteral("Авто"), "9600", "19200", "38400", "57600", "115200"});
  Btn_Read = Named(new QPushButton(kStart, this), "Btn_Read");
  ST_StatusRead = Named(new QLabel(this), "ST_StatusRead");
  ST_Baud = Named(new QLabel(this), "ST_Baud");
  ST_PR = Named(new QLabel(this), "ST_PR");
  ST_Ost = Named(new QLabel(this), "ST_Ost");
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
  ProgressBar1->setRange(0, 8000);
  ProgressBar1->setTextVisible(false);
  ST_NameFile = Named(new QLabel(this), "ST_NameFile");
  Animate1 = Named(new TAnimate(this), "Animate1");
  Timer_Read = Named(new QTimer(this), "Timer_Read");
  Timer_Read->setInterval(200);
  Timer_Timer = Named(new QTimer(this), "Timer_Timer");
  Timer_Timer->setInterval(1000);
  ScComm1->setObjectName(QStringLiteral("ScComm1"));

  // Fixed places in the client area: a text the readout writes never moves a control, and
  // each place holds the longest text that can come to it.
  Caption(this, " Дата считывания ", {8, 11, 100, 16});
  CB_Data->setGeometry(110, 8, 193, 22);
  Caption(this, " Оператор", {8, 37, 100, 16});
  CB_Operator->setGeometry(110, 34, 193, 22);
  Caption(this, " Комментарии", {8, 63, 100, 16});
  CB_Coment->setGeometry(110, 60, 193, 22);
  Caption(this, " Порт", {8, 89, 100, 16});
  CB_ComPort->setGeometry(110, 86, 64, 22);
  Caption(this, " Скорость", {178, 89, 54, 16});
  CB_baudrate->setGeometry(234, 86, 69, 22);
  Animate1->move(8, 114);
  Btn_Read->setGeometry(110, 120, 193, 26);
  ST_StatusRead->setGeometry(8, 160, 295, 16);
  ST_Baud->setGeometry(8, 178, 145, 16);
  ST_PR->setGeometry(158, 178, 145, 16);
  ST_Ost->setGeometry(8, 196, 145, 16);
  // A whole file name: the date to the second and an eight-digit crane number.
  ST_NameFile->setGeometry(8, 214, 295, 16);
  ProgressBar1->setGeometry(8, 236, 295, 16);

  // Line settings of the recorder: 9600 bit/s at the start, 8 data bits, no parity, 2 stop
  // bits, "?" as the event character, no flow control, DTR and RTS held low.
  ScComm1->SetDeviceName(QStringLiteral("COM%d"));
  ScComm1->SetBaudrate(br9600);
  ScComm1->SetStopbits(sb2);
  ScComm1->EventChars().SetEventChar('?');
  ScComm1->EventChars().SetEofChar('?');
  TScFlowControl& flow = ScComm1->FlowControl();
  flow.SetOutCtsFlow(false);
  flow.SetOutDsrFlow(false);
  flow.SetControlDtr(dtrDisabled);
  flow.SetControlRts(rtsDisabled);
  flow.SetXonXoffOut(false);
  flow.SetXonXoffIn(false);
  flow.SetDsrSensitivity(false);
  flow.SetTxContinueOnXoff(false);
  ScComm1->SetMonitorEvents({});
  ScComm1->OnRxFlag = [this](QObject* sender) { ScComm1RxFlag(sender); };

  connect(Btn_Read, &QPushButton::clicked, this, &TForm_Read::Btn_Read_Click);
  // Only the user's choice is kept; restoring the stored one must not overwrite it.
  connect(CB_ComPort, &QComboBox::activated, this, &TForm_Read::CB_ComPortChange);
  connect(CB_baudrate, &QComboBox::activated, this, &TForm_Read::CB_baudrateChange);
  connect(Timer_Read, &QTimer::timeout, this, &TForm_Read::Timer_ReadTimer);
  connect(Timer_Timer, &QTimer::timeout, this, &TForm_Read::Timer_TimerTimer);
  for (QObject* tagged : std::initializer_list<QObject*>{CB_ComPort, CB_baudrate, Timer_Timer})
    SetTag(tagged, 0);
  Timer_Read->start();
  FormCreate();

  // Restored on every showing before FormShow, saved whenever the window is hidden.
  FormStorage_Read = new TFormStorage(this);
  FormStorage_Read->setObjectName(QStringLiteral("FormStorage_Read"));
  FormStorage_Read->Options = 0;  // the window's position and size are not kept
  FormStorage_Read->UseRegistry = true;
  FormStorage_Read->SetStoredProps({"CB_Coment.Items", "CB_Operator.Items", "CB_Coment.Text",
                                    "CB_Operator.Text", "CB_baudrate.Items", "CB_baudrate.Text",
                                    "CB_ComPort.Text", "CB_ComPort.Items", "CB_ComPort.Tag",
                                    "CB_baudrate.Tag"});
  TStoredValue* value2 = FormStorage_Read->StoredValues().Add();
  value2->SetName(QStringLiteral("2"));
  value2->Value = QStringLiteral("0");
  value2->KeyString = QStringLiteral("kzv");
  FormStorage_Read->StoredValues().Add();
}

TForm_Read::~TForm_Read() {
  // No handler may run on a half-destroyed window.
  ScComm1->OnRxFlag = nullptr;
  ClosePort();
}

int TForm_Read::Tag(const QObject* control) {
  return control->property("Tag").toInt();
}

void TForm_Read::SetTag(QObject* control, int value) {
  control->setProperty("Tag", value);
}

void TForm_Read::CB_ComPortChange() {
  SetTag(CB_ComPort, CB_ComPort->currentIndex());
}

void TForm_Read::CB_baudrateChange() {
  SetTag(CB_baudrate, CB_baudrate->currentIndex());
}

void TForm_Read::FormCreate() {
  CB_ComPort->setCurrentIndex(0);
  ST_StatusRead->clear();
  CB_Operator->setCurrentIndex(0);
}

void TForm_Read::setVisible(bool visible) {
  if (visible && !isVisible()) {
    const QWidget* main = parentWidget() ? parentWidget()->window() : MainApplicationWindow();
    if (main && main != this) CentreFrameOn(this, main->frameGeometry(), main);
  }
  QDialog::setVisible(visible);
}

void TForm_Read::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TForm_Read::FormShow() {
  ST_NameFile->clear();
  // A kept choice outside the list counts as the first item.
  for (QComboBox* combo : {CB_ComPort, CB_baudrate}) {
    if (Tag(combo) < 0 || Tag(combo) >= combo->count()) SetTag(combo, 0);
    combo->setCurrentIndex(Tag(combo));
  }
  CB_Data->SetDate(Now());
}

void TForm_Read::done(int result) {
  if (readout_.Running()) {
    // The readout runs in a wait of this very window: close once it has ended.
    closeRequested_ = true;
    if (readout_.ReadActive) CancelReading();
    return;
  }
  if (readout_.Armed() && ScComm1->IsOpen()) CancelReading();
  FormClose();
  QDialog::done(result);
}

void TForm_Read::FormClose() {
  readout_.ReadActive = false;
  if (hooks_.RefreshFileList) hooks_.RefreshFileList();
  SetTag(Timer_Timer, 0);
  Timer_Timer->stop();
}

void TForm_Read::AddComboHistory(QComboBox* Combo) {
  const QString text = Combo->currentText();
  // The history holds exactly six entries; a list of another size is made to fit.
  while (Combo->count() < kHistorySize) Combo->addItem(QString());
  while (Combo->count() > kHistorySize) Combo->removeItem(Combo->count() - 1);
  if (text.isEmpty()) return;
  for (int i = 0; i < kHistorySize; ++i)
    if (Combo->itemText(i) == text) return;
  for (int i = kHistorySize - 1; i > 0; --i) Combo->setItemText(i, Combo->itemText(i - 1));
  Combo->setItemText(0, text);
  Combo->setCurrentIndex(0);
}

void TForm_Read::Btn_Read_Click() {
  if (hooks_.ClearStatusPanel0) hooks_.ClearStatusPanel0();
  ST_Baud->clear();
  ST_PR->clear();
  ST_Ost->clear();
  // The checks guard the start only: a cancel must always work.
  if (Btn_Read->text() != kStart) {
    CancelReading();
    return;
  }
  // An unfilled mask is no date either.
  if (!CB_Data->TextStored()) {
    MessageBox::Error(QStringLiteral("Выберите дату"));
    CB_Data->setFocus();
    return;
  }
  if (CB_Operator->currentText().isEmpty()) {
    MessageBox::Error(QStringLiteral("Введите имя оператора"));
    CB_Operator->setFocus();
    return;
  }
  AddComboHistory(CB_Operator);
  AddComboHistory(CB_Coment);
  StartReading();
}

void TForm_Read::StartReading() {
  Btn_Read->setText(kCancel);
  ST_StatusRead->setText(ReadoutText::Searching);
  ClosePort();
  try {
    ScComm1->SetPortNum(CB_ComPort->currentIndex() + 1);
    ScComm1->SetBaudrate(br9600);
    ScComm1->SetMonitorEvents({ceRxFlag});
    readout_.Arm();
    ScComm1->Open();
    ScComm1->SetDTR(false);
    ScComm1->SetRTS(false);
    Animate1->SetActive(true);
  } catch (const std::exception& error) {
    // The box only says the port did not open; the error output tells a wrong path, a missing
    // adapter and a missing right apart.
    const auto* commError = dynamic_cast<const EScCommError*>(&error);
    const QString reason = commError && !commError->Reason().isEmpty()
                               ? commError->Reason()
                               : QString::fromUtf8(error.what());
    qWarning("Port %s (%s) not opened (%s)", qPrintable(CB_ComPort->currentText()),
             qPrintable(ScComm1->DevicePath()), qPrintable(reason));
    ClosePort();
    Animate1->SetActive(false);
    Btn_Read->setText(kStart);
    Timer_Read->stop();
    ST_StatusRead->setText(kOpenError);
    MessageBox::Error(kOpenError);
  }
}

void TForm_Read::CancelReading() {
  readout_.Cancel();
  Btn_Read->setEnabled(false);
  ST_StatusRead->setText(ReadoutText::Finishing);
  Animate1->SetActive(false);
  Btn_Read->setText(kStart);
  Timer_Read->stop();
  Timer_Timer->stop();
  if (readout_.Running()) return;  // the readout's end enables the button
  // No readout runs: a "?" that comes later must not start one.
  ClosePort();
  Btn_Read->setEnabled(true);
  ST_StatusRead->setText(ReadoutText::CancelledWhileArmed);
}

void TForm_Read::ClosePort() {
  try {
    ScComm1->Close();
    ScComm1->SetMonitorEvents({});
  } catch (const std::exception&) {
    // A port that fails to close is gone all the same.
  }
}

void TForm_Read::ScComm1RxFlag(QObject*) {
  if (readout_.Running()) return;
  if (!readout_.Armed()) {
    ClosePort();
    return;
  }
  readout_.Run();
}

// --- timers and waits ---

void TForm_Read::Timer_ReadTimer() {
  int count = 0;
  try {
    count = ScComm1->InQueue();
  } catch (const std::exception&) {
    // A port in trouble counts as quiet; the read that follows fails its step.
  }
  InQueueCount = count;
  if (InQueueCount == PrevInQueueCount) ReplyComplete = 1;
  PrevInQueueCount = InQueueCount;
}

void TForm_Read::Timer_TimerTimer() {
  const int seconds = Tag(Timer_Timer) + 1;
  SetTag(Timer_Timer, seconds);
  ST_PR->setText(QStringLiteral("Прошло: ") + PadZeros(QString::number(seconds / 60), 2) + u':' +
                 PadZeros(QString::number(seconds % 60), 2));
}

void TForm_Read::WaitProcessingMessages(int Milliseconds) {
  ReplyComplete = 0;
  InQueueCount = 0;
  PrevInQueueCount = -100;  // the first tick never completes
  Timer_Read->start();
  WaitUntil(Milliseconds, [this] { return ReplyComplete != 0; });
  Timer_Read->stop();
}

void TForm_Read::Delay(int milliseconds) {
  ::Delay(milliseconds);
}

// --- what the readout shows ---

void TForm_Read::SetStatusText(const QString& text) {
  ST_StatusRead->setText(text);
}

void TForm_Read::SetFileNameText(const QString& text) {
  ST_NameFile->setText(text);
}

void TForm_Read::SetRemainingText(const QString& text) {
  ST_Ost->setText(text);
}

void TForm_Read::SetProgressMax(int max) {
  ProgressBar1->setMaximum(max);
}

void TForm_Read::SetProgressPosition(int position) {
  ProgressBar1->setValue(position);
}

void TForm_Read::SetBaudText(const QString& text) {
  ST_Baud->setText(text);
}

// --- the port and the window during a readout ---

void TForm_Read::ReopenWithoutEvents() {
  ScComm1->Close();
  ScComm1->SetMonitorEvents({});
  ScComm1->Open();
  ScComm1->SetDTR(false);
  ScComm1->SetRTS(false);
}

void TForm_Read::SetSpeed(int speedIndex) {
  ScComm1->SetBaudrate(kBaudrates[static_cast<std::size_t>(qBound(0, speedIndex, 4))]);
}

void TForm_Read::ProcessMessages() {
  QCoreApplication::processEvents();
}

int TForm_Read::BaudrateChoice() {
  return CB_baudrate->currentIndex();
}

ReadoutFileChoices TForm_Read::FileChoices() {
  return {CB_Data->Text(), CB_Operator->currentText(), CB_Coment->currentText(),
          hooks_.DataDirectory ? hooks_.DataDirectory() : ProgramWriteDirectory(),
          QDateTime::currentDateTime()};
}

void TForm_Read::StartElapsedTime() {
  SetTag(Timer_Timer, 0);
  Timer_Timer->start();
}

void TForm_Read::CleanUp() {
  SetTag(Timer_Timer, 0);
  Timer_Timer->stop();
  ProgressBar1->setValue(0);
  Btn_Read->setText(kStart);
  Animate1->SetActive(false);
  Timer_Read->stop();
  ScComm1->Close();
  ScComm1->SetMonitorEvents({});
}

void TForm_Read::CloseWindow() {
  closeRequested_ = false;
  FormClose();
  QDialog::done(QDialog::Accepted);
}

void TForm_Read::ReadoutEnded() {
  if (hooks_.RefreshFileList) hooks_.RefreshFileList();
  Btn_Read->setEnabled(true);
  if (!closeRequested_) return;
  closeRequested_ = false;
  if (isVisible()) {
    FormClose();
    QDialog::done(QDialog::Rejected);
  }
}
