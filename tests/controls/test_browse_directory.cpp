#include "controls/browse_directory.h"
#include "platform/scripted_services.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The start folder is preselected only when it exists; the choice comes back without
// its trailing separators, the root keeps its own.
TEST(BrowseDirectoryTest, StartFolderAndTheChoiceReturned) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir("chosen");
  ScriptedFolderDialog dialog;
  dialog.Answer(dir.filePath("chosen") + "//");
  dialog.Answer("/");
  QString folder = dir.path();
  EXPECT_TRUE(BrowseDirectory(folder, "Выберите директорию", 0));
  EXPECT_EQ(folder, dir.filePath("chosen"));
  EXPECT_EQ(dialog.Requests()[0].title, "Выберите директорию");
  EXPECT_EQ(dialog.Requests()[0].startDirectory, dir.path());
  EXPECT_TRUE(BrowseDirectory(folder, "t", 0));
  EXPECT_EQ(folder, "/");

  folder = "/no/such/folder";
  EXPECT_FALSE(BrowseDirectory(folder, "t", 0));  // cancelled: kept
  EXPECT_EQ(folder, "/no/such/folder");
  EXPECT_TRUE(dialog.Requests()[2].startDirectory.isEmpty());
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
  QStringList selections;
  QString title;
  QPoint offCentre;
  dlg.OnSelChanged = [&](QObject*) { selections += dlg.Selection(); };
  dlg.OnInitialized = [&](QObject*) {
    QDialog* w = dlg.Window();
    title = w->windowTitle();
    offCentre = w->geometry().center() - w->screen()->geometry().center();
    QTimer::singleShot(0, w, [&, w] {
      QPushButton* okButton = w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
      auto* edit = w->findChild<QLineEdit*>("fileNameEdit");
      ok += okButton->isEnabled();
      edit->setText("missing");
      ok += okButton->isEnabled();
      edit->clear();
      ok += okButton->isEnabled();
      auto* help = w->findChild<QPushButton*>("HelpButton");
      EXPECT_EQ(help->text(), "&Help");
      help->click();
      okButton->click();
    });
  };
  EXPECT_TRUE(dlg.Execute());
  qApp->setProperty("HelpFile", QVariant());
  EXPECT_EQ(ok, (QList<bool>{true, false, true}));
  EXPECT_EQ(selections, (QStringList{sub, sub + "/missing", sub}));
  EXPECT_EQ(dlg.FolderName, sub);
  EXPECT_EQ(dlg.DisplayName(), "sub");
  EXPECT_EQ(dlg.Window(), nullptr);
  EXPECT_EQ(title, "Выберите директорию");
  EXPECT_LE(std::abs(offCentre.x()) + std::abs(offCentre.y()), 2);
  EXPECT_EQ(shell.Targets(), QStringList{"/opt/jw/help.chm"});

  dlg.BrowseKind = TBrowseFolderDlg::bfComputers;
  EXPECT_THROW(dlg.Execute(), std::runtime_error);
}

}  // namespace
