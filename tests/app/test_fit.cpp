// Every text that a window or report places in a fixed width fits that width in the fonts the
// program really uses.
#include "app/start_up.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"
#include "platform/scripted_services.h"
#include "reports/report_engine.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QStyleOptionHeader>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// The width a header section leaves its title, as the header's style lays it out.
int HeaderTextWidth(const QHeaderView* header, int section) {
  QStyleOptionHeader option;
  option.initFrom(header);
  option.rect = QRect(0, 0, header->sectionSize(section), header->height());
  option.section = section;
  option.text = header->model()->headerData(section, header->orientation()).toString();
  return header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
}

// The width an item view's column leaves its text: the style's text margin on both sides, and
// the grid line takes the last pixel.
int ItemTextWidth(const QAbstractItemView* view, int width) {
  const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  return width - 1 - 2 * margin;
}

int Advance(const QFont& font, const QString& text) {
  return QFontMetrics(font).horizontalAdvance(text);
}

class FitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpApplication();
    ASSERT_TRUE(temp_.isValid());
    const QDir samples(QStringLiteral(JW_SAMPLES_DIR));
    for (const QString& name : {kType2, kType4})
      ASSERT_TRUE(QFile::copy(samples.filePath(name), temp_.filePath(name)));
    w_ = CreateApplicationWindows({temp_.filePath(kType2)}, temp_.filePath("jibwarden"));
  }

  // Opens a sample on the table page.
  void Open(const QString& name) {
    TForm_main& main = *w_->Form_main;
    main.SpeedItem_SpisokClick();
    for (int row = 0; row < main.ListView1->topLevelItemCount(); ++row)
      if (main.ListView1->topLevelItem(row)->text(7) == name) main.SelectRow(row);
    main.SpeedItem_TableClick();
  }

  const QString kType2 = QStringLiteral("д14м06г2024ч10м15c42_1187.bbi");
  const QString kType4 = QStringLiteral("д08м07г2024ч16м45c30_931.bbi");
  QTemporaryDir temp_;
  std::unique_ptr<AppWindows> w_;
};

TEST_F(FitTest, RecordGridsListAndReportColumnsHoldTheirWidestTexts) {
  ScriptedMessageBox boxes;
  // The widest text each grid column's format allows: a table holds at most 65 535 records;
  // numbers have at most four whole digits and two decimals; the azimuth has a sign and three
  // digits; codes two digits, the load degree three; one character per signal.
  const QString number = QStringLiteral("0000.00");
  const struct {
    QString file;
    QStringList widest;
  } types[] = {
      {kType2,
       {"65535", "00.00.00 00:00:00", number, number, "-000", number, number, "00", "00", "00",
        number, number, number, number, "000", "00000", "000000", "00000000000000"}},
      {kType4,
       {"65535", "00.00.00 00:00:00", number, number, number, number, "-000", "00", "00", number,
        number, number, number, number, "000", "000000", "00", "00000"}},
  };
  for (const auto& type : types) {
    Open(type.file);
    for (StringGrid* grid : {w_->Form_main->SG_TPCR, w_->Form_main->SG_TP}) {
      const GridModel& cells = grid->Grid();
      ASSERT_EQ(cells.ColCount(), type.widest.size());
      for (int c = 0; c < cells.ColCount(); ++c) {
        const QString where = grid->objectName() + " " + type.file + " column " +
                              QString::number(c) + " " + cells.Cells(c, 0);
        const int width = cells.ColWidth(c);
        // The grid line takes the last pixel of a cell.
        EXPECT_LE(kCellTextMargin + Advance(grid->font(), type.widest[c]), width - 1)
            << where.toStdString();
        EXPECT_LE(Advance(grid->horizontalHeader()->font(), cells.Cells(c, 0)),
                  HeaderTextWidth(grid->horizontalHeader(), c))
            << where.toStdString();
        // A report column is as wide as its grid column and centres the title and the cells.
        const QFont memo = w_->Form_PrintTPCR->QRMemo[1]->Font();
        for (const QString& text : {type.widest[c], cells.Cells(c, 0)})
          EXPECT_LE(DesignTextWidth(memo, text), width) << where.toStdString();
      }
    }
  }

  const QTreeWidget* list = w_->Form_main->ListView1;
  for (int c = 0; c < list->columnCount(); ++c)
    EXPECT_LE(Advance(list->header()->font(), list->headerItem()->text(c)),
              HeaderTextWidth(list->header(), c))
        << list->headerItem()->text(c).toStdString();

  // The print dialog shows both columns of its list, titles and marks whole.
  TForm_PrintDialog& dialog = *w_->Form_PrintDialog;
  dialog.PrepareColumns(w_->Form_main->SG_TPCR->Grid());
  dialog.show();
  const QTableWidget* marks = dialog.SG_PrintTab;
  EXPECT_GE(marks->viewport()->width(), marks->columnWidth(0) + marks->columnWidth(1));
  QFont bold = marks->font();
  bold.setBold(true);
  bold.setPointSize(9);
  EXPECT_LE(2 + Advance(bold, TForm_PrintDialog::kPrint), marks->columnWidth(1) - 1);
  EXPECT_LE(Advance(marks->font(), TForm_PrintDialog::kNoPrint),
            ItemTextWidth(marks, marks->columnWidth(1)));
  for (int row = 0; row < marks->rowCount(); ++row)
    EXPECT_LE(Advance(marks->font(), marks->item(row, 0)->text()),
              ItemTextWidth(marks, marks->columnWidth(0)))
        << marks->item(row, 0)->text().toStdString();
  const QStringList hint = dialog.Label1->text().split(u'\n');
  for (const QString& line : hint)
    EXPECT_LE(Advance(dialog.Label1->font(), line), dialog.Label1->contentsRect().width())
        << line.toStdString();
  dialog.hide();
}

TEST_F(FitTest, LabelsBesideFieldsAndLongTermCaptionsBesideValuesAreWhole) {
  for (QDialog* window :
       std::initializer_list<QDialog*>{w_->Form_Read.get(), w_->Form_Palm.get()}) {
    window->show();
    for (const QLabel* label : window->findChildren<QLabel*>()) {
      if (!label->text().startsWith(u' ')) continue;  // the captions of the fields
      EXPECT_LE(Advance(label->font(), label->text()), label->contentsRect().width())
          << window->objectName().toStdString() << " '" << label->text().toStdString() << "'";
    }
    window->hide();
  }

  // On the long-term report each caption ends before its value begins, and the widest value
  // ends within the band.
  const TForm_PrintParam& report = *w_->Form_PrintParam;
  const ReportLabel* values[] = {report.QL_ST_Csum, report.QL_ST_Haract, report.QL_ST_ClassIsp,
                                 report.QL_ST_Km,   report.QL_ST_Rezim,  report.QL_ST_Mch,
                                 report.QL_ST_TO};
  for (const ReportLabel* value : values) {
    const ReportLabel* caption = nullptr;
    for (const ReportItem* item : report.QR_Param->Band(BandKind::Detail)->Items()) {
      const auto* label = qobject_cast<const ReportLabel*>(item);
      if (label && label != value && label->Geometry().top() == value->Geometry().top())
        caption = label;
    }
    ASSERT_NE(caption, nullptr) << value->objectName().toStdString();
    EXPECT_LT(caption->Geometry().left() + DesignTextWidth(caption->Font(), caption->Caption()),
              value->Geometry().left())
        << caption->Caption().toStdString();
    EXPECT_LE(value->Geometry().left() + DesignTextWidth(value->Font(), "неопределен"), 681);
  }
}

}  // namespace
