#include "acquisition/form_palm.h"
#include "controls/bm_shadow_button.h"
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

// A failure is reported once and leaves no file; once it has ended the window converts.
TEST_F(FormPalmTest, FailsOrConvertsOnceAndCloses) {
  Source(good.left(good.size() / 2));
  Click();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Ошибка чтения файла");
  EXPECT_TRUE(DataFiles().isEmpty());
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(form.isVisible());

  Source(good);
  form.CB_NomCran->setEditText(QStringLiteral("1187"));
  Click();
  EXPECT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(DataFiles(), QStringList{QStringLiteral("д14м06г2024ч10м15c42_1187.bbi")});
  EXPECT_EQ(refreshes, 2);
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
