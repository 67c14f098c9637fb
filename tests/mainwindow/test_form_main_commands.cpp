// File commands, the exit question and the guard against a second command.
#include "acquisition/form_palm.h"
#include "acquisition/form_read.h"
#include "main_window_fixture.h"

#include <QComboBox>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

using namespace jwtest;

namespace {

MessageBoxRequest Question(const QString& text) {
  return {text, "Подтверждение", MsgButtons::YesNo, MsgIcon::Question};
}
MessageBoxRequest Error(const QString& text) {
  return {text, "Ошибка", MsgButtons::Ok, MsgIcon::Error};
}

const MessageBoxRequest kDeleteQuestion{"Удалить файл ?", "Предупреждение", MsgButtons::YesNo,
                                        MsgIcon::Warning};

}  // namespace

TEST_F(MainWindowTest, DeleteKeepsASensibleSelectionAndReportsAFileGone) {
  for (const char* name : {"a.bbi", "b.bbi", "c.bbi", "d.bbi"})
    WriteDataFile(data_, name, Header(name));
  TForm_main& w = StartOnData();
  ASSERT_TRUE(QFile::remove(QDir(data_).filePath("d.bbi")));
  ScriptedMessageBox boxes{MsgResult::No,  MsgResult::Yes, MsgResult::Ok,
                           MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
  w.SelectRow(3);
  w.SpeedItem_DelFileClick();  // No: nothing happens
  EXPECT_EQ(FileNames(), (QStringList{"a.bbi", "b.bbi", "c.bbi", "d.bbi"}));
  w.SpeedItem_DelFileClick();  // gone meanwhile
  w.RefreshFileList();
  w.SelectRow(2);
  w.SpeedItem_DelFileClick();  // the last row: the new last row is selected
  EXPECT_EQ(SelectedName(), "b.bbi");
  w.SpeedItem_DelFileClick();
  w.SpeedItem_DelFileClick();  // the only row: an empty list, data commands off
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  EXPECT_FALSE(QFile::exists(QDir(data_).filePath("a.bbi")));
  EXPECT_EQ(w.FileSelected, 0);
  EXPECT_FALSE(Action("SpeedItem_Table")->isEnabled());
  w.SpeedItem_DelFileClick();  // nothing selected
  ExpectBoxes(boxes, {kDeleteQuestion, kDeleteQuestion, Error("Не могу удалить файл"),
                      kDeleteQuestion, kDeleteQuestion, kDeleteQuestion, Error("Выберите файл")});
}

// Save as appends the extension, asks only its own question before replacing, refuses a copy
// onto the file itself and keeps the list's view switch down.
TEST_F(MainWindowTest, SaveAsAppendsExtensionAndAsksBeforeReplacing) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  const QByteArray original = ReadBytes(QDir(data_).filePath("a.bbi"));
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::Ok, MsgResult::No, MsgResult::Yes, MsgResult::Yes};
  ScriptedFileDialog files;
  const QString target = QDir(other_).filePath("copy");
  const QString saved = target + ".bbi";
  files.Answer(target);
  w.SpeedItem_SaveAsClick();
  EXPECT_EQ(ReadBytes(saved), original);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  ASSERT_EQ(files.Requests().size(), 1);
  EXPECT_FALSE(files.Requests().first().confirmOverwrite);
  EXPECT_TRUE(Action("SpeedItem_Spisok")->isChecked());
  // The rebuilt list has no selection.
  w.SpeedItem_SaveAsClick();
  EXPECT_EQ(files.Requests().size(), 1);

  WriteBytes(saved, "older");
  for (const QString& answer : {target, saved, QDir(other_).filePath("../data/a.bbi"), QString()}) {
    w.SelectRow(0);
    files.Answer(answer);
    w.SpeedItem_SaveAsClick();
    EXPECT_EQ(ReadBytes(saved), answer == target ? "older" : original);
  }
  EXPECT_EQ(ReadBytes(QDir(data_).filePath("a.bbi")), original);
  ExpectBoxes(boxes,
              {Error("Выберите файл"), Question("Заменить файл ?"), Question("Заменить файл ?"),
               Question("Заменить файл ?"), Error("Не могу сохранить файл")});
}

