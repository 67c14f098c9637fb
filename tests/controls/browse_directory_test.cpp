#include "controls/browse_directory.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "platform/scripted_services.h"

namespace {

TEST(BrowseDirectoryTest, ExistingFolderIsPreselectedAndTheChoiceReturned) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir("chosen");
  ScriptedFolderDialog dialog;
  dialog.Answer(dir.filePath("chosen") + "/");
  QString folder = dir.path();
  EXPECT_TRUE(BrowseDirectory(folder, "Выберите директорию", 0));
  EXPECT_EQ(folder, dir.filePath("chosen"));
  ASSERT_EQ(dialog.Requests().size(), 1);
  EXPECT_EQ(dialog.Requests()[0].title, "Выберите директорию");
  EXPECT_EQ(dialog.Requests()[0].startDirectory, dir.path());
}

TEST(BrowseDirectoryTest, MissingFolderOpensWithoutSelectionAndCancelKeepsIt) {
  ScriptedFolderDialog dialog;
  QString folder = "/no/such/folder";
  EXPECT_FALSE(BrowseDirectory(folder, "Выберите директорию", 0));
  EXPECT_EQ(folder, "/no/such/folder");
  EXPECT_TRUE(dialog.Requests()[0].startDirectory.isEmpty());

  QString empty;
  EXPECT_FALSE(BrowseDirectory(empty, "", 0));
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_TRUE(dialog.Requests()[1].startDirectory.isEmpty());
}

TEST(BrowseDirectoryTest, RootKeepsItsSeparator) {
  ScriptedFolderDialog dialog;
  dialog.Answer("/");
  dialog.Answer("/tmp//");
  QString folder;
  EXPECT_TRUE(BrowseDirectory(folder, "t", 0));
  EXPECT_EQ(folder, "/");
  EXPECT_TRUE(BrowseDirectory(folder, "t", 0));
  EXPECT_EQ(folder, "/tmp");
  EXPECT_EQ(dialog.Requests()[1].startDirectory, "/");
}

}  // namespace
