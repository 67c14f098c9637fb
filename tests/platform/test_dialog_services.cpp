#include "platform/dialog_services.h"
#include "tests/support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(DialogServicesTest, FiltersAndShellTargetsAreTranslated) {
  EXPECT_EQ(QtFileFilter("*.bbi|*.bbi|*.pdb|*.pdb"), "*.bbi (*.bbi);;*.pdb (*.pdb)");
  EXPECT_EQ(QtFileFilter("Data|*.bbi;*.pdb"), "Data (*.bbi *.pdb)");
  QTemporaryDir dir;
  const QString file = dir.filePath("Jibwarden.chm");
  ASSERT_TRUE(jwtest::WriteBytes(file, "x"));
  EXPECT_EQ(ShellTargetUrl(file), QUrl::fromLocalFile(file));
  EXPECT_EQ(ShellTargetUrl("MailTo:a@example.org?Subject=Jibwarden").scheme().toLower(), "mailto");
}