// Add asks both questions and honours each answer; a copy onto itself is refused and a source
// that cannot be deleted is reported.
TEST_F(MainWindowTest, AddAsksBothQuestionsAndHonoursEachAnswer) {
  WriteDataFile(data_, "here.bbi", Header("Здесь"));
  const QString source = WriteDataFile(other_, "new.bbi", Header("Новый"));
  const QString target = QDir(data_).filePath("new.bbi");
  const QByteArray content = ReadBytes(source);
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::No,  MsgResult::No,  MsgResult::Yes, MsgResult::Yes,
                           MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
  ScriptedFileDialog files;
  files.Answer(source);
  w.SpeedItem_AddFileClick();  // a new name, the source kept
  EXPECT_EQ(ReadBytes(target), content);
  EXPECT_EQ(FileNames(), (QStringList{"here.bbi", "new.bbi"}));
  EXPECT_EQ(files.Requests()[0].filter, "*.bbi|*.bbi|*.pdb|*.pdb");
  WriteBytes(target, "older");
  files.Answer(source);
  w.SpeedItem_AddFileClick();  // not replaced: nothing copied or deleted
  EXPECT_EQ(ReadBytes(target), "older");
  files.Answer(source);
  w.SpeedItem_AddFileClick();  // replaced, the source deleted
  EXPECT_EQ(ReadBytes(target), content);
  EXPECT_FALSE(QFile::exists(source));

  const QString itself = QDir(other_).filePath("../data/./new.bbi");
  files.Answer(itself);
  w.SpeedItem_AddFileClick();
  EXPECT_EQ(ReadBytes(target), content);
  // A file that is copied but that nobody, root included, can delete.
  const QString undeletable = QStringLiteral("/proc/self/status");
  files.Answer(undeletable);
  w.SpeedItem_AddFileClick();
  EXPECT_TRUE(QFile::exists(QDir(data_).filePath("status")));
  const QString replace = "Файл уже существует.\nЗаменить ?";
  const QString deleteAfter = "Удалить файл после добавления ?\n";
  ExpectBoxes(boxes, {Question(deleteAfter + source), Question(replace), Question(replace),
                      Question(deleteAfter + source), Question(replace),
                      Question(deleteAfter + itself), Error("Не могу скопировать файл"),
                      Question(deleteAfter + undeletable), Error("Не могу удалить файл файл")});
}

TEST_F(MainWindowTest, AddOfAHandheldFileOpensTheConversionWindow) {
  TForm_main& w = StartOnData();
  TForm_Read read;
  TForm_Palm palm;
  read.CB_Operator->setItemText(1, "Петров");
  w.SetWindows({&read, &palm, nullptr, nullptr});
  ScriptedFileDialog files;
  const QString pdb = QDir(other_).filePath("hand.PDB");
  WriteBytes(pdb, "palm");
  files.Answer(pdb);
  bool wasModal = false;
  QTimer::singleShot(0, &palm, [&] {
    wasModal = palm.isModal() && palm.isVisible();
    palm.reject();
  });
  w.SpeedItem_AddFileClick();
  EXPECT_TRUE(wasModal);
  EXPECT_EQ(palm.CB_Operator->itemText(1), "Петров");
  EXPECT_TRUE(palm.DefaultToday);
  EXPECT_TRUE(QDir(data_).entryList(QDir::Files).isEmpty());
}

