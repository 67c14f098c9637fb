// The graph page: picking records on the chart, the point table window, the graph
// settings window and the copy of the chart.
#include "data_file_builder.h"
#include "main_window_fixture.h"
#include "mainwindow/form_graf_point.h"
#include "mainwindow/form_nastr_graf.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace jwtest;

namespace {

const QStringList kType2Titles = {"№",  "Дата и время", "a",  "L",     "g",      "Pп",
                                  "Pш", "Nп",           "C",  "K",     "Q",      "R",
                                  "H",  "Qmax",         "Мз", "Флаги", "Выходы", "Входы"};

// Record n has the time stamp "dd.02.03 04:05:06" with dd = n and boom angle n degrees.
FileSpec Records(int count, const QString& type = "2") {
  FileSpec spec;
  spec.type = type;
  for (int n = 1; n <= count; ++n) {
    const QString stamp = QString("%1.02.03 04:05:06").arg(n, 2, 10, QChar('0'));
    if (type == "4") {
      Type4Record r;
      r.stamp = stamp;
      spec.operational << r.Line();
    } else {
      Type2Record r;
      r.stamp = stamp;
      r.a = QString("%1.00").arg(n, 4, 10, QChar('0'));
      spec.operational << r.Line();
    }
  }
  return spec;
}

class GraphPageTest : public MainWindowTest {
 protected:
  // The graph page of the named file, with the windows the start-up gives the main window.
  TForm_main& OpenGraph(const FileSpec& spec) {
    TForm_main& w = StartOnFile(spec);
    w.SetWindows({.Form_NastrGraf = &settings_, .Form_GrafPoint = &points_});
    w.SpeedItem_GrafClick();
    chart_ = w.Chart_Data;
    chart_->Sync();
    return w;
  }

  // A position of the chart over bottom-axis value x.
  QPoint At(double x) {
    const AxisRange range = chart_->BottomAxis();
    const QRectF area = chart_->PlotArea();
    const double pixel =
        area.left() + (x - range.minimum) / (range.maximum - range.minimum) * area.width();
    return QPoint(int(std::lround(pixel)), int(area.center().y()));
  }
  void DoubleClickAt(double x) {
    QTest::mouseDClick(chart_->viewport(), Qt::LeftButton, {}, At(x));
  }
  void PressAt(double x, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(chart_->viewport(), button, {}, At(x));
    QTest::mouseRelease(chart_->viewport(), button, {}, At(x));
  }

  GridModel& Table() { return points_.SG_GrafPoint->Grid(); }
  QStringList TableColumn(int col) {
    QStringList cells;
    for (int r = 0; r < Table().RowCount(); ++r) cells << Table().Cells(col, r);
    return cells;
  }
  QList<int> Picks() {
    QList<int> picks;
    for (int k = 1; k <= window_->SelectedPointCount; ++k) picks << window_->SelectedPoints[k];
    return picks;
  }
  QList<double> MarkerXs() {
    QList<double> xs;
    for (int i = 0; i < window_->Series_Point->Count(); ++i) xs << window_->Series_Point->XValue(i);
    return xs;
  }
  // A user's click on a cell of the point table.
  void ClickTableColumn(int col) {
    StringGrid* grid = points_.SG_GrafPoint;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(Table().IndexOf(col, 2)).center());
  }
  std::array<bool, 3> Buttons() {
    return {points_.Btn_DelCol->isEnabled(), points_.Btn_ClearAllPoint->isEnabled(),
            points_.Btn_InTble->isEnabled()};
  }

  TForm_NastrGraf settings_;
  TForm_GrafPoint points_;
  ChartView* chart_ = nullptr;
};

}  // namespace

TEST_F(GraphPageTest, FillingLabelsTheSettingsAndThePointTable) {
  TForm_main& w = OpenGraph(Records(3));
  for (int n = 1; n <= 13; ++n) {
    EXPECT_EQ(settings_.CheckBox_G(n)->isVisibleTo(&settings_), n <= 10) << n;
    EXPECT_EQ(settings_.ST_ColorG(n)->isVisibleTo(&settings_), n <= 10) << n;
  }
  EXPECT_EQ(settings_.CheckBox_G(1)->text(), "Угол наклона стрелы, град.");
  EXPECT_EQ(settings_.CheckBox_G(5)->text(), "Давление в штоковой полости, атм.");
  EXPECT_EQ(settings_.CheckBox_G(6)->text(), "Масса груза, т");
  EXPECT_EQ(settings_.CheckBox_G(10)->text(), "Степень загрузки, %");
  EXPECT_EQ(TForm_NastrGraf::SwatchColour(settings_.ST_ColorG(4)), w.Series_G(4)->Colour());

  EXPECT_EQ(Table().ColCount(), 2);
  EXPECT_EQ(Table().RowCount(), 18);
  EXPECT_EQ(TableColumn(0), kType2Titles);
  EXPECT_EQ(Table().ColWidth(0), 80);
  EXPECT_EQ(Table().DefaultRowHeight(), 15);

  // A type-4 file relabels the boxes from its own columns.
  WriteDataFile(data_, "b.bbi", FileLines(Records(2, "4")));
  w.SpeedItem_SpisokClick();
  w.RefreshFileList();
  w.SelectRow(int(FileNames().indexOf("b.bbi")));
  w.SpeedItem_GrafClick();
  EXPECT_EQ(settings_.CheckBox_G(2)->text(), "Угол подъема гуська (маневрового гуська), м");
  EXPECT_EQ(settings_.CheckBox_G(5)->text(), "Угол азимута, град.");
  EXPECT_EQ(Table().Cells(0, 3), "b");
}

