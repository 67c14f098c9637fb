// The main window's menus, tool bars and the controls of the list page, and which command each
// menu and tool item runs.
#include "controls/speed_bar.h"
#include "main_window_fixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

using namespace jwtest;

namespace {

// One line per entry: "objectName|text|shortcut", "-" for a separator.
QStringList Entries(const QList<QAction*>& actions) {
  QStringList lines;
  for (QAction* a : actions) {
    lines << (a->isSeparator() ? QStringLiteral("-")
                               : a->objectName() + "|" + a->text() + "|" +
                                     a->shortcut().toString(QKeySequence::PortableText));
  }
  return lines;
}

}  // namespace

TEST_F(MainWindowTest, MenusAndToolBarsCarryTheirItemsInOrder) {
  TForm_main& w = Start({});
  QStringList titles;
  QList<QMenu*> menus;
  for (QAction* a : w.menuBar()->actions()) {
    titles << a->text();
    menus << a->menu();
  }
  ASSERT_EQ(titles, (QStringList{"&Файл", "&Вид", "&Дополнительно", "&Справка"}));
  EXPECT_EQ(Entries(menus[0]->actions()),
            (QStringList{"N_Read|Считать...|Ctrl+N", "-", "N_SelectDir|Выбрать каталог...|", "-",
                         "N_SaveAs|Сохранить как...|", "N_AddFile|Добавить файл...|",
                         "N_DelFile|Удалить файл|Del", "-", "N_Print|Печать...|Ctrl+P", "-",
                         "N_Exit|Выход|"}));
  EXPECT_EQ(Entries(menus[1]->actions()),
            (QStringList{"N_Spisok|Список файлов|F2", "-",
                         "N_Table|Оперативная информация в виде таблицы|F3",
                         "N_TableTP|Таблица перегрузок|F4", "N_Peregr|Долговременная информация|F5",
                         "N_Graf|Оперативная информация в виде графиков|F6", "-",
                         "N_DecodeData|Расшифровка данных|F7"}));
  EXPECT_EQ(Entries(menus[2]->actions()),
            (QStringList{"N_Find|Поиск...|Ctrl+F", "N_Refresh|Обновить|Ctrl+R"}));
  EXPECT_EQ(Entries(menus[3]->actions()),
            (QStringList{"N_Help|Вызов справки|F1", "-", "N_WWW|Посетить сайт...|",
                         "N_Mail|Написать письмо разработчикам|", "-", "N_About|О программе...|"}));
  EXPECT_EQ(Entries(w.findChild<QMenu*>("popupMain")->actions()),
            (QStringList{"N_popRead|Считать...|", "-", "N_popSaveAs|Сохранить как...|",
                         "N_popAddFile|Добавить файл...|", "-", "N_popDelFile|Удалить файл|"}));

  auto items = [&](const char* bar) {
    QStringList names;
    TSpeedBar* speedBar = w.findChild<TSpeedBar*>(bar);
    for (TSpeedItem* item : speedBar->Section(0)->Items()) {
      EXPECT_TRUE(item->Visible());
      names << item->objectName() + "|" + item->Caption();
    }
    return names;
  };
  EXPECT_EQ(items("SpeedBar_Find"),
            (QStringList{"SpeedBtn_Find|Поиск значений", "SpeedBtn_Refresh|Обновить таблицу"}));
  const QStringList bar3 = items("SpeedBar3");
  ASSERT_EQ(bar3.size(), 4);
  EXPECT_EQ(bar3[0], "SpeedBtn_About|О программе");
  EXPECT_TRUE(bar3[1].startsWith("SpeedBtn_WWW|"));
  EXPECT_TRUE(bar3[2].startsWith("SpeedBtn_Mail|"));
  EXPECT_EQ(bar3[3], "SpeedBtn_Exit|Выйти из программы");
  const QStringList bar1 = items("SpeedBar1");
  EXPECT_EQ(bar1.mid(0, 5), (QStringList{"SpeedBtn_Read|Считать данные нового регистратора",
                                         "SpeedItem_SelectDir|Выбрать каталог с данными",
                                         "SpeedItem_SaveAs|Сохранить как",
                                         "SpeedItem_AddFile|Добавить данные в список",
                                         "SpeedItem_DelFile|Удалить данные из списка"}));
  QStringList rest;
  for (const QString& item : bar1.mid(5)) rest << item.section('|', 0, 0);
  EXPECT_EQ(rest, (QStringList{"SpeedItem_Print", "SpeedItem_Spisok", "SpeedItem_Table",
                               "SpeedItem_TableTP", "SpeedItem_Peregr", "SpeedItem_Graf",
                               "SpeedItem_DecodeData"}));
}

