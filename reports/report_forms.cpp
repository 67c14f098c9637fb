#include "reports/report_forms.h"

#include "archive/data_file.h"

namespace {

QFont Arial(int points, bool bold = false) {
  QFont font(QStringLiteral("Arial"), points);
  font.setBold(bold);
  return font;
}

// The report windows are never shown; the size is the one they were designed at.
constexpr int kFormWidth = 696;
constexpr int kFormHeight = 534;

}  // namespace

void HeadingLabels::Set(const ReportHeading& heading) const {
  QL_Type_Kran->SetCaption(QStringLiteral("Тип крана : ") + heading.CraneType);
  QL_Nom_Kran->SetCaption(QStringLiteral("Номер крана : ") + heading.CraneNumber);
  QL_Nom_Pribor->SetCaption(QStringLiteral("Номер прибора : ") + heading.DeviceNumber);
  QL_Data_Ust->SetCaption(QStringLiteral("Дата считывания : ") + heading.ReadDate);
  QL_Name_Operator->SetCaption(QStringLiteral("Оператор : ") + heading.OperatorName);
  QL_Primechanie->SetCaption(QStringLiteral("Примечание : ") + heading.Comment);
}

ReportWindow::ReportWindow(const QString& objectName, const QString& reportName, QWidget* parent)
    : QWidget(parent), report_(new Report(reportName, this)) {
  setObjectName(objectName);
  setWindowTitle(objectName);
  resize(kFormWidth, kFormHeight);
}

void ReportWindow::AddBands(double titleHeight, double detailHeight, double footerHeight) {
  TitleBand = report_->AddBand(QStringLiteral("TitleBand1"), BandKind::Title, titleHeight);
  DetailBand = report_->AddBand(QStringLiteral("DetailBand1"), BandKind::Detail, detailHeight);
  PageFooterBand =
      report_->AddBand(QStringLiteral("PageFooterBand1"), BandKind::PageFooter, footerHeight);
  const QFont bold = Arial(10, true);
  PageFooterBand->AddSystemField(QStringLiteral("QRSysData1"), QPointF(8, 6), SystemData::DateTime,
                                 bold);
  PageFooterBand->AddLabel(QStringLiteral("QRLabel_Page"), QPointF(576, 6),
                           QStringLiteral("Страница"), bold);
  PageFooterBand->AddSystemField(
      QStringLiteral("QRSysData2"),
      QPointF(576 + DesignTextWidth(bold, QStringLiteral("Страница ")), 6), SystemData::PageNumber,
      bold);
}

void ReportWindow::AddHeadingLabels(ReportBand* band, double left,
                                    const std::array<double, 6>& tops, const QFont& font) {
  // Placeholders: the print command always puts the file's texts here.
  ReportLabel** labels[] = {&Heading.QL_Type_Kran,     &Heading.QL_Nom_Kran,
                            &Heading.QL_Nom_Pribor,    &Heading.QL_Data_Ust,
                            &Heading.QL_Name_Operator, &Heading.QL_Primechanie};
  static const char* const kNames[] = {"QL_Type_Kran", "QL_Nom_Kran",      "QL_Nom_Pribor",
                                       "QL_Data_Ust",  "QL_Name_Operator", "QL_Primechanie"};
  for (std::size_t i = 0; i < 6; ++i) {
    const QString name = QString::fromLatin1(kNames[i]);
    *labels[i] = band->AddLabel(name, QPointF(left, tops[i]), name, font);
  }
}

TForm_PrintTPCR::TForm_PrintTPCR(QWidget* parent)
    : ReportWindow(QStringLiteral("Form_PrintTPCR"), QStringLiteral("QR_TPCR"), parent),
      QR_TPCR(ReportObject()) {
  AddBands(264, 983, 26);
  TitleBand->AddLabel(QStringLiteral("QRLabel1"), QPointF(328, 32), QStringLiteral("Отчет"),
                      Arial(14));
  AddHeadingLabels(TitleBand, 32, {96, 120, 144, 168, 192, 216}, Arial(14));
  const QFont memoFont = Arial(8);
  constexpr double kDesignWidth = 60;
  QRMemo[0] = DetailBand->AddMemo(QStringLiteral("QRMemo0"), QRectF(12, 2, 30, 980), memoFont);
  for (int k = 1; k <= kMemoCount; ++k) {
    QRMemo[std::size_t(k)] =
        DetailBand->AddMemo(QStringLiteral("QRMemo%1").arg(k),
                            QRectF(44 + (k - 1) * kDesignWidth, 2, kDesignWidth, 980), memoFont);
  }
}

TForm_PrintParam::TForm_PrintParam(QWidget* parent)
    : ReportWindow(QStringLiteral("Form_PrintParam"), QStringLiteral("QR_Param"), parent),
      QR_Param(ReportObject()) {
  AddBands(51, 837, 37);
  const QFont bold = Arial(10, true);
  TitleBand->AddLabel(QStringLiteral("QRLabel1"), QPointF(248, 16),
                      QStringLiteral("Нагрузочные характеристики"), bold);
  AddHeadingLabels(DetailBand, 72, {40, 72, 104, 136, 168, 192}, bold);
  QRChart1 = DetailBand->AddChart(QStringLiteral("QRChart1"), QRectF(26, 280, 641, 242));
  QRChart1->SetBackWallClear(true);
  ReportLabel** const values[] = {&QL_ST_Csum,  &QL_ST_Haract, &QL_ST_ClassIsp, &QL_ST_Km,
                                  &QL_ST_Rezim, &QL_ST_Mch,    &QL_ST_TO};
  static const char* const kNames[] = {"QL_ST_Csum",  "QL_ST_Haract", "QL_ST_ClassIsp", "QL_ST_Km",
                                       "QL_ST_Rezim", "QL_ST_Mch",    "QL_ST_TO"};
  double top = 648;
  for (int i = 0; i < 7; ++i) {
    DetailBand->AddLabel(QStringLiteral("QRLabel%1").arg(i + 2), QPointF(72, top),
                         QString::fromUtf8(DataFile::kLongTermCaptions[i]), bold);
    const QString name = QString::fromLatin1(kNames[i]);
    *values[i] = DetailBand->AddLabel(name, QPointF(552, top), name, bold);
    top += 24;
  }
}

TForm_PrintGraf::TForm_PrintGraf(QWidget* parent)
    : ReportWindow(QStringLiteral("Form_PrintGraf"), QStringLiteral("QR_Graf"), parent),
      QR_Graf(ReportObject()) {
  AddBands(51, 736, 40);
  const QFont bold = Arial(10, true);
  TitleBand->AddLabel(QStringLiteral("QRLabel1"), QPointF(248, 16), QStringLiteral("График работы"),
                      bold);
  AddHeadingLabels(DetailBand, 56, {8, 40, 72, 104, 136, 168}, bold);
  QRChart1 = DetailBand->AddChart(QStringLiteral("QRChart1"), QRectF(7, 210, 665, 402));
  // Fixed limits: the print command copies the screen graph's.
  QRChart1->SetLeftAxis(0, 100);
  QRChart1->SetBottomAxis(0, 100);
  QRChart1->SetTopAxis(0, 100);
}

TForm_PrintTP::TForm_PrintTP(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form_PrintTP"));
  setWindowTitle(QStringLiteral("Form_PrintTP"));
  resize(kFormWidth, kFormHeight);
}