TEST_F(GraphPageTest, DoubleClicksPickRecordsInAscendingOrderWithMarkers) {
  TForm_main& w = OpenGraph(Records(12));
  // Left of the first graph point (X value below -0.5) nothing is picked.
  DoubleClickAt(-0.7);
  EXPECT_EQ(w.SelectedPointCount, 0);
  EXPECT_EQ(w.Series_Point->Count(), 0);
  ASSERT_FALSE(points_.isVisible());
  EXPECT_EQ(w.RecordUnderCursor(At(-0.3)), 1);
  EXPECT_EQ(w.RecordUnderCursor(At(2.7)), 4);
  EXPECT_EQ(w.RecordUnderCursor(QPointF(-1e12, 0)), 0);
  EXPECT_GT(w.RecordUnderCursor(QPointF(1e12, 0)), 12);
  for (double x : {6.0, 2.0, 4.0}) DoubleClickAt(x);
  EXPECT_TRUE(points_.isVisible());
  EXPECT_EQ(Picks(), (QList<int>{3, 5, 7}));
  ASSERT_EQ(Table().ColCount(), 5);
  EXPECT_EQ(TableColumn(2).mid(0, 3), (QStringList{"3", "03.02.03 04:05:06", "3"}));
  EXPECT_EQ(TableColumn(4).mid(0, 2), (QStringList{"7", "07.02.03 04:05:06"}));
  EXPECT_EQ(Table().ColWidth(3), 100);
  EXPECT_EQ(MarkerXs(), (QList<double>{2, 2, 2, 4, 4, 4, 6, 6, 6}));
  // Each marker runs from 0 to the largest value of all graphs: the load degree, 83 %.
  EXPECT_DOUBLE_EQ(w.ChartMinY, 0);
  EXPECT_DOUBLE_EQ(w.ChartMaxY, 83);
  EXPECT_DOUBLE_EQ(w.Series_Point->YValue(3), 0);
  EXPECT_DOUBLE_EQ(w.Series_Point->YValue(4), 83);
  EXPECT_EQ(w.Series_Point->PointColour(4), QColor(0xFF, 0, 0));
  EXPECT_EQ(w.Series_Point->PointColour(5), QColor(0xC0, 0xC0, 0xC0));
  // The second press of a double click shows the record in column 1 as well.
  EXPECT_EQ(TableColumn(1).mid(0, 2), (QStringList{"5", "05.02.03 04:05:06"}));

  // Deleting the column of record 5 removes its marker, Series_Point points 3 to 5.
  ClickTableColumn(3);
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{true, true, true}));
  // The click selects the whole column below the titles.
  QModelIndexList selected = points_.SG_GrafPoint->selectionModel()->selectedIndexes();
  EXPECT_EQ(selected.size(), 17);
  for (const QModelIndex& index : selected) EXPECT_EQ(index.column(), 3);
  points_.Btn_DelCol->click();
  EXPECT_EQ(Picks(), (QList<int>{3, 7}));
  EXPECT_EQ(Table().ColCount(), 4);
  EXPECT_EQ(Table().Cells(3, 0), "7");
  EXPECT_EQ(MarkerXs(), (QList<double>{2, 2, 2, 6, 6, 6}));
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{false, true, false}));

  // The same record may be picked twice; up to eleven picks, the twelfth adds nothing.
  for (double x : {2.0, 0.4, 1.0, 5.0, 8.0, 9.0, 10.0, 11.0, 11.0}) DoubleClickAt(x);
  EXPECT_EQ(Picks(), (QList<int>{1, 2, 3, 3, 6, 7, 9, 10, 11, 12, 12}));
  EXPECT_EQ(w.Series_Point->Count(), 33);
  DoubleClickAt(4.0);
  EXPECT_EQ(w.SelectedPointCount, 11);
  EXPECT_EQ(w.Series_Point->Count(), 33);
  EXPECT_EQ(Table().ColCount(), 13);

  // A pick of a record picked twice removes one of its markers.
  ClickTableColumn(4);
  points_.Btn_DelCol->click();
  EXPECT_EQ(Picks(), (QList<int>{1, 2, 3, 6, 7, 9, 10, 11, 12, 12}));
  EXPECT_EQ(MarkerXs().mid(0, 12), (QList<double>{0, 0, 0, 1, 1, 1, 2, 2, 2, 5, 5, 5}));
}

