#include "platform/dialog_services.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

TEST(DialogServicesTest, FiltersAndShellTargetsAreTranslated) {
  EXPECT_EQ(QtFileFilter("*.bbi|*.bbi|*.pdb|*.pdb"), "*.bbi (*.bbi);;*.pdb (*.pdb)");
  EXPECT_EQ(QtFileFilter("Data|*.bbi;*.pdb"), "Data (*.bbi *.pdb)");
  const QString file = QCoreApplication::applicationFilePath();
  EXPECT_EQ(ShellTargetUrl(file), QUrl::fromLocalFile(file));
  EXPECT_EQ(ShellTargetUrl("MailTo:a@example.org?Subject=Jibwarden").scheme().toLower(), "mailto");
}
