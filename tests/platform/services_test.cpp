#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

#include "platform/com_ports.h"
#include "platform/exception_guard.h"
#include "platform/program_directory.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"

namespace {

TEST(MessageBoxTest, ScriptedResponderRecordsBoxesAndAnswersInOrder) {
  ScriptedMessageBox boxes{MsgResult::No, MsgResult::Yes};
  EXPECT_EQ(MessageBox::Show("Файл уже существует.\rЗаменить ?", "Подтверждение", MsgButtons::YesNo,
                             MsgIcon::Question),
            MsgResult::No);
  EXPECT_EQ(MessageBox::Show("a\r\nb", "c", MsgButtons::YesNo), MsgResult::Yes);
  // Out of script: the first button, counted as unanswered.
  EXPECT_EQ(MessageBox::Show("Выберите файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error),
            MsgResult::Ok);
  EXPECT_EQ(boxes.Unanswered(), 1);

  ASSERT_EQ(boxes.Boxes().size(), 3);
  EXPECT_EQ(boxes.Boxes()[0].text, "Файл уже существует.\nЗаменить ?");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Подтверждение");
  EXPECT_EQ(boxes.Boxes()[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(boxes.Boxes()[0].icon, MsgIcon::Question);
  EXPECT_EQ(boxes.Boxes()[1].text, "a\nb");
  EXPECT_EQ(boxes.Boxes()[2].icon, MsgIcon::Error);
}

TEST(MessageBoxTest, ResponderScopesNest) {
  ScriptedMessageBox outer{MsgResult::Cancel};
  {
    ScriptedMessageBox inner{MsgResult::Retry};
    EXPECT_EQ(MessageBox::Show("x", "y", MsgButtons::RetryCancel), MsgResult::Retry);
    EXPECT_TRUE(outer.Boxes().isEmpty());
  }
  EXPECT_EQ(MessageBox::Show("x", "y", MsgButtons::OkCancel), MsgResult::Cancel);
  EXPECT_EQ(outer.Boxes().size(), 1);
}

TEST(MessageBoxTest, ButtonsAreRussian) {
  EXPECT_EQ(MessageBox::ButtonText(MsgResult::Yes), "Да");
  EXPECT_EQ(MessageBox::ButtonText(MsgResult::No), "Нет");
  EXPECT_EQ(MessageBox::ButtonText(MsgResult::Cancel), "Отмена");
  EXPECT_EQ(MessageBox::Results(MsgButtons::YesNoCancel),
            (QList<MsgResult>{MsgResult::Yes, MsgResult::No, MsgResult::Cancel}));
}

TEST(MessageBoxTest, RealBoxReturnsTheButtonPressed) {
  // Press "Нет" on the real box once it is up.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w))
        for (QAbstractButton* b : box->buttons())
          if (b->text() == "Нет") b->click();
  });
  EXPECT_EQ(MessageBoxService::Default().Show(
                {"Удалить файл ?", "Предупреждение", MsgButtons::YesNo, MsgIcon::Warning}),
            MsgResult::No);
}

TEST(DialogServicesTest, ScriptedDialogsRecordRequestsAndCancelWhenUnscripted) {
  ScriptedFileDialog files;
  files.Answer("/tmp/a.bbi");
  EXPECT_EQ(GetOpenFileName({"Добавить файл в список", "*.bbi|*.bbi|*.pdb|*.pdb", {}, {}}),
            "/tmp/a.bbi");
  EXPECT_EQ(GetSaveFileName({{}, "*.bbi|*.bbi", {}, {}}), "");
  ASSERT_EQ(files.Requests().size(), 2);
  EXPECT_EQ(files.Requests()[0].title, "Добавить файл в список");
  EXPECT_EQ(files.SaveRequests(), (QList<bool>{false, true}));

  ScriptedFolderDialog folders;
  FolderDialogRequest folder;
  folder.title = "Выберите директорию";
  folder.startDirectory = "/";
  EXPECT_EQ(GetExistingDirectory(folder), "");
  EXPECT_EQ(folders.Requests().front().startDirectory, "/");

  ScriptedColorDialog colors;
  colors.Answer(QColor(Qt::red));
  EXPECT_EQ(GetColor({Qt::blue, {}}), QColor(Qt::red));
  EXPECT_FALSE(GetColor({Qt::blue, {}}).has_value());

  RecordingShell shell;
  EXPECT_TRUE(ShellOpen("MailTo:someone@example.org?Subject=Jibwarden"));
  EXPECT_EQ(shell.Targets(), QStringList{"MailTo:someone@example.org?Subject=Jibwarden"});
}

TEST(DialogServicesTest, FiltersAndShellTargetsAreTranslated) {
  EXPECT_EQ(QtFileFilter("*.bbi|*.bbi|*.pdb|*.pdb"), "*.bbi (*.bbi);;*.pdb (*.pdb)");
  EXPECT_EQ(QtFileFilter("Data|*.bbi;*.pdb"), "Data (*.bbi *.pdb)");
  EXPECT_EQ(QtFileFilter(""), "");

  QTemporaryDir dir;
  const QString file = dir.filePath("Jibwarden.chm");
  QFile(file).open(QIODevice::WriteOnly);
  EXPECT_EQ(ShellTargetUrl(file), QUrl::fromLocalFile(file));
  EXPECT_EQ(ShellTargetUrl("http://www.example.org/").host(), "www.example.org");
  EXPECT_EQ(ShellTargetUrl("MailTo:a@example.org?Subject=Jibwarden").scheme().toLower(), "mailto");
}

TEST(ExceptionGuardTest, AnExceptionLeavingAHandlerIsShownAndTheProgramGoesOn) {
  ScriptedMessageBox boxes;
  EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("Порт не открыт"); }));
  EXPECT_FALSE(RunGuarded([] { throw 42; }));
  EXPECT_TRUE(RunGuarded([] {}));
  ASSERT_EQ(boxes.Boxes().size(), 2);
  EXPECT_EQ(boxes.Boxes()[0].text, "Порт не открыт");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Ошибка");
  EXPECT_EQ(boxes.Boxes()[0].icon, MsgIcon::Error);
  EXPECT_EQ(boxes.Boxes()[0].buttons, MsgButtons::Ok);
  EXPECT_FALSE(boxes.Boxes()[1].text.isEmpty());
}

