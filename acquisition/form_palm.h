#pragma once
// The conversion window of a handheld file: the texts the handheld file does not hold, and
// the button that converts the file into a new data file.

#include "acquisition/handheld_conversion.h"
#include "archive/data_file.h"

#include <QDialog>

#include <functional>

class QComboBox;
class TDateEdit;
class QLineEdit;
class QProgressBar;
class TBmShadowButton;

class TForm_Palm : public QDialog, private HandheldProgress {
  Q_OBJECT
 public:
  explicit TForm_Palm(QWidget* parent = nullptr);

  // What the window needs of the main window, wired at start-up.
  struct MainWindowHooks {
    std::function<void()> RefreshFileList;
    std::function<QString()> DataDirectory;
    std::function<QString()> AddSourcePath;  // the handheld file chosen by the add command
  };
  void SetMainWindowHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }
  // The computer's clock, which names the new file.
  void SetClock(DataFile::Clock clock) { clock_ = std::move(clock); }

  // Controls, named as the window describes them.
  TDateEdit* CB_Data;
  // The date field shows today whenever it has no date of its own.
  bool DefaultToday = true;
  QComboBox* CB_Operator;
  QComboBox* CB_NomCran;
  QComboBox* CB_NomUstr;
  QComboBox* CB_Coment;
  TBmShadowButton* Btn_Convert;
  QProgressBar* ProgressBar1;

 public slots:
  // Converts the handheld file, reports a failure once, rebuilds the archive list and
  // closes the window.
  void Btn_ConvertClick();

 protected:
  // At the centre of the desktop before each showing, frame included.
  void setVisible(bool visible) override;
  void showEvent(QShowEvent* event) override;

 private:
  // HandheldProgress.
  void SetProgressMax(int max) override;
  void SetProgressPosition(int position) override;
  void Delay(int milliseconds) override;

  MainWindowHooks hooks_;
  DataFile::Clock clock_ = DataFile::SystemClock;
  bool converting_ = false;
};
