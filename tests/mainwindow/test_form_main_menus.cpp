// The main window's menus and tool bars, and which command each menu, tool and context item
// and each shortcut runs.
#include "acquisition/form_read.h"
#include "controls/speed_bar.h"
#include "main_window_fixture.h"
#include "mainwindow/form_searsh.h"
#include "mainwindow/form_table_searsh.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"
#include "reports/form_print_dialog.h"
#include "reports/report_forms.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <iterator>

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
  EXPECT_EQ(
      Items(w.SpeedBar1),
      (QStringList{
          "SpeedBtn_Read|Считать данные нового регистратора",
          "SpeedItem_SelectDir|Выбрать каталог с данными", "SpeedItem_SaveAs|Сохранить как",
          "SpeedItem_AddFile|Добавить данные в список",
          "SpeedItem_DelFile|Удалить данные из списка", "SpeedItem_Print|Печать",
          "SpeedItem_Spisok|Список файлов", "SpeedItem_Table|Оперативная информация в виде таблицы",
          "SpeedItem_TableTP|Таблица перегрузок", "SpeedItem_Peregr|Долговременная информация",
          "SpeedItem_Graf|Оперативная информация в виде графиков",
          "SpeedItem_DecodeData|Расшифровка данных"}));
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

// Every tool item's hint is exactly the one the window gives it, none made from its caption
// while the window was built; the tool tip shows it and moving over the item writes its status
// text. A caption set once the window stands makes the hint again.
TEST_F(MainWindowTest, ToolItemHintsAreTheWindowsOwn) {
  TForm_main& w = StartOnData();
  const QString web = "Посетить " + kMakerWebAddress;
  const QString mail = "Написать письмо " + kMakerMailAddress;
  const struct {
    const char* name;
    QString hint;
    QString status;  // empty: the hint is a tool tip only
  } items[] = {
      {"SpeedBtn_Read", "Считать...", "Считать..."},
      {"SpeedItem_SelectDir", "Выбрать каталог...", "Выбрать каталог..."},
      {"SpeedItem_SaveAs", "Сохранить как...", ""},
      {"SpeedItem_AddFile", "Добавить файл...", "Добавить файл..."},
      {"SpeedItem_DelFile", "Удалить файл", "Удалить файл"},
      {"SpeedItem_Print", "Печать...", "Печать..."},
      {"SpeedItem_Spisok", "Список файлов", "Список файлов"},
      {"SpeedItem_Table", "Оперативная информация в виде таблицы",
       "Оперативная информация в виде таблицы"},
      {"SpeedItem_TableTP", "Таблица перегрузок", "Таблица перегрузок"},
      {"SpeedItem_Peregr", "Долговременная информация", "Долговременная информация"},
      {"SpeedItem_Graf", "Оперативная информация в виде графиков",
       "Оперативная информация в виде графиков"},
      {"SpeedItem_DecodeData", "Расшифровка данных", ""},
      {"SpeedBtn_Find", "Поиск...", "Поиск..."},
      {"SpeedBtn_Refresh", "Обновить", "Обновить"},
      {"SpeedBtn_About", "О программе", "О программе"},
      {"SpeedBtn_WWW", web, web},
      {"SpeedBtn_Mail", mail, mail},
      {"SpeedBtn_Exit", "Выйти из программы", "Выйти из программы"},
  };
  ASSERT_EQ(w.findChildren<TSpeedItem*>().size(), std::size(items));
  for (const auto& item : items) {
    SCOPED_TRACE(item.name);
    auto* speedItem = w.findChild<TSpeedItem*>(item.name);
    ASSERT_NE(speedItem, nullptr);
    EXPECT_EQ(speedItem->Hint().toStdString(), item.hint.toStdString());
    EXPECT_EQ(speedItem->Button()->toolTip().toStdString(),
              item.hint.section('|', 0, 0).toStdString());
    w.SetStatusPanel0("-");
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5),
                     speedItem->Button()->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(speedItem->Button(), &move);
    EXPECT_EQ(w.StatusPanel0().toStdString(),
              (item.status.isEmpty() ? "-" : item.status).toStdString());
  }

  auto* exit = w.findChild<TSpeedItem*>("SpeedBtn_Exit");
  exit->SetCaption("Выход");
  EXPECT_EQ(exit->Hint().toStdString(), "Выход|");
  EXPECT_EQ(exit->Button()->toolTip().toStdString(), "Выход");
}

