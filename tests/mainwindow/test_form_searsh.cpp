// The search window and its commands in the main window, driven through the controls.
#include "data_file_builder.h"
#include "main_window_fixture.h"
#include "mainwindow/form_searsh.h"
#include "mainwindow/form_table_searsh.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace jwtest;

namespace {

const MessageBoxRequest kBadThreshold{
    "Введено неверное значение. Требуется число между 0 и 255.\nВосстановлено последнее значение",
    "Ошибка", MsgButtons::Ok, MsgIcon::Error};
const MessageBoxRequest kNotFound{"Заданный параметр не найден.", "Jibwarden", MsgButtons::Ok,
                                  MsgIcon::Warning};
const MessageBoxRequest kBadDate{"Неверное значение даты или времени", "Ошибка", MsgButtons::Ok,
                                 MsgIcon::Error};

class SearchTest : public MainWindowTest {
 protected:
  // The main window on the table page of a file with records of these stamps and load degrees.
  TForm_main& OpenSample() {
    FileSpec spec;
    for (const auto& [stamp, m] : {std::pair{"01.02.03 10:00:00", "083"},
                                   {"01.02.03 10:00:01", "050"},
                                   {"02.02.03 00:00:00", "049"},
                                   {"01.02.03 10:00:00", "100"}}) {
      Type2Record record;
      record.stamp = stamp;
      record.m = m;
      spec.operational << record.Line();
    }
    TForm_main& w = StartOnFile(spec);
    w.SetSearchWindows(&searsh_, &tableSearsh_);
    w.SpeedItem_TableClick();
    return w;
  }

  // Runs the find command; `act` works in the shown search window, which must close after it.
  void Find(const std::function<void(TForm_Searsh&)>& act, QAction* command = nullptr) {
    bool shown = false;
    bool leftOpen = false;
    QTimer::singleShot(0, [&] {
      shown = searsh_.isVisible();
      act(searsh_);
      leftOpen = searsh_.isVisible();
      if (leftOpen) searsh_.close();
    });
    (command ? command : window_->SpeedBtn_Find)->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(leftOpen);
  }
  static void SearchMz(TForm_Searsh& s, const QString& threshold) {
    s.Edit_Mz->setText(threshold);
    QTest::mouseClick(s.Button_OK, Qt::LeftButton);
  }

  StringGrid* Grid(const char* name) { return window_->findChild<StringGrid*>(name); }
  // The record numbers of the results.
  QStringList Found() {
    QStringList texts;
    const GridModel& grid = Grid("SG_TPCR_Find")->Grid();
    for (int r = 1; r < grid.RowCount(); ++r) texts << grid.Cells(0, r);
    return texts;
  }
  bool ResultsShown() { return Grid("SG_TPCR_Find")->isVisible() && !Grid("SG_TPCR")->isVisible(); }

  TForm_Searsh searsh_;
  TForm_TableSearsh tableSearsh_;
};

}  // namespace

TEST_F(SearchTest, SearchWindowModesAndMasks) {
  TForm_Searsh& s = searsh_;
  for (const bool mz : {false, true}) {
    SCOPED_TRACE(mz);
    QTest::mouseClick(mz ? s.RadioButton_Mz : s.RadioButton_Time, Qt::LeftButton);
    EXPECT_EQ(s.Edit_Mz->isEnabled(), mz);
    for (QLineEdit* edit :
         {s.MaskEdit_otData, s.MaskEdit_doData, s.MaskEdit_otTime, s.MaskEdit_doTime})
      EXPECT_EQ(edit->isEnabled(), !mz) << edit->objectName().toStdString();
  }

  // The date and time fields can be overtyped, never erased.
  QTest::mouseClick(s.RadioButton_Time, Qt::LeftButton);
  s.MaskEdit_otData->setFocus();
  s.MaskEdit_otData->setCursorPosition(3);
  QTest::keyClick(s.MaskEdit_otData, Qt::Key_Backspace);
  QTest::keyClick(s.MaskEdit_otData, Qt::Key_Delete);
  EXPECT_EQ(s.MaskEdit_otData->displayText(), "00.00.00");
  s.MaskEdit_otData->setCursorPosition(0);
  QTest::keyClicks(s.MaskEdit_otData, "1502");
  EXPECT_EQ(s.MaskEdit_otData->displayText(), "15.02.00");
  s.close();
}

