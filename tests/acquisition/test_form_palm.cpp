#include "acquisition/form_palm.h"
#include "archive/cp1251.h"
#include "controls/bm_shadow_button.h"
#include "controls/date_edit.h"
#include "platform/scripted_services.h"
#include "tests/acquisition/handheld_fixture.h"
#include "tests/support/test_files.h"

#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 6, 14), QTime(10, 15, 42));

class FormPalmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(DataDirectory()));
    RecorderModel model;
    model.Operational.Entries = {PackDateTime(1, 2, 24, 3, 4, 5)};
    model.Operational.RingPosition = 33;
    good = PalmDatabaseBytes(HandheldRecords(model));
    form.SetClock([] { return kNow; });
    // The waits of a conversion process messages: a click may arrive in them.
    form.SetMainWindowHooks({[this] {
                               ++refreshes;
                               form.Btn_ConvertClick();
                             },
                             [this] { return DataDirectory(); }, [this] { return source; }});
  }

  QString DataDirectory() const { return dir.filePath(QStringLiteral("data")); }

  void Source(const QByteArray& bytes) {
    source = dir.filePath(QStringLiteral("handheld.pdb"));
    ASSERT_TRUE(jwtest::WriteBytes(source, bytes));
  }

  QStringList DataFiles() const { return QDir(DataDirectory()).entryList(QDir::Files); }

  void Click() {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Btn_Convert, Qt::LeftButton);
  }

  ScriptedMessageBox boxes;
  QTemporaryDir dir;
  TForm_Palm form;
  QByteArray good;
  QString source;
  int refreshes = 0;
};

TEST_F(FormPalmTest, ConvertsWithTheTypedTextsAndCloses) {
  Source(good);
  form.CB_Data->setText(QStringLiteral("14.06.2024"));
  form.CB_Operator->setEditText(QStringLiteral("Петров"));
  form.CB_NomCran->setEditText(QStringLiteral("1187"));
  form.CB_NomUstr->setEditText(QStringLiteral("310457"));
  form.CB_Coment->setEditText(QStringLiteral("после ремонта"));
  Click();

  EXPECT_TRUE(boxes.Boxes().isEmpty());
  ASSERT_EQ(DataFiles(), QStringList{QStringLiteral("д14м06г2024ч10м15c42_1187.bbi")});
  const QStringList lines =
      DecodeCp1251(jwtest::ReadBytes(QDir(DataDirectory()).filePath(DataFiles().first())))
          .split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.mid(2, 7),
            QStringList({"1187", "2", "10", "310457", "14.06.2024", "Петров", "после ремонта"}));
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(form.isVisible());
  // Once it has ended the window converts again.
  Click();
  EXPECT_EQ(refreshes, 2);
}

TEST_F(FormPalmTest, FailureIsReportedOnceAndLeavesNoFile) {
  Source(good.left(good.size() / 2));
  Click();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Ошибка чтения файла");
  EXPECT_TRUE(DataFiles().isEmpty());
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
