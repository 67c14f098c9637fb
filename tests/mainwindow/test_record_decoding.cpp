// One record row in plain words: texts, lamps and messages of both window variants; a row
// that does not convert gives nothing, a row of another device type only its texts.
#include "mainwindow/record_decoding.h"
#include "platform/grid_model.h"

#include <gtest/gtest.h>

namespace {

// A type-2 row within every limit: no message in either window.
struct Row {
  QString a = "45.5", L = "12", g = "45", pp = "100", psh = "50", np = "4", c = "1", k = "1";
  QString q = "10", r = "8", mz = "83", flags = "00000", outputs = "000000";
  QString inputs = "11111111111101";
};

class RecordDecodingTest : public ::testing::Test {
 protected:
  std::optional<DecodedRecord> Decode(const Row& row,
                                      DecodedVariant variant = DecodedVariant::Variant10,
                                      int deviceType = 2) {
    grid_.SetColCount(18);
    grid_.SetRowCount(2);
    const QString stamp = "01.02.03 04:05:06";
    const QString cells[] = {"1",     stamp,  row.a,  row.L,     row.g,       row.pp,
                             row.psh, row.np, row.c,  row.k,     row.q,       row.r,
                             "20",    "12",   row.mz, row.flags, row.outputs, row.inputs};
    for (int col = 0; col < 18; ++col) grid_.SetCells(col, 1, cells[col]);
    return DecodeRecordRow(grid_, 1, variant, deviceType);
  }
  static bool Lit(const std::optional<DecodedRecord>& d, const QString& image) {
    for (const DecodedLamp& lamp : d.value().Lamps) {
      if (lamp.image == image) return lamp.lit;
    }
    ADD_FAILURE() << "no lamp " << image.toStdString();
    return false;
  }

  GridModel grid_;
};

TEST_F(RecordDecodingTest, EquipmentAndContourTables) {
  const QStringList equipment = {
      "Нет оборудования", "Гусёк 7 метров", "Гусёк 8 метров", "Гусёк 9 метров", "Гусёк 10 метров",
      "Гусёк 11 метров",  "Главный подъём", "Вспом подъём",   "Опасный груз",   "Нет оборудования"};
  for (int code = 0; code <= 9; ++code) EXPECT_EQ(EquipmentText(code), equipment[code]) << code;
  EXPECT_EQ(EquipmentText(-1), "Нет оборудования");
  const QStringList contour = {"Неполный контур", "Полный контур",    "Без опор",
                               "Опоры 3.7 м",     "Переезд с грузом", "Опоры 5.0 м",
                               "Неполный контур", "Опоры 6.3 м",      ""};
  for (int code = 0; code <= 8; ++code) EXPECT_EQ(ContourText(code), contour[code]) << code;
  EXPECT_EQ(ContourText(-1), "");
  EXPECT_EQ(ContourText(1000), "");
}

TEST_F(RecordDecodingTest, OverloadAndSensorLimitsAreStrict) {
  const auto d = Decode({.a = "90", .g = "180", .pp = "250", .psh = "250", .mz = "105,0"});
  EXPECT_TRUE(d->Overload);
  EXPECT_EQ(d->Messages, QStringList{"Перегрузка,"});
  EXPECT_FALSE(Decode({.mz = "104.99"})->Overload);
}

TEST_F(RecordDecodingTest, Variant10LampsAndMessages) {
  Row row;
  row.inputs = "11111111111111";
  EXPECT_EQ(Decode(row)->Messages, QStringList{"Ускоренная работа лебедки,"});
  row.inputs = "00000000000000";
  row.flags = "00111";
  row.outputs = "000010";
  const auto d = Decode(row);
  EXPECT_TRUE(Lit(d, "imE1"));
  EXPECT_TRUE(Lit(Decode(row, DecodedVariant::Variant02), "imE2"));
  EXPECT_TRUE(d->RmaxOn);
  EXPECT_TRUE(d->RminOn);
  EXPECT_EQ(d->Reeving, "Запасовка 4x");
  EXPECT_EQ(
      d->Messages,
      (QStringList{"Предельный подъем крюка,", "Ограничитель сматывания каната,", "Блокировка ЛЭП,",
                   "Минимальный вылет,", "Максимальный вылет,", "Поворот вправо,", "Поворот влево,",
                   "Выдвижение секции стрелы,", "Втягивание секции стрелы,", "Опускание груза,",
                   "Подъем груза,", "Опускание стрелы,", "Подъем стрелы,"}));
  row.inputs[5] = u'1';  // the lamp of a motion follows its own input
  EXPECT_TRUE(Lit(Decode(row), "im1"));
}

TEST_F(RecordDecodingTest, ShortSignalGroupsReadNoCharacterBeyondTheirEnd) {
  // A type-4 row: five inputs, two outputs, six flags at the type-2 places.
  const Row row{.flags = "", .outputs = "01", .inputs = "00000"};
  const auto d = Decode(row);
  EXPECT_EQ(d->Messages, (QStringList{"Предельный подъем крюка,", "Поворот влево,"}));
  EXPECT_FALSE(Lit(d, "im8"));
  EXPECT_FALSE(d->RmaxOn);
  EXPECT_EQ(Decode(row, DecodedVariant::Variant02)->Messages,
            QStringList{"Предельный подъем крюка,"});
}

// A row with any cell the decoding converts that does not convert gives nothing: the empty
// row of an empty table, a row beyond the grid, a bad cell of either type.
TEST_F(RecordDecodingTest, ARowThatDoesNotConvertGivesNothing) {
  const std::pair<QString Row::*, QString> cells[] = {
      {&Row::mz, ""},   {&Row::c, "x"},   {&Row::k, "31.98"}, {&Row::a, ""},
      {&Row::g, "abc"}, {&Row::pp, "1e"}, {&Row::psh, "-"},
  };
  for (const auto& [field, text] : cells) {
    Row row;
    row.*field = text;
    EXPECT_FALSE(Decode(row)) << text.toStdString();
    EXPECT_FALSE(Decode(row, DecodedVariant::Variant02)) << text.toStdString();
  }
  EXPECT_FALSE(Decode({.mz = "abc"}, DecodedVariant::Variant02, 4));
  GridModel empty;
  empty.SetColCount(18);
  empty.SetRowCount(2);
  for (int r : {1, 7}) EXPECT_FALSE(DecodeRecordRow(empty, r, DecodedVariant::Variant02, 2)) << r;
}

// A row of another device type gives the four texts and its overload, and nothing read at the
// other type-2 places, though a contour code there would not convert.
TEST_F(RecordDecodingTest, OtherDeviceTypesGiveOnlyTheTextsAndTheOverload) {
  const auto d = Decode({.c = "", .k = "31.98", .mz = "120"}, DecodedVariant::Variant02, 4);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->MzText, "Мз=120%");
  EXPECT_EQ(d->RText, "R=8м");
  EXPECT_TRUE(d->Overload);
  EXPECT_FALSE(d->TypeTwo || d->RmaxOn || d->RminOn);
  EXPECT_TRUE(d->Equipment.isEmpty() && d->Contour.isEmpty() && d->Reeving.isEmpty());
  EXPECT_TRUE(d->Lamps.empty() && d->Messages.isEmpty());
  EXPECT_FALSE(Decode({.mz = "50"}, DecodedVariant::Variant10, 4)->Overload);
}

}  // namespace