TEST_F(SearchTest, LoadDegreeSearchFillsTheResultsUntilRefresh) {
  TForm_main& w = OpenSample();
  ScriptedMessageBox boxes;
  Find([&](TForm_Searsh& s) { SearchMz(s, "50"); });
  EXPECT_EQ(w.LastMzSearchText, "50");
  EXPECT_TRUE(ResultsShown());
  // The threshold itself is picked; each row comes whole with its record number.
  EXPECT_EQ(Found(), (QStringList{"1", "2", "4"}));
  EXPECT_EQ(Grid("SG_TPCR_Find")->Grid().Cells(14, 2), "50");

  // Enter from any control searches; a new search replaces the results.
  Find([](TForm_Searsh& s) {
    s.Edit_Mz->setText("83");
    QTest::keyClick(s.Button_Close, Qt::Key_Enter);
  });
  EXPECT_EQ(Found(), (QStringList{"1", "4"}));
  w.N_Refresh->trigger();
  EXPECT_TRUE(Grid("SG_TPCR")->isVisible());
  EXPECT_EQ(Grid("SG_TPCR_Find")->Grid().RowCount(), 1);

  // A bad threshold restores the last accepted one and leaves the grids alone.
  QString shownAfter;
  Find([&](TForm_Searsh& s) {
    SearchMz(s, "256");
    shownAfter = s.Edit_Mz->text();
  });
  ExpectBoxes(boxes, {kBadThreshold});
  EXPECT_EQ(shownAfter, "83");
  EXPECT_EQ(w.LastMzSearchText, "83");
  EXPECT_TRUE(Grid("SG_TPCR")->isVisible());

  // Nothing found: the empty results stay shown across pages until the table command.
  Find([&](TForm_Searsh& s) { SearchMz(s, "255"); }, w.N_Find);
  ExpectBoxes(boxes, {kNotFound}, 1);
  EXPECT_TRUE(ResultsShown());
  EXPECT_EQ(Grid("SG_TPCR_Find")->Grid().RowCount(), 1);
  w.SpeedItem_PeregrClick();
  w.SpeedItem_TableTPClick();
  EXPECT_FALSE(Grid("SG_TPCR")->isVisibleTo(w.TabSheet_Table));
  w.SpeedItem_TableClick();
  EXPECT_FALSE(Grid("SG_TPCR_Find")->isVisible());
}

// Date and time bounds, one search per row: the records found, or the box shown.
TEST_F(SearchTest, DateAndTimeRange) {
  TForm_main& w = OpenSample();
  ScriptedMessageBox boxes;
  const struct {
    const char *fromDate, *fromTime, *toDate, *toTime;
    QStringList found;
    const MessageBoxRequest* box;
  } cases[] = {
      {"01.02.03", "10:00:00", "01.02.03", "10:00:00", {"1", "4"}, nullptr},
      {"01.02.03", "10:00:01", "02.02.03", "00:00:00", {"2", "3"}, nullptr},
      {"01.01.99", "00:00:00", "31.12.04", "23:59:59", {}, &kNotFound},  // 99 lies after 04
      {"1", "10:00:00", "01.02.03", "10:00:00", {}, &kBadDate},          // unfilled places
      {"01.02.03", "10:00:00", "01.02.03", "1", {}, &kBadDate},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(
        QString("%1 %2 %3 %4").arg(c.fromDate, c.fromTime, c.toDate, c.toTime).toStdString());
    w.SpeedBtn_Refresh->trigger();
    const qsizetype before = boxes.Boxes().size();
    Find([&](TForm_Searsh& s) {
      QTest::mouseClick(s.RadioButton_Time, Qt::LeftButton);
      s.MaskEdit_otData->setText(c.fromDate);
      s.MaskEdit_otTime->setText(c.fromTime);
      s.MaskEdit_doData->setText(c.toDate);
      s.MaskEdit_doTime->setText(c.toTime);
      QTest::mouseClick(s.Button_OK, Qt::LeftButton);
    });
    ExpectBoxes(boxes, c.box ? QList<MessageBoxRequest>{*c.box} : QList<MessageBoxRequest>{},
                before);
    EXPECT_EQ(Found(), c.found);
    EXPECT_EQ(ResultsShown(), c.box != &kBadDate);
  }
}

