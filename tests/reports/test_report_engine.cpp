#include "reports/report_forms.h"
#include "tests/support/test_files.h"

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

TEST(ReportEngineTest, LongMemosRunOnToFurtherPagesWithTheFooterOnEach) {
  TForm_PrintTPCR tpcr;
  tpcr.Heading.Set(kHeading);
  for (int i = 0; i < 200; ++i) tpcr.QRMemo[1]->Add(QString::number(i));
  const int pages = tpcr.QR_TPCR->PageCount();
  EXPECT_GE(pages, 3);

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
  for (int i = 0; i < 150; ++i) tpcr.QRMemo[1]->Add(QString::number(i));
  QTemporaryDir dir;
  const QString path = dir.filePath("r.pdf");
  ASSERT_TRUE(tpcr.QR_TPCR->ExportPdf(path));
  const QByteArray pdf = jwtest::ReadBytes(path);
  EXPECT_TRUE(pdf.startsWith("%PDF"));
  EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "),
            qsizetype(tpcr.QR_TPCR->PageCount()));
}

}  // namespace
