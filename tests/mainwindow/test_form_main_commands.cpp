// File commands, the exit question and the guard against a second command.
#include "acquisition/form_palm.h"
#include "acquisition/form_read.h"
#include "main_window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace jwtest;

namespace {

MessageBoxRequest Box(const QString& text, const QString& caption, MsgButtons buttons,
                      MsgIcon icon) {
  return {text, caption, buttons, icon};
}

const MessageBoxRequest kReplaceQuestion =
    Box("Файл уже существует.\nЗаменить ?", "Подтверждение", MsgButtons::YesNo, MsgIcon::Question);
const MessageBoxRequest kCannotCopy =
    Box("Не могу скопировать файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error);
const MessageBoxRequest kDeleteQuestion =
    Box("Удалить файл ?", "Предупреждение", MsgButtons::YesNo, MsgIcon::Warning);
const MessageBoxRequest kChooseFile =
    Box("Выберите файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error);

MessageBoxRequest DeleteAfterQuestion(const QString& source) {
  return Box("Удалить файл после добавления ?\n" + source, "Подтверждение", MsgButtons::YesNo,
             MsgIcon::Question);
}

}  // namespace

TEST_F(MainWindowTest, DeleteKeepsASensibleSelection) {
  for (const char* name : {"a.bbi", "b.bbi", "c.bbi"}) WriteDataFile(data_, name, Header(name));
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::No, MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
  w.SelectRow(2);
  w.SpeedItem_DelFileClick();  // No: nothing happens
  EXPECT_EQ(FileNames(), (QStringList{"a.bbi", "b.bbi", "c.bbi"}));
  w.SpeedItem_DelFileClick();  // the last row: the new last row is selected
  EXPECT_EQ(FileNames(), (QStringList{"a.bbi", "b.bbi"}));
  EXPECT_EQ(SelectedName(), "b.bbi");
  w.SelectRow(0);
  w.SpeedItem_DelFileClick();  // the first row: the row that took its place
  EXPECT_EQ(SelectedName(), "b.bbi");
  w.SpeedItem_DelFileClick();  // the only row: an empty list, data commands off
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  EXPECT_FALSE(QFile::exists(QDir(data_).filePath("c.bbi")));
  EXPECT_EQ(w.FileSelected, 0);
  EXPECT_FALSE(Action("SpeedItem_DelFile")->isEnabled());
  EXPECT_FALSE(Action("SpeedItem_Table")->isEnabled());
  ExpectBoxes(boxes, {kDeleteQuestion, kDeleteQuestion, kDeleteQuestion, kDeleteQuestion});
  w.SpeedItem_DelFileClick();  // nothing selected
  EXPECT_EQ(boxes.Boxes().size(), 5);
  EXPECT_EQ(boxes.Boxes().last().text, kChooseFile.text);
  EXPECT_EQ(boxes.Boxes().last().icon, MsgIcon::Error);
}

TEST_F(MainWindowTest, DeleteOfAFileGoneMeanwhileReportsIt) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  TForm_main& w = StartOnData();
  ASSERT_TRUE(QFile::remove(QDir(data_).filePath("a.bbi")));
  ScriptedMessageBox boxes{MsgResult::Yes};
  w.SpeedItem_DelFileClick();
  ExpectBoxes(boxes, {kDeleteQuestion,
                      Box("Не могу удалить файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error)});
}

TEST_F(MainWindowTest, SaveAsAppendsExtensionAndAsksBeforeReplacing) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  const QByteArray original = ReadBytes(QDir(data_).filePath("a.bbi"));
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::No, MsgResult::Yes};
  ScriptedFileDialog files;
  const QString target = QDir(other_).filePath("copy");
  const QString saved = target + ".bbi";
  files.Answer(target);  // no extension: ".bbi" is appended
  w.SpeedItem_SaveAsClick();
  EXPECT_EQ(ReadBytes(saved), original);
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  ASSERT_EQ(files.Requests().size(), 1);
  EXPECT_TRUE(files.SaveRequests().first());
  EXPECT_EQ(files.Requests().first().filter, "*.bbi|*.bbi");
  EXPECT_EQ(files.Requests().first().fileName, "");
  // Only the program's own question is asked before a file is replaced.
  EXPECT_FALSE(files.Requests().first().confirmOverwrite);
  EXPECT_EQ(w.CurrentFilePath, QDir(data_).filePath("a.bbi"));
  // The copy is made from the list: its view switch stays down.
  EXPECT_TRUE(Action("SpeedItem_Spisok")->isChecked());
  EXPECT_FALSE(Action("SpeedItem_Table")->isChecked());
  EXPECT_EQ(w.PageControl1->currentIndex(), 0);

  const MessageBoxRequest replace =
      Box("Заменить файл ?", "Подтверждение", MsgButtons::YesNo, MsgIcon::Question);
  WriteBytes(saved, "older");
  // The rebuilt list has no selection.
  EXPECT_EQ(SelectedName(), "");
  w.SelectRow(0);
  files.Answer(target);
  w.SpeedItem_SaveAsClick();  // No: nothing copied
  EXPECT_EQ(ReadBytes(saved), "older");
  w.SelectRow(0);
  files.Answer(saved);
  w.SpeedItem_SaveAsClick();  // Yes: replaced
  EXPECT_EQ(ReadBytes(saved), original);
  ExpectBoxes(boxes, {replace, replace});

  w.SelectRow(0);
  files.Answer("");  // cancelled
  w.SpeedItem_SaveAsClick();
  EXPECT_EQ(boxes.Boxes().size(), 2);
  EXPECT_TRUE(Action("SpeedItem_Spisok")->isChecked());
}

TEST_F(MainWindowTest, SaveAsOntoItselfIsRefusedAndKeepsTheFile) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  const QString file = QDir(data_).filePath("a.bbi");
  const QByteArray original = ReadBytes(file);
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::Yes};
  ScriptedFileDialog files;
  files.Answer(QDir(other_).filePath("../data/a.bbi"));
  w.SpeedItem_SaveAsClick();
  EXPECT_EQ(ReadBytes(file), original);
  ExpectBoxes(boxes, {Box("Заменить файл ?", "Подтверждение", MsgButtons::YesNo, MsgIcon::Question),
                      Box("Не могу сохранить файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error)});
  EXPECT_EQ(FileNames(), QStringList{"a.bbi"});
}

TEST_F(MainWindowTest, SaveAsWithoutSelectionReturnsToTheList) {
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes;
  ScriptedFileDialog files;
  w.SpeedItem_SaveAsClick();
  ExpectBoxes(boxes, {kChooseFile});
  EXPECT_TRUE(files.Requests().isEmpty());
  EXPECT_TRUE(Action("SpeedItem_Spisok")->isChecked());
  EXPECT_EQ(w.PageControl1->currentIndex(), 0);
}

TEST_F(MainWindowTest, AddAsksBothQuestionsAndHonoursEachAnswer) {
  WriteDataFile(data_, "here.bbi", Header("Здесь"));
  const QString source = QDir(other_).filePath("new.bbi");
  const QString target = QDir(data_).filePath("new.bbi");
  WriteDataFile(other_, "new.bbi", Header("Новый"));
  const QByteArray content = ReadBytes(source);
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes;
  ScriptedFileDialog files;

  // New name, keep the source.
  files.Answer(source);
  boxes.Answer(MsgResult::No);
  w.SpeedItem_AddFileClick();
  EXPECT_EQ(ReadBytes(target), content);
  EXPECT_TRUE(QFile::exists(source));
  EXPECT_EQ(FileNames(), (QStringList{"here.bbi", "new.bbi"}));
  ASSERT_EQ(files.Requests().size(), 1);
  EXPECT_EQ(files.Requests()[0].title, "Добавить файл в список");
  EXPECT_EQ(files.Requests()[0].filter, "*.bbi|*.bbi|*.pdb|*.pdb");
  EXPECT_EQ(w.AddSourcePath, source);
  EXPECT_EQ(w.AddTargetPath, target);

  // Existing name, do not replace: nothing is copied or deleted.
  WriteBytes(target, "older");
  files.Answer(source);
  boxes.Answer(MsgResult::No);
  w.SpeedItem_AddFileClick();
  EXPECT_EQ(ReadBytes(target), "older");
  EXPECT_TRUE(QFile::exists(source));

  // Replace and delete the source.
  files.Answer(source);
  boxes.Answer(MsgResult::Yes);
  boxes.Answer(MsgResult::Yes);
  w.SpeedItem_AddFileClick();
  EXPECT_EQ(ReadBytes(target), content);
  EXPECT_FALSE(QFile::exists(source));
  ExpectBoxes(boxes, {DeleteAfterQuestion(source), kReplaceQuestion, kReplaceQuestion,
                      DeleteAfterQuestion(source)});
  EXPECT_EQ(boxes.Unanswered(), 0);
}

TEST_F(MainWindowTest, AddOfAFileOntoItselfIsRefusedAndKeepsTheOnlyCopy) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  const QString file = QDir(data_).filePath("a.bbi");
  const QByteArray content = ReadBytes(file);
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::Yes, MsgResult::Yes};
  ScriptedFileDialog files;
  files.Answer(QDir(other_).filePath("../data/./a.bbi"));
  w.SpeedItem_AddFileClick();
  EXPECT_EQ(ReadBytes(file), content);
  ExpectBoxes(boxes, {kReplaceQuestion,
                      DeleteAfterQuestion(QDir(other_).filePath("../data/./a.bbi")), kCannotCopy});
  EXPECT_EQ(FileNames(), QStringList{"a.bbi"});
}

TEST_F(MainWindowTest, AddOfAHandheldFileOpensTheConversionWindow) {
  TForm_main& w = StartOnData();
  TForm_Read read;
  TForm_Palm palm;
  read.CB_Operator->setItemText(0, "Иванов");
  read.CB_Operator->setItemText(1, "Петров");
  read.CB_Coment->setItemText(0, "Плановая");
  w.SetWindows({&read, &palm, nullptr, nullptr});
  ScriptedFileDialog files;
  ScriptedMessageBox boxes;
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
  EXPECT_FALSE(read.isVisible());
  EXPECT_EQ(palm.CB_Operator->itemText(1), "Петров");
  EXPECT_EQ(palm.CB_Operator->currentText(), "Иванов");
  EXPECT_EQ(palm.CB_Coment->currentText(), "Плановая");
  EXPECT_EQ(palm.CB_NomUstr->currentIndex(), 0);
  EXPECT_TRUE(palm.DefaultToday);
  EXPECT_EQ(w.AddSourcePath, pdb);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_TRUE(QDir(data_).entryList(QDir::Files).isEmpty());
}

TEST_F(MainWindowTest, SelectDirectoryWritesDirDataAndRebuildsTheList) {
  WriteDataFile(other_, "o.bbi", Header("Другой"));
  TForm_main& w = StartOnData();
  ScriptedFolderDialog folders;
  folders.Answer(other_);
  w.SpeedItem_SelectDirClick();
  ASSERT_EQ(folders.Requests().size(), 1);
  EXPECT_EQ(folders.Requests()[0].title, "Выберите директорию");
  EXPECT_EQ(folders.Requests()[0].startDirectory, "");
  EXPECT_EQ(w.DataDirectory, other_);
  EXPECT_EQ(DirData(), other_);
  EXPECT_EQ(FileNames(), QStringList{"o.bbi"});
  folders.Answer("");  // cancelled: the directory stays
  w.SpeedItem_SelectDirClick();
  EXPECT_EQ(w.DataDirectory, other_);
}

TEST_F(MainWindowTest, ReadCommandClearsAndShowsTheReadoutWindowModally) {
  TForm_main& w = StartOnData();
  TForm_Read read;
  read.ST_Baud->setText("9600");
  read.ST_Ost->setText("Считано : 5");
  read.ProgressBar1->setMaximum(100);
  w.SetWindows({&read, nullptr, nullptr, nullptr});
  w.SetStatusPanel0("hint");
  bool wasModal = false;
  QTimer::singleShot(0, &read, [&] {
    wasModal = read.isModal() && read.isVisible();
    read.reject();
  });
  w.SpeedBtn_ReadClick();
  EXPECT_TRUE(wasModal);
  EXPECT_EQ(read.ST_Baud->text(), "");
  EXPECT_EQ(read.ST_Ost->text(), "");
  EXPECT_EQ(read.ProgressBar1->maximum(), 8000);
  EXPECT_EQ(w.StatusPanel0(), "");
}

TEST_F(MainWindowTest, EnterAndDoubleClickOpenTheSelectedFile) {
  WriteDataFile(data_, "a.bbi", FileLines(FileSpec{}));
  WriteDataFile(data_, "b.bbi", FileLines(FileSpec{}));
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes;
  w.SelectRow(1);
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(w.CurrentFilePath, QDir(data_).filePath("b.bbi"));
  EXPECT_TRUE(Action("SpeedItem_Table")->isChecked());
  EXPECT_EQ(w.PageControl1->currentIndex(), 1);

  w.SpeedItem_SpisokClick();
  EXPECT_EQ(w.PageControl1->currentIndex(), 0);
  EXPECT_TRUE(Action("SpeedItem_Spisok")->isChecked());
  QTreeWidgetItem* first = List()->topLevelItem(0);
  const QPoint at = List()->visualItemRect(first).center();
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(w.CurrentFilePath, QDir(data_).filePath("a.bbi"));
  EXPECT_EQ(w.PageControl1->currentIndex(), 1);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

TEST_F(MainWindowTest, ExitQuestionCancelledKeepsTheProgramRunning) {
  TForm_main& w = StartOnData();
  ScriptedMessageBox boxes{MsgResult::Cancel, MsgResult::Cancel, MsgResult::Ok};
  int closed = 0;
  QObject::connect(&w, &TForm_main::Closed, [&] { ++closed; });
  EXPECT_FALSE(w.close());  // the title-bar button
  EXPECT_TRUE(w.isVisible());
  w.SpeedBtn_ExitClick();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(closed, 0);
  Action("N_Exit")->trigger();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(closed, 1);
  const MessageBoxRequest exit =
      Box("Выйти из программы ?", "Подтверждение", MsgButtons::OkCancel, MsgIcon::Question);
  ExpectBoxes(boxes, {exit, exit, exit});
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
  EXPECT_TRUE(QFile::exists(QDir(data_).filePath("a.bbi")));
  EXPECT_EQ(w.PageControl1->currentIndex(), 0);
  EXPECT_FALSE(w.MainWindowDisabled());
  // Afterwards the commands run again.
  w.SpeedItem_DelFileClick();
  EXPECT_FALSE(QFile::exists(QDir(data_).filePath("a.bbi")));
}

TEST_F(MainWindowTest, AddThatCannotDeleteItsSourceSaysSo) {
  TForm_main& w = StartOnData();
  // A file that is copied but that nobody, root included, can delete.
  const QString source = QStringLiteral("/proc/self/status");
  ScriptedMessageBox boxes{MsgResult::Yes};
  ScriptedFileDialog files;
  files.Answer(source);
  w.SpeedItem_AddFileClick();
  EXPECT_TRUE(QFile::exists(QDir(data_).filePath("status")));
  ExpectBoxes(boxes, {DeleteAfterQuestion(source),
                      Box("Не могу удалить файл файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error)});
}
