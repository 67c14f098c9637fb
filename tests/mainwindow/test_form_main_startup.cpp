// Start-up work and the archive list of the main window.
#include "controls/speed_bar.h"
#include "main_window_fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

using namespace jwtest;

TEST_F(MainWindowTest, WindowCarriesItsPagesColumnsAndCommands) {
  TForm_main& w = Start({});
  EXPECT_EQ(w.windowTitle(), "Jibwarden - Работа с регистратором параметров v 2.0.6 (25.12.2004)");
  // Sizes of the outer window, frame included, once the window system has framed it.
  QCoreApplication::processEvents();
  const QSize frame = w.frameGeometry().size() - w.size();
  ASSERT_FALSE(frame.isEmpty());  // the offscreen platform frames its windows too
  EXPECT_EQ(w.minimumSize() + frame, QSize(500, 400));
  EXPECT_EQ(w.frameGeometry().size(), QSize(696, 534));
  auto* pages = w.findChild<QTabWidget*>("PageControl1");
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->tabPosition(), QTabWidget::South);
  const char* sheets[] = {"TabSheet_Spisok", "TabSheet_Table", "TabSheet_TableTP", "TabSheet_Param",
                          "TabSheet_Graf"};
  const QStringList captions = {"Список файлов", "Оперативная инф.(таблица)", "Таблица перегрузок",
                                "Долговременная инф.", "Оперативная инф.(графики)"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(pages->widget(i)->objectName(), sheets[i]);
    EXPECT_EQ(pages->tabText(i), captions[i]);
  }
  EXPECT_EQ(pages->currentIndex(), 0);
  QTreeWidget* list = List();
  const QStringList titles = {"Тип крана", "Номер крана", "Тип прибора", "Номер прибора",
                              "Дата",      "Оператор",    "Коментарии",  "Имя файла"};
  const int widths[] = {80, 80, 80, 100, 50, 80, 80, 100};
  ASSERT_EQ(list->columnCount(), 8);
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(list->headerItem()->text(c), titles[c]);
    EXPECT_EQ(list->columnWidth(c), widths[c]);
  }
  EXPECT_FALSE(w.findChild<QWidget*>("Panel_Read")->isVisible());
  // The tool bars take the panel's edges: file commands left, the search bar after them when
  // shown, about to exit at the right edge.
  auto* left = w.findChild<TSpeedBar*>("SpeedBar1");
  auto* bar3 = w.findChild<TSpeedBar*>("SpeedBar3");
  auto* find = w.findChild<TSpeedBar*>("SpeedBar_Find");
  EXPECT_EQ(left->Align(), Sb::alLeft);
  EXPECT_EQ(left->x(), 0);
  EXPECT_EQ(bar3->Align(), Sb::alRight);
  EXPECT_EQ(bar3->geometry().right(), w.Panel1->width() - 1);
  find->show();
  EXPECT_EQ(find->x(), left->width());
  find->hide();
}

TEST_F(MainWindowTest, ListShowsOnlyFilesWithTheExactMagic) {
  WriteDataFile(data_, "b_good.bbi",
                {"Taltrex", "Кран", "12", "2", "10", "77", "01.02.04", "Оператор", "Заметка"});
  WriteDataFile(data_, "a_lower.bbi", {"taltrex", "Нет"});
  WriteDataFile(data_, "c_blank.bbi", {"Taltrex ", "Нет"});
  WriteDataFile(data_, "d_other.txt", Header("Нет"));
  WriteDataFile(data_, "e_good.bbi", Header("Второй", "e"));
  WriteBytes(QDir(data_).filePath("f_empty.bbi"), "");
  ASSERT_TRUE(QDir(data_).mkdir("g_dir.bbi"));
  TForm_main& w = Start({QDir(data_).filePath("d_other.txt")});
  EXPECT_EQ(w.DataDirectory, data_);
  EXPECT_EQ(w.findChild<QLabel*>("ST_InfoDir")->text(), data_);
  ASSERT_EQ(FileNames(), (QStringList{"b_good.bbi", "e_good.bbi"}));
  QTreeWidgetItem* row = List()->topLevelItem(0);
  QStringList texts;
  for (int c = 0; c < 8; ++c) texts << row->text(c);
  // Line 5 (the variant) is not shown.
  EXPECT_EQ(texts, (QStringList{"Кран", "12", "2", "77", "01.02.04", "Оператор", "Заметка",
                                "b_good.bbi"}));
  // Row 0 is selected and the file commands follow the selection.
  EXPECT_EQ(SelectedName(), "b_good.bbi");
  EXPECT_EQ(w.FileSelected, 1);
  EXPECT_TRUE(Action("SpeedItem_DelFile")->isEnabled());
  EXPECT_TRUE(Action("SpeedItem_Table")->isEnabled());
  EXPECT_FALSE(Action("SpeedItem_Print")->isEnabled());
  EXPECT_FALSE(Action("N_DecodeData")->isEnabled());
}

