// Which command each menu, tool and context item of the main window runs.
#include "main_window_fixture.h"

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