TEST(ComPortTest, EnvironmentThenSettingsThenSerialDevices) {
  qunsetenv("JIBWARDEN_COM2");
  EXPECT_EQ(ComPortDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(ComPortDevicePath("COM4"), "/dev/ttyS3");
  EXPECT_EQ(ComPortDevicePath("/dev/pts/7"), "/dev/pts/7");
  EXPECT_EQ(ComPortDevicePath("COM5"), "COM5");

  SettingsStore(SettingsRoot::CurrentUser).WriteString("Ports", "COM2", "/dev/ttyUSB0");
  EXPECT_EQ(ComPortDevicePath("COM2"), "/dev/ttyUSB0");
  EXPECT_EQ(ComPortDevicePath("com2"), "/dev/ttyUSB0");
  qputenv("JIBWARDEN_COM2", "");
  EXPECT_EQ(ComPortDevicePath("COM2"), "/dev/ttyUSB0");
  qputenv("JIBWARDEN_COM2", "/dev/pts/3");
  EXPECT_EQ(ComPortDevicePath("COM2"), "/dev/pts/3");
  qunsetenv("JIBWARDEN_COM2");
}

TEST(ProgramDirectoryTest, FallsBackToTheDataDirectoryWhenNotWritable) {
  QTemporaryDir dir;
  EXPECT_EQ(WritableDirectoryFor(dir.path()), dir.path());
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  EXPECT_EQ(WritableDirectoryFor(dir.filePath("missing/deeper")), data);
  EXPECT_TRUE(QDir(data).exists());
  EXPECT_EQ(ProgramDirectory(), QCoreApplication::applicationDirPath());
}

}  // namespace