// Every shortcut, pressed where its command is enabled, runs that command: the list page's
// first, then the table page's, then the view keys.
TEST_F(MainWindowTest, ShortcutsRunTheirCommands) {
  FileSpec spec;
  spec.operational = {Type2Record().Line(), Type2Record().Line()};
  spec.overload = {Type2Record().Line()};
  TForm_main& w = StartOnFile(spec);
  TForm_Read read;
  TForm_Searsh searsh;
  TForm_TableSearsh tableSearsh;
  TForm_PrintDialog printDialog;
  TForm_PrintTPCR printTPCR;
  TForm_main::Windows windows;
  windows.Form_Read = &read;
  w.SetWindows(windows);
  w.SetSearchWindows(&searsh, &tableSearsh);
  w.SetPrintWindows({&printDialog, &printTPCR, nullptr, nullptr});
  ScriptedMessageBox boxes{MsgResult::No};
  RecordingShell shell;

  auto activate = [&] {
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  };
  auto press = [&](QKeyCombination key) {
    activate();
    QTest::keyClick(&w, key.key(), key.keyboardModifiers());
  };
  // True when the key brought up this window modally; it is closed again.
  auto opens = [&](QKeyCombination key, QDialog& dialog) {
    activate();
    bool shown = false;
    QTimer::singleShot(0, &dialog, [&] {
      shown = dialog.isVisible();
      dialog.reject();
    });
    QTest::keyClick(&w, key.key(), key.keyboardModifiers());
    QCoreApplication::processEvents();
    return shown;
  };
  auto page = [&] { return w.PageControl1->currentIndex(); };

  // The list page with a file selected.
  EXPECT_TRUE(opens(Qt::CTRL | Qt::Key_N, read));
  press(Qt::Key_Delete);
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, "Удалить файл ?");
  EXPECT_EQ(FileNames(), QStringList{"a.bbi"});
  ASSERT_TRUE(WriteBytes(QDir(program_).filePath("Jibwarden.chm"), "help"));
  press(Qt::Key_F1);
  EXPECT_EQ(shell.Targets(), QStringList{QDir(program_).filePath("Jibwarden.chm")});
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(page(), 1);

  // The table page.
  EXPECT_TRUE(opens(Qt::CTRL | Qt::Key_F, searsh));
  EXPECT_TRUE(opens(Qt::CTRL | Qt::Key_P, printDialog));
  GridModel& found = w.SG_TPCR_Find->Grid();
  found.SetRowCount(3);
  w.SG_TPCR->hide();
  w.SG_TPCR_Find->show();
  press(Qt::CTRL | Qt::Key_R);
  EXPECT_EQ(found.RowCount(), 1);
  EXPECT_TRUE(w.SG_TPCR->isVisible());
  EXPECT_FALSE(w.SG_TPCR_Find->isVisible());
  press(Qt::Key_F7);
  auto* view = w.findChild<TformView1*>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  view->hide();

  const std::pair<Qt::Key, int> views[] = {
      {Qt::Key_F4, 2}, {Qt::Key_F5, 3}, {Qt::Key_F6, 4}, {Qt::Key_F3, 1}, {Qt::Key_F2, 0}};
  for (const auto& [key, shown] : views) {
    SCOPED_TRACE(shown);
    press(key);
    EXPECT_EQ(page(), shown);
  }
  EXPECT_EQ(boxes.Boxes().size(), 1);
}