// The readout window comes centred on the main window and the conversion window at the centre
// of the desktop, frames included, at each of three showings by the main window's commands,
// also where the user moved the window away during a showing and the main window moved since.
TEST_F(MainWindowTest, ReadoutAndConversionWindowsComeCentredAtEveryShowing) {
  TForm_main& w = StartOnData();
  w.move(40, 30);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QCoreApplication::processEvents();  // framed
  TForm_Read read;
  TForm_Palm palm;
  w.SetWindows({&read, &palm, nullptr, nullptr});
  ScriptedFileDialog files;
  const QString pdb = QDir(other_).filePath("hand.pdb");
  WriteBytes(pdb, "palm");
  auto centred = [](const QRect& area, const QSize& size) {
    return QRect(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
  };
  // Where each showing put the window's frame, and where it belongs.
  auto shownAt = [&](QDialog& dialog, const std::function<void()>& open, const QRect& area) {
    QRect frame, expected;
    QTimer::singleShot(0, &dialog, [&] {
      frame = dialog.frameGeometry();
      expected = centred(area, frame.size());
      // The user moves it away before closing it.
      dialog.move(dialog.pos() + QPoint(53, 41));
      dialog.reject();
    });
    open();
    EXPECT_GT(frame.width(), dialog.width()) << "no frame reported";
    return std::pair(frame, expected);
  };
  const QRect desktop = w.screen()->availableGeometry();
  for (int showing = 1; showing <= 3; ++showing) {
    SCOPED_TRACE(showing);
    w.move(40 + 60 * showing, 30 + 25 * showing);
    QCoreApplication::processEvents();
    const auto [readFrame, readCentred] = shownAt(
        read, [&] { w.SpeedBtn_ReadClick(); }, w.frameGeometry());
    EXPECT_EQ(readFrame, readCentred);
    files.Answer(pdb);
    const auto [palmFrame, palmCentred] = shownAt(
        palm, [&] { w.SpeedItem_AddFileClick(); }, desktop);
    EXPECT_EQ(palmFrame, palmCentred);
  }
}

TEST_F(MainWindowTest, SelectDirectoryWritesDirDataAndRebuildsTheList) {
  WriteDataFile(other_, "o.bbi", Header("Другой"));
  TForm_main& w = StartOnData();
  ScriptedFolderDialog folders;
  folders.Answer(other_);
  w.SpeedItem_SelectDirClick();
  EXPECT_EQ(DirData(), other_);
  EXPECT_EQ(FileNames(), QStringList{"o.bbi"});
  folders.Answer("");  // cancelled: the directory stays
  w.SpeedItem_SelectDirClick();
  EXPECT_EQ(w.DataDirectory, other_);
}

TEST_F(MainWindowTest, EnterAndDoubleClickOpenTheSelectedFile) {
  WriteDataFile(data_, "a.bbi", FileLines(FileSpec{}));
  WriteDataFile(data_, "b.bbi", FileLines(FileSpec{}));
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes;
  w.SelectRow(1);
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(w.CurrentFilePath, QDir(data_).filePath("b.bbi"));
  EXPECT_EQ(w.PageControl1->currentIndex(), 1);
  w.SpeedItem_SpisokClick();
  const QPoint at = List()->visualItemRect(List()->topLevelItem(0)).center();
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(w.CurrentFilePath, QDir(data_).filePath("a.bbi"));
  EXPECT_EQ(w.PageControl1->currentIndex(), 1);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

// Help hands the help file to the desktop's opener only where the file lies beside the
// program; otherwise nothing is started and nothing is said.
TEST_F(MainWindowTest, HelpOpensOnlyAHelpFileBesideTheProgram) {
  StartOnData();
  ScriptedMessageBox boxes;
  RecordingShell shell;
  const QString helpFile = QDir(program_).filePath("Jibwarden.chm");
  auto opened = [&] {
    Action("N_Help")->trigger();
    return shell.Targets().join('|').toStdString();
  };
  EXPECT_EQ(opened(), "");
  ASSERT_TRUE(QDir().mkdir(helpFile));  // a folder of that name is no help file
  EXPECT_EQ(opened(), "");
  ASSERT_TRUE(QDir().rmdir(helpFile));
  ASSERT_TRUE(WriteBytes(helpFile, "help"));
  EXPECT_EQ(opened(), helpFile.toStdString());
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

// The title-bar button, the exit command and the menu item all ask first.
TEST_F(MainWindowTest, ExitQuestionCancelledKeepsTheProgramRunning) {
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::Cancel, MsgResult::Cancel, MsgResult::Ok};
  int closed = 0;
  QObject::connect(&w, &TForm_main::Closed, [&] { ++closed; });
  EXPECT_FALSE(w.close());
  w.SpeedBtn_ExitClick();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(closed, 0);
  Action("N_Exit")->trigger();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(closed, 1);
  const MessageBoxRequest exit{"Выйти из программы ?", "Подтверждение", MsgButtons::OkCancel,
                               MsgIcon::Question};
  ExpectBoxes(boxes, {exit, exit, exit});
}

TEST_F(MainWindowTest, WindowIsNoSmallerThan500By400AndHasNoMaximum) {
  TForm_main& w = StartOnData();
  QCoreApplication::processEvents();  // the window system puts its frame around the window
  w.resize(300, 200);
  EXPECT_EQ(w.frameGeometry().size(), QSize(500, 400));
  w.resize(3000, 2000);
  EXPECT_EQ(w.size(), QSize(3000, 2000));
}

// Maximised and full screen as the platform reports them, the frame changing with the state,
// then restored: each state keeps the size the platform gives it, and restoring brings back
// the normal size, frame and minimum.
TEST_F(MainWindowTest, MaximisedAndFullScreenComeBackToTheNormalSize) {
  TForm_main& w = StartOnData();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  auto settle = [] {
    // The state's geometry and frame arrive as events; the window answers them a turn later.
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  };
  settle();
  w.resize(640, 480);
  settle();
  const QRect normal = w.geometry();
  const QRect normalFrame = w.frameGeometry();
  const QRect screen = w.screen()->geometry();
  const QRect available = w.screen()->availableGeometry();
  const struct {
    Qt::WindowState state;
    QRect frame;
  } states[] = {
      {Qt::WindowMaximized, available},
      {Qt::WindowFullScreen, screen},  // here without a frame
      {Qt::WindowMaximized, available},
  };
  for (const auto& row : states) {
    SCOPED_TRACE(int(row.state));
    w.setWindowState(row.state);
    settle();
    EXPECT_EQ(w.windowState(), row.state);
    EXPECT_EQ(w.frameGeometry(), row.frame);
    w.setWindowState(Qt::WindowNoState);
    settle();
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    EXPECT_EQ(w.geometry(), normal);
    EXPECT_EQ(w.frameGeometry(), normalFrame);
    w.resize(300, 200);
    settle();
    EXPECT_EQ(w.frameGeometry().size(), QSize(500, 400));
    w.setGeometry(normal);
    settle();
  }
}

TEST_F(MainWindowTest, NoSecondCommandOrCloseWhileACommandRuns) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  TForm_main& w = StartOnData();
  QDialog about;
  w.SetWindows({nullptr, nullptr, &about, nullptr});
  ScriptedMessageBox boxes{MsgResult::Yes, MsgResult::Ok};
  ScriptedFileDialog files;
  bool refusedClose = false;
  QTimer::singleShot(0, &about, [&] {
    EXPECT_TRUE(w.MainWindowDisabled());
    w.SpeedItem_DelFileClick();
    w.SpeedItem_AddFileClick();
    w.SpeedBtn_AboutClick();
    Action("SpeedItem_SaveAs")->trigger();
    QTest::keyClick(List(), Qt::Key_Return);
    refusedClose = !w.close();
    about.accept();
  });
  w.SpeedBtn_AboutClick();
  EXPECT_TRUE(refusedClose);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_TRUE(files.Requests().isEmpty());
  EXPECT_EQ(w.PageControl1->currentIndex(), 0);
  EXPECT_FALSE(w.MainWindowDisabled());
  // Afterwards the commands run again.
  w.SpeedItem_DelFileClick();
  EXPECT_FALSE(QFile::exists(QDir(data_).filePath("a.bbi")));
}
