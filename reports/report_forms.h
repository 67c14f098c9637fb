#pragma once
// The report windows: each holds one report and is never shown itself; the print command
// fills the report's controls and shows its preview.

#include "reports/report_engine.h"

#include <QWidget>

#include <array>

// The six heading texts of the open data file.
struct ReportHeading {
  QString CraneType, CraneNumber, DeviceNumber, ReadDate, OperatorName, Comment;
};

// The heading labels every report carries under the same names.
struct HeadingLabels {
  ReportLabel* QL_Type_Kran = nullptr;
  ReportLabel* QL_Nom_Kran = nullptr;
  ReportLabel* QL_Nom_Pribor = nullptr;
  ReportLabel* QL_Data_Ust = nullptr;
  ReportLabel* QL_Name_Operator = nullptr;
  ReportLabel* QL_Primechanie = nullptr;

  // Each label := its prefix ("Тип крана : ", ...) + the text.
  void Set(const ReportHeading& heading) const;
};

class ReportWindow : public QWidget {
  Q_OBJECT
 public:
  Report* ReportObject() const { return report_; }
  HeadingLabels Heading;

 protected:
  ReportWindow(const QString& objectName, const QString& reportName, QWidget* parent);
  // Title, detail and page-footer bands with the footer's date and page fields.
  void AddBands(double titleHeight, double detailHeight, double footerHeight);
  void AddHeadingLabels(ReportBand* band, double left, const std::array<double, 6>& tops,
                        const QFont& font);
  ReportBand* TitleBand = nullptr;
  ReportBand* DetailBand = nullptr;
  ReportBand* PageFooterBand = nullptr;

 private:
  Report* report_;
};

// Operational records: ten column memos side by side under the heading.
class TForm_PrintTPCR : public ReportWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintTPCR(QWidget* parent = nullptr);
  static constexpr int kMemoCount = 10;
  Report* QR_TPCR;
  // QRMemo[0] is QRMemo0, never filled; QRMemo[1..10] are the printed columns.
  std::array<ReportMemo*, kMemoCount + 1> QRMemo{};
};

// Load characteristics: the load-spectrum chart and the seven long-term values.
class TForm_PrintParam : public ReportWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintParam(QWidget* parent = nullptr);
  Report* QR_Param;
  ReportChart* QRChart1;
  ReportLabel* QL_ST_Csum;
  ReportLabel* QL_ST_Haract;
  ReportLabel* QL_ST_ClassIsp;
  ReportLabel* QL_ST_Km;
  ReportLabel* QL_ST_Rezim;
  ReportLabel* QL_ST_Mch;
  ReportLabel* QL_ST_TO;
};

// The graph: the screen graph's series within its axis limits.
class TForm_PrintGraf : public ReportWindow {
  Q_OBJECT
 public:
  explicit TForm_PrintGraf(QWidget* parent = nullptr);
  Report* QR_Graf;
  ReportChart* QRChart1;
};

// Created at start-up and never used.
class TForm_PrintTP : public QWidget {
  Q_OBJECT
 public:
  explicit TForm_PrintTP(QWidget* parent = nullptr);
};