// The ten graphs as the screen shows them: every colour is found on the plot, white too, as
// the plot shows the panel's button face; a pick's marker runs the plot's height in maroon.
TEST_F(GraphPageTest, EveryGraphColourAndTheMarkerShowOnThePlot) {
  Type2Record first;  // every graph at 0, the load degree at 100 %
  first.a = first.L = first.pp = first.psh = first.q = first.r = first.h = first.qmax = "0000.00";
  first.g = "+000";
  first.m = "100";
  Type2Record level;  // 10, 20, ..., 90 and 95 % of the full scales
  level.a = "0009.00";
  level.L = "0008.00";
  level.g = "+054";
  level.pp = "0100.00";
  level.psh = "0125.00";
  level.q = "0012.00";
  level.r = "0007.00";
  level.h = "0024.00";
  level.qmax = "0018.00";
  level.m = "095";
  FileSpec spec;
  spec.operational << first.Line() << level.Line() << level.Line() << level.Line();
  TForm_main& w = OpenGraph(spec);
  DoubleClickAt(2.0);
  chart_->Sync();
  QCoreApplication::processEvents();
  const QImage image = chart_->viewport()->grab().toImage();
  const QRect plot = chart_->PlotArea().toAlignedRect().adjusted(1, 1, -1, -1);
  auto count = [&](const QColor& colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (image.pixelColor(x, y) == colour) ++n;
    return n;
  };
  for (int k = 1; k <= 10; ++k)
    EXPECT_GT(count(w.Series_G(k)->Colour(), plot), plot.width() / 2) << k;
  EXPECT_EQ(image.pixelColor(plot.right() - 4, plot.bottom() - int(plot.height() * 0.15)),
            chart_->palette().color(QPalette::Button));
  const QColor maroon(0x80, 0, 0);
  EXPECT_GT(count(maroon, QRect(At(2.0).x() - 1, plot.top(), 3, plot.height())),
            plot.height() * 0.9);
  EXPECT_EQ(w.Series_Point->Colour(), QColor(Qt::red));
}

TEST_F(GraphPageTest, ClosingTheProgramOnTheGraphPageRunsNoPageHandler) {
  OpenGraph(Records(3));
  DoubleClickAt(1.0);
  ASSERT_TRUE(points_.isVisible());
  const QPointer<ChartView> chart = chart_;
  window_.reset();
  EXPECT_TRUE(chart.isNull());
  // Taking the window down is no change of page: the point table is not closed by it.
  EXPECT_TRUE(points_.isVisible());
}

TEST_F(GraphPageTest, LeftPressShowsTheRecordUnderTheCursorWhileTheTableIsShown) {
  TForm_main& w = OpenGraph(Records(4));
  PressAt(1);
  EXPECT_EQ(TableColumn(1), QStringList(18, QString())) << "table hidden";
  w.Btn_ShowTablePoint->click();
  ASSERT_TRUE(points_.isVisible());
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{false, false, false}));
  PressAt(1, Qt::RightButton);
  EXPECT_EQ(TableColumn(1), QStringList(18, QString()));
  PressAt(1);
  EXPECT_EQ(w.CurrentPoint, 2);
  EXPECT_EQ(TableColumn(1).mid(0, 3), (QStringList{"2", "02.02.03 04:05:06", "2"}));
  EXPECT_EQ(Table().ColWidth(1), 100);

  // Deleting all points keeps column 1 and its record.
  DoubleClickAt(3);
  DoubleClickAt(0);
  PressAt(2);
  points_.Btn_ClearAllPoint->click();
  EXPECT_EQ(w.SelectedPointCount, 0);
  EXPECT_EQ(w.Series_Point->Count(), 0);
  EXPECT_EQ(Table().ColCount(), 2);
  EXPECT_EQ(TableColumn(1).mid(0, 2), (QStringList{"3", "03.02.03 04:05:06"}));
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{false, false, false}));
  // The table column of the pressed record has no point to delete.
  ClickTableColumn(1);
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{false, false, false}));

  // A new read forgets the picks but keeps the pressed record.
  DoubleClickAt(1);
  w.SpeedItem_SpisokClick();
  EXPECT_FALSE(points_.isVisible()) << "leaving the page closes the table";
  w.SpeedItem_GrafClick();
  EXPECT_EQ(w.SelectedPointCount, 0);
  EXPECT_EQ(w.Series_Point->Count(), 0);
  EXPECT_EQ(Table().ColCount(), 2);
  EXPECT_EQ(Table().Cells(1, 0), "2");
  // The read leaves the buttons as they were; showing the table with no pick disables them.
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{false, true, false}));
  w.Btn_ShowTablePoint->click();
  EXPECT_EQ(Buttons(), (std::array<bool, 3>{false, false, false}));
}

