#include "archive/number_text.h"
#include "mainwindow/cell_painting.h"
#include "mainwindow/record_tables.h"
#include "platform/grid_model.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

struct Case {
  int col;
  const char* text;
  CellLook look;
};

class CellPaintingTest : public ::testing::Test {
 protected:
  CellPaintingTest() {
    grid.SetNumberFormat(&FloatToText);
    grid.SetColCount(kRecordColumns);
    grid.SetRowCount(3);
  }
  // The look of col in row 1 holding text, with a load degree of 50 unless tested.
  CellLook Look(int type, int col, const QString& text) {
    grid.SetCells(14, 1, u"50");
    grid.SetCells(col, 1, text);
    return LimitLook(type, grid, col, 1);
  }
  void Check(int type, const std::vector<Case>& cases) {
    for (const Case& c : cases)
      EXPECT_EQ(Look(type, c.col, c.text), c.look)
          << "type " << type << " col " << c.col << " " << c.text;
  }
  GridModel grid;
};

constexpr CellLook N = CellLook::Normal, W = CellLook::Warning, A = CellLook::Alarm,
                   O = CellLook::GridOwn;

TEST_F(CellPaintingTest, Type2LimitsAtAndJustPastTheirThresholds) {
  Check(2, {{2, "90", N},   {2, "90.01", A}, {3, "90", N},   {3, "90.01", A}, {4, "-180", N},
            {4, "-181", A}, {4, "180", N},   {4, "181", A},  {5, "250", N},   {5, "250.01", A},
            {6, "250", N},  {6, "251", A},   {11, "999", N}, {12, "999", N},  {13, "0.1", N},
            {13, "0", A},   {13, "0,09", A}, {14, "89", N},  {14, "90", W},   {14, "104", W},
            {14, "105", A}, {1, "x", O},     {7, "99", O},   {8, "99", O},    {9, "99", O},
            {15, "1", O},   {16, "1", O},    {17, "1", O},   {2, "", O},      {13, "abc", O},
            {11, "", N},    {10, "999", N}});
}

TEST_F(CellPaintingTest, Type4LimitsAtAndJustPastTheirThresholds) {
  Check(4, {{2, "90", N},   {2, "90.01", A}, {3, "90", N},    {3, "91", A},   {4, "90", N},
            {4, "90.5", A}, {5, "63.5", N},  {5, "90.01", A}, {6, "-180", N}, {6, "-181", A},
            {9, "500", N},  {9, "500.5", A}, {13, "0.1", N},  {13, "0", A},   {14, "89", N},
            {14, "90", W},  {14, "104", W},  {14, "105", A},  {7, "99", O},   {8, "99", O},
            {15, "1", O}});
  // Types without a painter leave every cell as the grid draws it.
  for (int type : {0, 1, 3, 5})
    for (int col = 1; col < kRecordColumns; ++col) EXPECT_EQ(Look(type, col, "500"), O);
}

TEST_F(CellPaintingTest, DrawCellPaintsLimitsThenRememberedRowUnlessFiltered) {
  grid.SetCells(2, 2, u"95");
  SystemColours system;
  system.activeCaption = QColor(7, 8, 9);
  const QColor untouched(1, 1, 1), red(255, 0, 0), caption = system.activeCaption;
  // The background a draw-cell paints, read at the corner that the text never reaches.
  auto painted = [&](int type, RecordGrid which, int col, int row, int remembered, bool filter) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(untouched);
    QPainter canvas(&image);
    DrawRecordCell(canvas, grid, type, which, col, row, image.rect(), remembered, filter, system);
    canvas.end();
    return image.pixelColor(39, 19);
  };
  EXPECT_EQ(painted(4, RecordGrid::TPCR, 2, 2, 1, false), red);
  EXPECT_EQ(painted(2, RecordGrid::TPCR, 17, 2, 2, false), caption);
  // ConditionFilterOn hides the remembered row of SG_TPCR and SG_TP only.
  EXPECT_EQ(painted(2, RecordGrid::TP, 2, 2, 2, true), red);
  EXPECT_EQ(painted(2, RecordGrid::Find, 2, 2, 2, true), caption);
}

}  // namespace
