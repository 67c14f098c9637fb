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

// One line per tool item: "objectName|caption".
QStringList Items(TSpeedBar* bar) {
  QStringList lines;
  for (TSpeedItem* item : bar->Section(0)->Items())
    lines << item->objectName() + "|" + item->Caption();
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

  EXPECT_EQ(Items(w.SpeedBar_Find),
            (QStringList{"SpeedBtn_Find|Поиск значений", "SpeedBtn_Refresh|Обновить таблицу"}));
  const QStringList bar3 = Items(w.SpeedBar3);
  ASSERT_EQ(bar3.size(), 4);
  EXPECT_EQ(bar3[0], "SpeedBtn_About|О программе");
  EXPECT_TRUE(bar3[1].startsWith("SpeedBtn_WWW|"));
  EXPECT_TRUE(bar3[2].startsWith("SpeedBtn_Mail|"));
  EXPECT_EQ(bar3[3], "SpeedBtn_Exit|Выйти из программы");
  QStringList bar1 = Items(w.SpeedBar1);
  for (qsizetype i = 5; i < bar1.size(); ++i) bar1[i] = bar1[i].section('|', 0, 0);
  EXPECT_EQ(bar1, (QStringList{"SpeedBtn_Read|Считать данные нового регистратора",
                               "SpeedItem_SelectDir|Выбрать каталог с данными",
                               "SpeedItem_SaveAs|Сохранить как",
                               "SpeedItem_AddFile|Добавить данные в список",
                               "SpeedItem_DelFile|Удалить данные из списка", "SpeedItem_Print",
                               "SpeedItem_Spisok", "SpeedItem_Table", "SpeedItem_TableTP",
                               "SpeedItem_Peregr", "SpeedItem_Graf", "SpeedItem_DecodeData"}));
}

// Each file command runs from its tool item, menu item and context item alike; every dialog is
// cancelled and every question answered No.
TEST_F(MainWindowTest, EachFileCommandRunsFromItsToolMenuAndContextItems) {
  WriteDataFile(data_, "a.bbi", Header("a"));
  TForm_main& w = StartOnData();
  // What each run asks: the dialog opened or the question shown.
  auto asked = [](const ScriptedFileDialog& files, const ScriptedFolderDialog& folders,
                  const ScriptedMessageBox& boxes) {
    if (!boxes.Boxes().isEmpty()) return "box " + boxes.Boxes().last().text;
    if (!folders.Requests().isEmpty()) return "folder " + folders.Requests().last().title;
    if (files.SaveRequests().value(0)) return QStringLiteral("save");
    return "open " + files.Requests().value(0).title;
  };
  const struct {
    const char* names[3];
    QString asked;
  } commands[] = {
      {{"SpeedItem_AddFile", "N_AddFile", "N_popAddFile"}, "open Добавить файл в список"},
      {{"SpeedItem_SaveAs", "N_SaveAs", "N_popSaveAs"}, "save"},
      {{"SpeedItem_SelectDir", "N_SelectDir", nullptr}, "folder Выберите директорию"},
      {{"SpeedItem_DelFile", "N_DelFile", "N_popDelFile"}, "box Удалить файл ?"},
  };
  for (const auto& c : commands)
    for (const char* name : c.names) {
      if (!name) continue;
      SCOPED_TRACE(name);
      ScriptedFileDialog files;
      ScriptedFolderDialog folders;
      ScriptedMessageBox boxes{MsgResult::No};
      w.SelectRow(0);
      Action(name)->trigger();
      EXPECT_EQ(asked(files, folders, boxes), c.asked);
    }
  EXPECT_TRUE(QFile::exists(QDir(data_).filePath("a.bbi")));
}

TEST_F(MainWindowTest, SpeedItemsFollowAndRunTheirCommands) {
  TForm_main& w = Start({});
  TSpeedItem* spisok = w.SpeedBar1->FindItemByName("SpeedItem_Spisok");
  TSpeedItem* table = w.SpeedBar1->FindItemByName("SpeedItem_Table");
  TSpeedItem* print = w.SpeedBar1->FindItemByName("SpeedItem_Print");
  w.SpeedItem_Table->setChecked(true);
  EXPECT_TRUE(table->Down());
  EXPECT_FALSE(spisok->Down());
  w.SpeedItem_Print->setEnabled(false);
  EXPECT_FALSE(print->Button()->isEnabled());
  QSignalSpy runs(w.SpeedBtn_Refresh, &QAction::triggered);
  w.SpeedBar_Find->FindItemByName("SpeedBtn_Refresh")->ButtonClick();
  EXPECT_EQ(runs.size(), 1);
}
