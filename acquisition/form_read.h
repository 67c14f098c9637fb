#pragma once
// The readout window: the reading's date, operator, comment, port and speed, the start and
// cancel button, and the readout itself, which runs on the recorder's "?".

#include "acquisition/recorder_readout.h"
#include "controls/date_edit.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TFormStorage;
class TScComm;

// The system's find-computer animation, drawn by us: a magnifier circling over a screen.
class TAnimate : public QWidget {
  Q_OBJECT
 public:
  explicit TAnimate(QWidget* parent = nullptr);
  bool Active() const;
  void SetActive(bool active);
  int Frame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  static constexpr int kFrames = 16;
  static constexpr int kStopFrame = 8;
  QTimer* timer_;
  int frame_ = kStopFrame;
};

class TForm_Read : public QDialog,
                   private ReadoutWaits,
                   private ReadoutProgress,
                   private ReadoutWindow {
  Q_OBJECT
 public:
  explicit TForm_Read(QWidget* parent = nullptr);
  ~TForm_Read() override;

  // What the window needs of the main window, wired at start-up.
  struct MainWindowHooks {
    std::function<void()> RefreshFileList;
    std::function<void()> ClearStatusPanel0;
    std::function<QString()> DataDirectory;
  };
  void SetMainWindowHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }

  // Enters text into the history of six entries unless it is empty or already there.
  static void AddComboHistory(QComboBox* Combo);

  // The readout on the recorder's "?" (OnRxFlag of ScComm1).
  void ScComm1RxFlag(QObject* Sender);

  RecorderReadout& Readout() { return readout_; }

  // Reply-complete detection of the block waits.
  int InQueueCount = 0;
  int PrevInQueueCount = 0;
  int ReplyComplete = 0;

  // Controls, named as the window describes them.
  TDateEdit* CB_Data;
  QComboBox* CB_Operator;
  QComboBox* CB_Coment;
  QComboBox* CB_ComPort;
  QComboBox* CB_baudrate;
  QPushButton* Btn_Read;
  QLabel* ST_StatusRead;
  QLabel* ST_Baud;
  QLabel* ST_PR;
  QLabel* ST_Ost;
  QProgressBar* ProgressBar1;
  QLabel* ST_NameFile;
  TAnimate* Animate1;
  QTimer* Timer_Read;
  QTimer* Timer_Timer;
  TScComm* ScComm1;
  // Keeps the histories and the port and speed choices between runs.
  TFormStorage* FormStorage_Read;

  // The "Tag" property of a control: the kept choice of CB_ComPort and CB_baudrate, the
  // seconds elapsed of Timer_Timer. Kept as a property so the form storage reaches it by name.
  static int Tag(const QObject* control);
  static void SetTag(QObject* control, int value);

  // Waits while processing messages until the time is up or a reply is complete.
  void WaitProcessingMessages(int Milliseconds) override;

 public slots:
  void Btn_Read_Click();
  // The user picked a port or a speed: the combo's Tag keeps the choice.
  void CB_ComPortChange();
  void CB_baudrateChange();

 protected:
  // Centred on the main window before each showing, frame included.
  void setVisible(bool visible) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void Timer_ReadTimer();
  void Timer_TimerTimer();
  void StartReading();
  void CancelReading();
  void ClosePort();

  // ReadoutWaits.
  void Delay(int milliseconds) override;
  // ReadoutProgress.
  void SetStatusText(const QString& text) override;
  void SetFileNameText(const QString& text) override;
  void SetRemainingText(const QString& text) override;
  void SetProgressMax(int max) override;
  void SetProgressPosition(int position) override;
  // ReadoutWindow.
  void ReopenWithoutEvents() override;
  void SetSpeed(int speedIndex) override;
  void ProcessMessages() override;
  int BaudrateChoice() override;
  ReadoutFileChoices FileChoices() override;
  void SetBaudText(const QString& text) override;
  void StartElapsedTime() override;
  void CleanUp() override;
  void CloseWindow() override;
  void ReadoutEnded() override;

  std::unique_ptr<RecorderLink> link_;  // over ScComm1
  RecorderReadout readout_;
  MainWindowHooks hooks_;
  bool closeRequested_ = false;
};