TEST_F(GraphPageTest, ShowInTableMovesTheTableRowAndSwitchesPage) {
  TForm_main& w = OpenGraph(Records(5));
  ScriptedMessageBox boxes;
  DoubleClickAt(3);
  ClickTableColumn(2);
  points_.Btn_InTble->click();
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(w.PageControl1->currentIndex(), 1);
  EXPECT_EQ(w.SG_TPCR->Row(), 4);
  EXPECT_EQ(w.CurrentRowTPCR, 4);
  EXPECT_FALSE(points_.isVisible());

  // A record right of the last graph point is no row of the table: the error is
  // reported, the row stays and the page is not switched.
  w.SpeedItem_GrafClick();
  points_.Btn_ClearAllPoint->click();
  chart_->Sync();
  chart_->SetBottomAxisRange(0, 9);
  DoubleClickAt(7);
  EXPECT_EQ(Picks(), (QList<int>{8}));
  // Its column holds no record number; column 1 holds the number of no row.
  ClickTableColumn(2);
  points_.Btn_InTble->click();
  ClickTableColumn(1);
  points_.Btn_InTble->click();
  ExpectBoxes(boxes, {{"'' is not a valid integer value", "Ошибка", MsgButtons::Ok, MsgIcon::Error},
                      {"Grid index out of range", "Ошибка", MsgButtons::Ok, MsgIcon::Error}});
  EXPECT_EQ(w.PageControl1->currentIndex(), 4);
  EXPECT_EQ(w.SG_TPCR->Row(), 4);
}

TEST_F(GraphPageTest, SettingsSwitchAndRecolourSeries) {
  TForm_main& w = OpenGraph(Records(3));
  ScriptedColorDialog colours;
  colours.Answer(QColor(0x12, 0x34, 0x56));
  colours.Answer(std::nullopt);
  bool shownModal = false;
  QTimer::singleShot(0, [&] {
    shownModal = settings_.isModal() && settings_.isVisible();
    EXPECT_TRUE(settings_.CheckBox_G(3)->isChecked());
    settings_.CheckBox_G(3)->click();
    QTest::mouseClick(settings_.ST_ColorG(6), Qt::LeftButton);
    QTest::mouseClick(settings_.ST_ColorG(7), Qt::LeftButton);  // cancelled
    settings_.Button1->click();
  });
  w.Btn_NastrGraf->click();
  EXPECT_TRUE(shownModal);
  EXPECT_FALSE(settings_.isVisible());
  EXPECT_FALSE(w.Series_G(3)->Active());
  EXPECT_EQ(w.Series_G(6)->Colour(), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(TForm_NastrGraf::SwatchColour(settings_.ST_ColorG(6)), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(w.Series_G(7)->Colour(), QColor(0xFF, 0x00, 0xFF));
  // The dialog opens with the colour it returned last, not the swatch's.
  ASSERT_EQ(colours.Requests().size(), 2);
  EXPECT_EQ(colours.Requests()[0].initial, QColor(Qt::black));
  EXPECT_EQ(colours.Requests()[1].initial, QColor(0x12, 0x34, 0x56));

  // The choices survive another read, and the window shows them when opened again.
  w.SpeedItem_SpisokClick();
  w.SpeedItem_GrafClick();
  EXPECT_FALSE(w.Series_G(3)->Active());
  EXPECT_EQ(TForm_NastrGraf::SwatchColour(settings_.ST_ColorG(6)), QColor(0x12, 0x34, 0x56));
  QTimer::singleShot(0, [&] {
    EXPECT_FALSE(settings_.CheckBox_G(3)->isChecked());
    EXPECT_TRUE(settings_.CheckBox_G(4)->isChecked());
    settings_.CheckBox_G(3)->click();
    settings_.close();
  });
  w.Btn_NastrGraf->click();
  EXPECT_TRUE(w.Series_G(3)->Active());
}

TEST_F(GraphPageTest, CopyPutsAPictureAndAnSvgOnTheClipboard) {
  TForm_main& w = OpenGraph(Records(3));
  QGuiApplication::clipboard()->clear();
  w.Btn_CopyImage->click();
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasImage());
  const QImage image = qvariant_cast<QImage>(mime->imageData());
  EXPECT_EQ(image.size(), chart_->viewport()->size());
  const QByteArray svg = mime->data("image/svg+xml");
  EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
  EXPECT_TRUE(svg.contains("polyline") || svg.contains("path"));
}