TEST_F(SearchTest, ConditionWindowKeepsConditionsAndSetsTheFilter) {
  TForm_main& w = OpenSample();
  ScriptedMessageBox boxes;
  TForm_TableSearsh& t = tableSearsh_;
  t.show();
  t.ShowConditionEdits(0);
  EXPECT_FALSE(t.Edit_OT->isVisible());
  t.ShowConditionEdits(2);
  EXPECT_FALSE(t.Edit_DO->isVisible());

  // Row 1: "в интервале" with a comma as separator; Enter in an edit applies.
  t.SG_TableSearsh->setCurrentCell(1, 0);
  t.CB_TypeSearsh->setCurrentIndex(4);
  emit t.CB_TypeSearsh->activated(4);
  EXPECT_TRUE(t.Edit_DO->isVisible());
  EXPECT_EQ(t.SG_TableSearsh->item(1, 1)->text(), "от 0 до 0");
  t.Edit_OT->setText("1,5");
  t.Edit_DO->setText("20");
  QTest::keyClick(t.Edit_DO, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(t.SearchConditionTable[1].from, 1.5);
  EXPECT_EQ(t.SG_TableSearsh->item(1, 1)->text(), "от 1.5 до 20");

  // Row 0: a value that does not convert resets the row's condition.
  t.SG_TableSearsh->setCurrentCell(0, 0);
  t.CB_TypeSearsh->setCurrentIndex(2);
  emit t.CB_TypeSearsh->activated(2);
  t.Edit_OT->setText("abc");
  QTest::mouseClick(t.Btn_ApplySearsh, Qt::LeftButton);
  ExpectBoxes(boxes, {{"Значение не сохранено", "Ошибка", MsgButtons::Ok, MsgIcon::Error}});
  EXPECT_EQ(t.SG_TableSearsh->item(0, 1)->text(), "нет");

  QTest::mouseClick(t.Btn_OK, Qt::LeftButton);
  EXPECT_EQ(w.ConditionFilterOn, 1);
  t.show();
  QTest::mouseClick(t.Btn_Cancel, Qt::LeftButton);
  EXPECT_EQ(w.ConditionFilterOn, 0);
  EXPECT_FALSE(t.isVisible());
}

// The condition window's own texts, read back from its controls.
TEST_F(SearchTest, ConditionWindowTexts) {
  const TForm_TableSearsh& t = tableSearsh_;
  EXPECT_EQ(t.windowTitle(), "Условия поиска");
  EXPECT_EQ(t.Label1->text(), "Выбирать значения");
  QStringList types;
  for (int i = 0; i < t.CB_TypeSearsh->count(); ++i) types << t.CB_TypeSearsh->itemText(i);
  EXPECT_EQ(types,
            (QStringList{"нет", "равные", "больше", "меньше", "в интервале", "неисправность"}));
  EXPECT_EQ(t.Label_OT->text(), "от");
  EXPECT_EQ(t.Label_DO->text(), "до");
  EXPECT_EQ(t.Btn_ApplySearsh->text(), "Применить");
  EXPECT_EQ(t.Btn_OK->text(), "ОК");
  EXPECT_EQ(t.Btn_Cancel->text(), "Отмена");
}
