// Start-up work and the archive list of the main window.
#include "main_window_fixture.h"

using namespace jwtest;

TEST_F(MainWindowTest, ListShowsOnlyFilesWithTheExactMagic) {
  WriteDataFile(data_, "b_good.bbi",
                {"Taltrex", "Кран", "12", "2", "10", "77", "01.02.04", "Оператор", "Заметка"});
  WriteDataFile(data_, "a_lower.bbi", {"taltrex", "Нет"});
  WriteDataFile(data_, "d_other.txt", Header("Нет"));
  WriteDataFile(data_, "e_good.bbi", Header("Второй", "e"));
  WriteBytes(QDir(data_).filePath("f_empty.bbi"), "");
  ASSERT_TRUE(QDir(data_).mkdir("g_dir.bbi"));
  Start({QDir(data_).filePath("d_other.txt")});
  ASSERT_EQ(FileNames(), (QStringList{"b_good.bbi", "e_good.bbi"}));
  // Row 0 is selected and the file commands follow the selection.
  EXPECT_EQ(SelectedName(), "b_good.bbi");
  EXPECT_TRUE(Action("SpeedItem_Table")->isEnabled());
  EXPECT_FALSE(Action("N_DecodeData")->isEnabled());
}

// The data directory at start: a data file named on the command line, else "DirData", else
// the program's directory; the one taken is written back to "DirData".
TEST_F(MainWindowTest, StartTakesTheDataDirectoryInOrder) {
  WriteDataFile(data_, "d.bbi", Header("Данные"));
  WriteDataFile(other_, "o.bbi", Header("Другой"));
  WriteDataFile(program_, "p.bbi", Header("Программный"));
  const struct {
    QString dirData, argument, taken, file;
  } cases[] = {
      {other_, QDir(data_).filePath("d.bbi"), data_, "d.bbi"},
      {other_, QDir(data_).filePath("missing.bbi"), other_, "o.bbi"},
      {other_, data_, other_, "o.bbi"},  // a directory is no data file
      {temp_.filePath("gone"), "", program_, "p.bbi"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument.toStdString());
    SetDirData(c.dirData);
    TForm_main& w = Start(c.argument.isEmpty() ? QStringList{} : QStringList{c.argument});
    EXPECT_EQ(w.DataDirectory, c.taken);
    EXPECT_EQ(DirData(), c.taken);
    EXPECT_EQ(FileNames(), QStringList{c.file});
  }
}

// Every start writes the six file-type keys of the classes root, in this order.
TEST_F(MainWindowTest, FileTypeKeysAreWrittenInOrder) {
  Start({});
  const QString program = QDir::toNativeSeparators(programFile_);
  const struct {
    const char* section;
    QString value;
  } keys[] = {
      {".bbi", "Taltrex.bbi"},
      {"Taltrex.bbi", "Taltrex of Velmora"},
      {"Taltrex.bbi\\DefaultIcon", program + ",0"},
      {"Taltrex.bbi\\Shell", "Taltrex Action"},
      {"Taltrex.bbi\\Shell\\Open", ""},
      {"Taltrex.bbi\\Shell\\Open\\command", program + " %1"},
  };
  SettingsStore classes(SettingsRoot::Classes);
  const QString ini = QString::fromUtf8(ReadBytes(classes.FilePath()));
  qsizetype last = -1;
  for (const auto& key : keys) {
    SCOPED_TRACE(key.section);
    EXPECT_EQ(classes.ReadString(key.section, "", "unset"), key.value);
    // The sections stand in the file in the order they were written.
    const qsizetype at = ini.indexOf(QStringLiteral("[%1]").arg(key.section));
    EXPECT_GT(at, last);
    last = at;
  }
}

TEST_F(MainWindowTest, UnwritableSettingsDoNotStopTheList) {
  WriteDataFile(data_, "d.bbi", Header("Данные"));
  // Directories in place of the settings files: they cannot be read, every save fails.
  QList<MessageBoxRequest> expected;
  for (SettingsRoot root : {SettingsRoot::Classes, SettingsRoot::Users}) {
    const QString path = SettingsStore::RootFilePath(root);
    ASSERT_TRUE(QDir().mkpath(path));
    expected.append(
        {"Не удаётся прочитать файл настроек " + path + ": Это каталог; он оставлен как есть",
         "Ошибка", MsgButtons::Ok, MsgIcon::Error});
  }
  ScriptedMessageBox boxes;
  Start({QDir(data_).filePath("d.bbi")});
  EXPECT_EQ(SelectedName(), "d.bbi");
  ExpectBoxes(boxes, expected);
}