TEST_F(MainWindowTest, ColumnClickSortsAscendingByBytes) {
  const QStringList types = {"кран", "Кран", "crane", "Crane", "25т", "ёж"};
  for (int i = 0; i < types.size(); ++i) {
    WriteDataFile(data_, QString("f%1.bbi").arg(i), Header(types[i], QString::number(9 - i)));
  }
  StartOnData();
  EXPECT_EQ(Column(0), types);  // name order until a column is clicked
  QHeaderView* header = List()->header();
  auto clickColumn = [&](int c) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(c) + 5, header->height() / 2));
  };
  // "ё" stands below the other Cyrillic letters in Windows-1251, above them in Unicode.
  const QStringList sorted = {"25т", "Crane", "crane", "ёж", "Кран", "кран"};
  clickColumn(0);
  EXPECT_EQ(Column(0), sorted);
  EXPECT_EQ(window_->SortColumn, 0);
  clickColumn(0);  // again: still ascending
  EXPECT_EQ(Column(0), sorted);
  clickColumn(1);  // crane numbers "num-9" .. "num-4"
  EXPECT_EQ(Column(1), (QStringList{"num-4", "num-5", "num-6", "num-7", "num-8", "num-9"}));
  EXPECT_EQ(window_->SortColumn, 1);
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

TEST_F(MainWindowTest, FileTypeKeysAreWrittenInOrder) {
  Start({});
  SettingsStore classes(SettingsRoot::Classes);
  EXPECT_EQ(classes.SubKeys(""), (QStringList{".bbi", "Taltrex.bbi"}));
  EXPECT_EQ(classes.SubKeys("Taltrex.bbi"), (QStringList{"DefaultIcon", "Shell"}));
  EXPECT_EQ(classes.ReadString(".bbi", ""), "Taltrex.bbi");
  EXPECT_EQ(classes.ReadString("Taltrex.bbi", ""), "Taltrex of Velmora");
  EXPECT_EQ(classes.ReadString("Taltrex.bbi\\DefaultIcon", ""), programFile_ + ",0");
  EXPECT_EQ(classes.ReadString("Taltrex.bbi\\Shell", ""), "Taltrex Action");
  EXPECT_TRUE(classes.ValueExists("Taltrex.bbi\\Shell\\Open", ""));
  EXPECT_EQ(classes.ReadString("Taltrex.bbi\\Shell\\Open", "", "x"), "");
  EXPECT_EQ(classes.ReadString("Taltrex.bbi\\Shell\\Open\\command", ""), programFile_ + " %1");
  // The sections stand in the file in the order they were written.
  const QByteArray ini = ReadBytes(classes.FilePath());
  qsizetype last = -1;
  for (const char* section :
       {".bbi]", "Taltrex.bbi]", "DefaultIcon]", "Shell]", "Open]", "command]"}) {
    const qsizetype at = ini.indexOf(section);
    EXPECT_GT(at, last) << section;
    last = at;
  }
  // The desktop learns the type too.
  const QString share = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  EXPECT_TRUE(ReadBytes(share + "/mime/packages/jibwarden-bbi.xml").contains("*.bbi"));
  const QByteArray entry = ReadBytes(share + "/applications/jibwarden.desktop");
  EXPECT_TRUE(entry.contains("Exec=\"" + programFile_.toUtf8() + "\" %f")) << entry.toStdString();
}

TEST_F(MainWindowTest, UnwritableSettingsDoNotStopTheList) {
  WriteDataFile(data_, "d.bbi", Header("Данные"));
  // Directories in place of the settings files: they cannot be read, every save fails.
  QList<MessageBoxRequest> expected;
  for (SettingsRoot root : {SettingsRoot::Classes, SettingsRoot::Users}) {
    const QString path = SettingsStore::RootFilePath(root);
    ASSERT_TRUE(QDir().mkpath(path));
    expected.append({"Cannot read settings file " + path + ": Is a directory; it is left as it is",
                     "Ошибка", MsgButtons::Ok, MsgIcon::Error});
  }
  ScriptedMessageBox boxes;
  TForm_main& w = Start({QDir(data_).filePath("d.bbi")});
  EXPECT_EQ(w.DataDirectory, data_);
  EXPECT_EQ(FileNames(), QStringList{"d.bbi"});
  EXPECT_EQ(SelectedName(), "d.bbi");
  ExpectBoxes(boxes, expected);
}

TEST_F(MainWindowTest, EmptyDirectoryGivesEmptyListAndDisabledDataCommands) {
  TForm_main& w = StartOnData();
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  EXPECT_EQ(w.FileSelected, 0);
  for (const char* name :
       {"SpeedItem_Table", "SpeedItem_TableTP", "SpeedItem_Peregr", "SpeedItem_Graf",
        "SpeedItem_DelFile", "SpeedItem_SaveAs", "N_DelFile", "N_popSaveAs"}) {
    EXPECT_FALSE(Action(name)->isEnabled()) << name;
  }
  EXPECT_TRUE(Action("SpeedItem_Spisok")->isEnabled());
  EXPECT_TRUE(Action("SpeedBtn_Read")->isEnabled());
}
