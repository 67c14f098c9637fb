#include "platform/grid_model.h"
#include "platform/scripted_services.h"
#include "reports/form_print_dialog.h"
#include "reports/report_preview.h"

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

// A record grid of `cols` columns and 5 data rows; cell (c, r) reads "c:r".
struct Fixture {
  explicit Fixture(int cols = 4) {
    grid.SetColCount(cols);
    grid.SetRowCount(6);
    const char* titles[] = {"N", "Время", "Q", "L"};
    for (int c = 0; c < cols; ++c) {
      grid.SetCells(c, 0, c < 4 ? QString::fromUtf8(titles[c]) : QString::number(c));
      for (int r = 1; r <= 5; ++r) grid.SetCells(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
    }
    TForm_PrintDialog::Hooks hooks;
    hooks.columnTitles = [this] { return &grid; };
    hooks.source = [this] {
      return TForm_PrintDialog::Source{&grid, true, [](int col) { return 50 + col * 10; }};
    };
    hooks.heading = [] { return ReportHeading{"T", "N", "D", "R", "O", "C"}; };
    hooks.report = &report;
    dialog.SetHooks(hooks);
    dialog.PrepareColumns(grid);
  }
  void Mark(int row) {
    dialog.SG_PrintTab->setCurrentCell(row, 1);
    dialog.SG_PrintTabDblClick();
  }
  QString MarkOf(int row) const { return dialog.SG_PrintTab->item(row, 1)->text(); }

  GridModel grid;
  TForm_PrintTPCR report;
  TForm_PrintDialog dialog;
};

// The list shows every title unmarked, the range field follows the mode, and the next print
// command forgets the marks and the mode.
TEST(PrintDialogTest, ModeAndMarks) {
  Fixture f;
  ASSERT_EQ(f.dialog.SG_PrintTab->rowCount(), 4);
  EXPECT_EQ(f.MarkOf(1), "Не печатать");
  EXPECT_FALSE(f.dialog.btnPreview->isEnabled());

  f.dialog.editDiap->setText("2");
  f.dialog.rbDiap->click();
  EXPECT_TRUE(f.dialog.editDiap->isEnabled());
  EXPECT_TRUE(f.dialog.btnPreview->isEnabled());
  f.dialog.rbAll->click();
  EXPECT_EQ(f.dialog.editDiap->text(), "1-");
  EXPECT_FALSE(f.dialog.editDiap->isEnabled());

  f.Mark(2);
  f.dialog.PrepareColumns(f.grid);
  EXPECT_EQ(f.MarkOf(2), "Не печатать");
  EXPECT_FALSE(f.dialog.rbAll->isChecked());
}

// A marked cell shows only its bold mark: the plain text the grid drew beneath is covered.
TEST(PrintDialogTest, AMarkedCellShowsOnlyItsBoldMark) {
  Fixture f;
  f.Mark(1);
  f.dialog.show();
  QTableWidget& list = *f.dialog.SG_PrintTab;
  list.setCurrentCell(0, 0);
  const QRect cell = list.visualItemRect(list.item(1, 1)).adjusted(0, 0, -1, -1);
  const QImage shown = list.viewport()->grab(cell).toImage();
  QImage expected(shown.size(), shown.format());
  expected.fill(list.palette().color(QPalette::Base));
  QPainter painter(&expected);
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(list.palette().base());
  QFont bold = list.font();
  bold.setBold(true);
  bold.setPointSize(9);
  painter.setFont(bold);
  painter.drawText(QRect(QPoint(2, 2), cell.size()), Qt::AlignLeft | Qt::AlignTop,
                   TForm_PrintDialog::kPrint);
  painter.end();
  EXPECT_EQ(shown, expected);
}

TEST(PrintDialogTest, TenColumnsAtMostAndUnmarkingAlwaysWorks) {
  Fixture f(12);
  ScriptedMessageBox boxes;
  for (int r = 0; r <= 10; ++r) f.Mark(r);
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, "Максимальное число столбцов для печати =10");
  EXPECT_EQ(f.MarkOf(10), "Не печатать");
  f.Mark(3);
  EXPECT_EQ(f.MarkOf(3), "Не печатать");
  f.Mark(10);
  EXPECT_EQ(f.MarkOf(10), "Печатать");
}

TEST(PrintDialogTest, PreviewFillsTheColumnsInListOrderWithTheChosenRows) {
  Fixture f;
  QList<QStringList> seen;
  RecordingReportPreview preview([&](Report&) {
    for (int k = 1; k <= 3; ++k) seen.append(f.report.QRMemo[std::size_t(k)]->Lines());
  });
  f.Mark(3);
  f.Mark(1);
  f.dialog.MoveRow(3, 0);  // "L" dragged above everything
  f.dialog.rbDiap->click();
  f.dialog.editDiap->setText("1,3-4");
  f.dialog.btnPreview->click();
  ASSERT_EQ(preview.Previewed(), QStringList{"QR_TPCR"});
  ASSERT_EQ(seen.size(), 3);
  EXPECT_EQ(seen[0], (QStringList{"L", "3:1", "3:3", "3:4"}));
  EXPECT_EQ(seen[1], (QStringList{"Время", "1:1", "1:3", "1:4"}));
  EXPECT_TRUE(seen[2].isEmpty());
  EXPECT_EQ(f.report.QRMemo[2]->Geometry().left(), 124);
  EXPECT_EQ(f.report.QRMemo[2]->Geometry().width(), 60);
  EXPECT_EQ(f.report.Heading.QL_Name_Operator->Caption(), "Оператор : O");

  // A second preview shows only its own rows.
  f.dialog.rbAll->click();
  seen.clear();
  f.dialog.btnPreview->click();
  EXPECT_EQ(seen[0].size(), 6);
  EXPECT_EQ(seen[0].last(), "3:5");
}

TEST(PrintDialogTest, RefusalsShowOneBoxAndNoPreview) {
  Fixture f;
  RecordingReportPreview preview;
  ScriptedMessageBox boxes;
  f.dialog.rbAll->click();
  f.dialog.btnPreview->click();
  f.Mark(2);
  f.dialog.rbDiap->click();
  f.dialog.editDiap->setText("6");
  f.dialog.btnPreview->click();
  f.dialog.editDiap->setText("");
  f.dialog.btnPreview->click();
  QStringList texts;
  for (const MessageBoxRequest& box : boxes.Boxes()) texts << box.text;
  EXPECT_EQ(texts, (QStringList{"Выберите столбцы для печати", "Неверная строка для печати",
                                "Неверная строка для печати"}));
  EXPECT_TRUE(preview.Previewed().isEmpty());
}

}  // namespace
