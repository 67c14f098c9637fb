// Which command each menu, tool and context item of the main window runs.
#include "controls/speed_bar.h"
#include "main_window_fixture.h"

#include <QApplication>
#include <QMouseEvent>

#include <iterator>

using namespace jwtest;

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

// A tool item's hint is its own where the window gives one, else the one its caption made
// (caption + "|": the tool tip shows the caption); moving over it writes its status text.
TEST_F(MainWindowTest, ToolItemHintsComeFromTheirCaptionOrTheirOwn) {
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
      {"SpeedItem_Spisok", "Список файлов|", "Список файлов"},
      {"SpeedItem_Table", "Оперативная информация в виде таблицы|",
       "Оперативная информация в виде таблицы"},
      {"SpeedItem_TableTP", "Таблица перегрузок|", "Таблица перегрузок"},
      {"SpeedItem_Peregr", "Долговременная информация|", "Долговременная информация"},
      {"SpeedItem_Graf", "Оперативная информация в виде графиков|",
       "Оперативная информация в виде графиков"},
      {"SpeedItem_DecodeData", "Расшифровка данных|", ""},
      {"SpeedBtn_Find", "Поиск...", "Поиск..."},
      {"SpeedBtn_Refresh", "Обновить", "Обновить"},
      {"SpeedBtn_About", "О программе|", "О программе"},
      {"SpeedBtn_WWW", web + "|", web},
      {"SpeedBtn_Mail", mail + "|", mail},
      {"SpeedBtn_Exit", "Выйти из программы|", "Выйти из программы"},
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
}
