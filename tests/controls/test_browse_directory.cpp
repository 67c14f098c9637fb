#include "controls/browse_directory.h"
#include "platform/scripted_services.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The start folder is preselected only when it exists; the choice comes back without
// its trailing separators, the root keeps its own.
TEST(BrowseDirectoryTest, StartFolderAndTheChoiceReturned) {
  QTemporaryDir dir;
  ScriptedFolderDialog dialog;
  dialog.Answer(dir.path() + "//");
  dialog.Answer("/");
  QString folder = dir.path();
  EXPECT_TRUE(BrowseDirectory(folder, "Выберите директорию", 0));
  EXPECT_EQ(folder, dir.path());
  EXPECT_EQ(dialog.Requests()[0].startDirectory, dir.path());
  folder = "/no/such/folder";
  EXPECT_TRUE(BrowseDirectory(folder, "t", 0));
  EXPECT_EQ(folder, "/");
  EXPECT_TRUE(dialog.Requests()[1].startDirectory.isEmpty());
  EXPECT_FALSE(BrowseDirectory(folder, "t", 0));  // cancelled: kept
  EXPECT_EQ(folder, "/");
}

// The real dialog: OK follows the selection, the choice comes back without "/".
TEST(BrowseFolderDlgTest, OkOnlyWhileTheSelectionIsAnExistingDirectory) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir("sub");
  const QString sub = dir.filePath("sub");
  RecordingShell shell;
  qApp->setProperty("HelpFile", "/opt/jw/help.chm");
  TBrowseFolderDlg dlg;
  dlg.DialogText = "Выберите директорию";
  dlg.FolderName = sub;
  dlg.HelpContext = 7;
  QList<bool> ok;
  dlg.OnInitialized = [&](QObject*) {
    QDialog* w = dlg.Window();
    QTimer::singleShot(0, w, [&, w] {
      QPushButton* okButton = w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
      auto* edit = w->findChild<QLineEdit*>("fileNameEdit");
      ok += okButton->isEnabled();
      edit->setText("missing");
      ok += okButton->isEnabled();
      edit->clear();
      ok += okButton->isEnabled();
      w->findChild<QPushButton*>("HelpButton")->click();
      okButton->click();
    });
  };
  EXPECT_TRUE(dlg.Execute());
  qApp->setProperty("HelpFile", QVariant());
  EXPECT_EQ(ok, (QList<bool>{true, false, true}));
  EXPECT_EQ(dlg.FolderName, sub);
  EXPECT_EQ(shell.Targets(), QStringList{"/opt/jw/help.chm"});
}

}  // namespace
