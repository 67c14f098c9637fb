#include "acquisition/form_palm.h"
#include "archive/cp1251.h"
#include "controls/bm_shadow_button.h"
#include "controls/date_edit.h"
#include "platform/scripted_services.h"
#include "tests/acquisition/handheld_fixture.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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
    form.SetMainWindowHooks(
        {[this] { ++refreshes; }, [this] { return DataDirectory(); }, [this] { return source; }});
  }

  QString DataDirectory() const { return dir.filePath(QStringLiteral("data")); }

  void Source(const QByteArray& bytes) {
    source = dir.filePath(QStringLiteral("handheld.pdb"));
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  QStringList DataFiles() const { return QDir(DataDirectory()).entryList(QDir::Files); }

  void Click() {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Btn_Convert, Qt::LeftButton);
  }

  QTemporaryDir dir;
  TForm_Palm form;
  QByteArray good;
  QString source;
  int refreshes = 0;
};

TEST_F(FormPalmTest, ControlsAsDescribed) {
  EXPECT_EQ(form.objectName(), u"Form_Palm");
  EXPECT_EQ(form.windowTitle(), u"Преобразование файла");
  EXPECT_EQ(form.size(), QSize(305, 207));
  EXPECT_EQ(form.findChild<TDateEdit*>(QStringLiteral("CB_Data")), form.CB_Data);
  EXPECT_EQ(form.CB_Data->text(), u"08.07.03");
  EXPECT_TRUE(form.CB_Data->DefaultToday());
  EXPECT_EQ(form.CB_Data->GlyphKind(), Combo::gkDropDown);
  for (QComboBox* combo : {form.CB_Operator, form.CB_NomCran, form.CB_NomUstr, form.CB_Coment}) {
    SCOPED_TRACE(combo->objectName().toStdString());
    EXPECT_EQ(form.findChild<QComboBox*>(combo->objectName()), combo);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->count(), 6);
    EXPECT_EQ(combo->currentText(), combo->objectName());
  }
  EXPECT_EQ(form.findChild<TBmShadowButton*>(QStringLiteral("Btn_Convert")), form.Btn_Convert);
  EXPECT_EQ(form.Btn_Convert->Caption(), u"ОК");
  EXPECT_EQ(form.Btn_Convert->Depth(), 5);
  EXPECT_EQ(form.Btn_Convert->size(), QSize(121, 25));
  EXPECT_EQ(form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1")), form.ProgressBar1);
  EXPECT_EQ(form.ProgressBar1->maximum(), 8000);
  EXPECT_EQ(form.ProgressBar1->value(), 0);

  // The first showing writes the stored text back in the current format; with
  // DefaultToday an emptied field then shows today.
  form.show();
  EXPECT_EQ(form.CB_Data->text(), u"08.07.2003");
  form.CB_Data->SetDate(NullDate);
  EXPECT_EQ(form.CB_Data->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
}

TEST_F(FormPalmTest, ConvertsWithTheTypedTextsAndCloses) {
  ScriptedMessageBox boxes;
  Source(good);
  form.CB_Data->setText(QStringLiteral("14.06.2024"));
  form.CB_Operator->setEditText(QStringLiteral("Петров"));
  form.CB_NomCran->setEditText(QStringLiteral("1187"));
  form.CB_NomUstr->setEditText(QStringLiteral("310457"));
  form.CB_Coment->setEditText(QStringLiteral("после ремонта"));
  Click();

  EXPECT_TRUE(boxes.Boxes().isEmpty());
  ASSERT_EQ(DataFiles(), QStringList{QStringLiteral("д14м06г2024ч10м15c42_1187.bbi")});
  QFile file(QDir(DataDirectory()).filePath(DataFiles().first()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = DecodeCp1251(file.readAll()).split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.mid(2, 7),
            QStringList({QStringLiteral("1187"), QStringLiteral("2"), QStringLiteral("10"),
                         QStringLiteral("310457"), QStringLiteral("14.06.2024"),
                         QStringLiteral("Петров"), QStringLiteral("после ремонта")}));
  EXPECT_EQ(lines[24].left(17), u"01.02.24 03:04:05");
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.ProgressBar1->value(), 0);
  EXPECT_EQ(form.ProgressBar1->maximum(), 5);
}

TEST_F(FormPalmTest, FailureIsReportedOnceAndLeavesNoFile) {
  ScriptedMessageBox boxes;
  Source(good.left(good.size() / 2));
  Click();

  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Ошибка чтения файла");
  EXPECT_EQ(boxes.Boxes()[0].caption, u"Ошибка");
  EXPECT_EQ(boxes.Boxes()[0].icon, MsgIcon::Error);
  EXPECT_EQ(boxes.Boxes()[0].buttons, MsgButtons::Ok);
  EXPECT_TRUE(DataFiles().isEmpty());
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(FormPalmTest, ClickDuringAConversionStartsNoSecondOne) {
  ScriptedMessageBox boxes;
  Source(good);
  // The waits of a conversion process messages: a click may arrive in them.
  form.SetMainWindowHooks({[this] {
                             ++refreshes;
                             form.Btn_ConvertClick();
                           },
                           [this] { return DataDirectory(); }, [this] { return source; }});
  Click();
  EXPECT_EQ(refreshes, 1);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(DataFiles().size(), 1);

  // Once it has ended the window converts again.
  QFile::remove(QDir(DataDirectory()).filePath(DataFiles().first()));
  Click();
  EXPECT_EQ(refreshes, 2);
  EXPECT_EQ(DataFiles().size(), 1);
}

}  // namespace