TEST_F(MainWindowTest, EachFileCommandRunsFromItsToolMenuAndContextItems) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  TForm_main& w = StartOnData();
  ScriptedFileDialog files;  // every dialog cancelled
  ScriptedFolderDialog folders;
  ScriptedMessageBox boxes;
  for (const char* name : {"SpeedItem_AddFile", "N_AddFile", "N_popAddFile"}) {
    const qsizetype before = files.Requests().size();
    Action(name)->trigger();
    ASSERT_EQ(files.Requests().size(), before + 1) << name;
    EXPECT_EQ(files.Requests().last().title, "Добавить файл в список") << name;
    EXPECT_FALSE(files.SaveRequests().last()) << name;
  }
  for (const char* name : {"SpeedItem_SaveAs", "N_SaveAs", "N_popSaveAs"}) {
    const qsizetype before = files.Requests().size();
    w.SelectRow(0);
    Action(name)->trigger();
    ASSERT_EQ(files.Requests().size(), before + 1) << name;
    EXPECT_TRUE(files.SaveRequests().last()) << name;
  }
  for (const char* name : {"SpeedItem_SelectDir", "N_SelectDir"}) Action(name)->trigger();
  EXPECT_EQ(folders.Requests().size(), 2);
  for (const char* name : {"SpeedItem_DelFile", "N_DelFile", "N_popDelFile"}) {
    w.SelectRow(0);
    boxes.Answer(MsgResult::No);
    Action(name)->trigger();
  }
  ASSERT_EQ(boxes.Boxes().size(), 3);
  for (const MessageBoxRequest& box : boxes.Boxes()) EXPECT_EQ(box.text, "Удалить файл ?");
  EXPECT_TRUE(QFile::exists(QDir(data_).filePath("a.bbi")));
}

TEST_F(MainWindowTest, SpeedItemsFollowAndRunTheirCommands) {
  TForm_main& w = Start({});
  TSpeedBar* bar = w.SpeedBar1;
  TSpeedItem* spisok = bar->FindItemByName("SpeedItem_Spisok");
  TSpeedItem* table = bar->FindItemByName("SpeedItem_Table");
  TSpeedItem* print = bar->FindItemByName("SpeedItem_Print");
  ASSERT_TRUE(spisok && table && print);

  w.SpeedItem_Table->setChecked(true);
  EXPECT_TRUE(table->Down());
  EXPECT_FALSE(spisok->Down());
  w.SpeedItem_Spisok->setChecked(true);
  EXPECT_TRUE(spisok->Down());
  EXPECT_FALSE(table->Down());

  w.SpeedItem_Print->setEnabled(false);
  EXPECT_FALSE(print->Enabled());
  EXPECT_FALSE(print->Button()->isEnabled());
  w.SpeedItem_Print->setEnabled(true);
  EXPECT_TRUE(print->Button()->isEnabled());

  QSignalSpy runs(w.SpeedBtn_Refresh, &QAction::triggered);
  w.SpeedBar_Find->FindItemByName("SpeedBtn_Refresh")->ButtonClick();
  EXPECT_EQ(runs.size(), 1);
}
