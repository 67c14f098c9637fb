#include "reports/report_forms.h"

#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const ReportHeading kHeading{"КС-45717", "2075", "931", "01.07.24", "Иванов", "после ремонта"};

// How many pixels of `area` pass `test`.
template <typename Test>
int Count(const QImage& image, QRect area, Test test) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixelColor(x, y));
  return n;
}

bool HasInk(const QImage& image, QRect area) {
  return Count(image, area, [](QColor c) { return qGray(c.rgb()) < 128; }) > 0;
}

// Design pixels to image pixels at 96 dpi, margins of 15 mm included.
QRect OnPage(double left, double top, double width, double height) {
  const double margin = 15 / 25.4 * 96;
  return QRectF(margin + left, margin + top, width, height).toRect();
}

TEST(ReportFormsTest, HeadingGetsPrefixesAndASecondFillReplacesTheFirst) {
  TForm_PrintParam param;
  param.Heading.Set({"A", "B", "C", "D", "E", "F"});
  param.Heading.Set(kHeading);
  EXPECT_EQ(param.Heading.QL_Type_Kran->Caption(), "Тип крана : КС-45717");
  EXPECT_EQ(param.Heading.QL_Nom_Kran->Caption(), "Номер крана : 2075");
  EXPECT_EQ(param.Heading.QL_Nom_Pribor->Caption(), "Номер прибора : 931");
  EXPECT_EQ(param.Heading.QL_Data_Ust->Caption(), "Дата считывания : 01.07.24");
  EXPECT_EQ(param.Heading.QL_Name_Operator->Caption(), "Оператор : Иванов");
  EXPECT_EQ(param.Heading.QL_Primechanie->Caption(), "Примечание : после ремонта");
}

TEST(ReportEngineTest, PageIsA4WithFifteenMillimetreMarginsAndBandWidth681) {
  const QPageLayout page = Report::PageLayout();
  EXPECT_EQ(page.pageSize().id(), QPageSize::A4);
  EXPECT_EQ(page.orientation(), QPageLayout::Portrait);
  EXPECT_EQ(page.margins(QPageLayout::Millimeter), QMarginsF(15, 15, 15, 15));
  EXPECT_NEAR(Report::BodySize().width(), 681, 1);
}

TEST(ReportEngineTest, LongMemosRunOnToFurtherPagesWithTheFooterOnEach) {
  TForm_PrintTPCR tpcr;
  tpcr.Heading.Set(kHeading);
  EXPECT_EQ(tpcr.QR_TPCR->PageCount(), 1);
  for (int i = 0; i < 200; ++i) tpcr.QRMemo[1]->Add(QString::number(i));
  const int pages = tpcr.QR_TPCR->PageCount();
  EXPECT_GE(pages, 3);
  // A shorter second column does not add pages.
  tpcr.QRMemo[2]->Add("x");
  EXPECT_EQ(tpcr.QR_TPCR->PageCount(), pages);

  const QImage first = tpcr.QR_TPCR->RenderPage(0);
  const QImage last = tpcr.QR_TPCR->RenderPage(pages - 1);
  EXPECT_EQ(first.size(), QSize(794, 1122));
  // Heading on the first page only; memo text and the footer on every page.
  EXPECT_TRUE(HasInk(first, OnPage(200, 96, 200, 20)));
  EXPECT_FALSE(HasInk(last, OnPage(200, 96, 200, 20)));
  const double footerTop = Report::BodySize().height() - 26;
  EXPECT_TRUE(HasInk(first, OnPage(0, footerTop, 200, 24)));
  EXPECT_TRUE(HasInk(last, OnPage(0, footerTop, 200, 24)));
  EXPECT_TRUE(HasInk(last, OnPage(44, 0, 60, 14)));
  // Nothing is drawn over the footer.
  EXPECT_FALSE(HasInk(first, OnPage(44, footerTop - 1, 60, 1)));
}

TEST(ReportEngineTest, ChartDrawsTheSeriesItHoldsWithinFixedLimits) {
  TForm_PrintGraf graf;
  ChartSeries series(SeriesKind::Line, "Series_G1");
  series.SetColour(Qt::blue);
  for (int i = 0; i < 50; ++i) series.Add(i % 10);
  const QRect chartArea = OnPage(7, 51 + 210, 665, 402);
  auto blue = [](QColor c) { return c == QColor(Qt::blue); };
  EXPECT_EQ(Count(graf.QR_Graf->RenderPage(0), chartArea, blue), 0);
  graf.QRChart1->AddSeries(&series);
  graf.QRChart1->SetLeftAxis(0, 10);
  graf.QRChart1->SetBottomAxis(0, 49);
  EXPECT_GT(Count(graf.QR_Graf->RenderPage(0), chartArea, blue), 0);
  graf.QRChart1->RemoveSeries(&series);
}

// The load-spectrum chart shows its panel behind the bars and a readable count for every
// band: inside a long bar in white, beyond the end of a too short one in black.
TEST(ReportEngineTest, LongTermChartShowsItsPanelAndEveryCount) {
  TForm_PrintParam param;
  ChartSeries bands(SeriesKind::HorizontalBar, "Series1");
  bands.Add(12000, u"(0...12,5)%", QColor(0, 0, 0xFF));
  bands.Add(9, u"(>100)%", QColor(0xFF, 0, 0));
  param.QRChart1->AddSeries(&bands);
  const QImage page = param.QR_Param->RenderPage(0);
  const QRect chart = OnPage(26, 51 + 280, 641, 242);
  EXPECT_EQ(page.pixelColor(chart.topLeft() + QPoint(2, 2)),
            QGuiApplication::palette().color(QPalette::Button));
  QRect blue;
  for (int y = chart.top(); y <= chart.bottom(); ++y)
    for (int x = chart.left(); x <= chart.right(); ++x)
      if (page.pixelColor(x, y) == QColor(0, 0, 0xFF)) blue |= QRect(x, y, 1, 1);
  ASSERT_GT(blue.width(), 300);
  const QRect barEnd(blue.right() - 60, blue.top(), 61, blue.height());
  EXPECT_GT(Count(page, barEnd, [](QColor c) { return qGray(c.rgb()) > 200; }), 5);
  // The short bar's row lies one row pitch higher; its bar is under a pixel long.
  const int pitch = int(blue.height() / 0.7);
  EXPECT_TRUE(HasInk(page, QRect(blue.left() + 1, blue.center().y() - pitch - 4, 30, 8)));
  EXPECT_FALSE(HasInk(page, QRect(blue.left() + 40, blue.center().y() - pitch - 4, 100, 8)));
  param.QRChart1->RemoveSeries(&bands);
}

TEST(ReportEngineTest, PdfHoldsEveryPage) {
  TForm_PrintTPCR tpcr;
  tpcr.QR_TPCR->SetClock([] { return QDateTime(QDate(2024, 7, 1), QTime(14, 0)); });
  for (int i = 0; i < 150; ++i) tpcr.QRMemo[1]->Add(QString::number(i));
  QTemporaryDir dir;
  const QString path = dir.filePath("r.pdf");
  ASSERT_TRUE(tpcr.QR_TPCR->ExportPdf(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray pdf = file.readAll();
  EXPECT_TRUE(pdf.startsWith("%PDF"));
  EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "),
            qsizetype(tpcr.QR_TPCR->PageCount()));
}

}  // namespace
