#include "mainwindow/record_decoding.h"

#include "archive/number_text.h"
#include "platform/grid_model.h"

#include <cmath>

namespace {

// Grid columns read by the decoders.
constexpr int kColAngle = 2;
constexpr int kColLength = 3;
constexpr int kColAzimuth = 4;
constexpr int kColPistonPressure = 5;
constexpr int kColRodPressure = 6;
constexpr int kColReeving = 7;
constexpr int kColEquipment = 8;
constexpr int kColContour = 9;
constexpr int kColLoad = 10;
constexpr int kColRadius = 11;
constexpr int kColMz = 14;
constexpr int kColFlags = 15;
constexpr int kColOutputs = 16;
constexpr int kColInputs = 17;

constexpr double kOverloadMz = 105;

constexpr int kDecodedDeviceType = 2;

std::optional<double> RealOf(const QString& text) {
  return TextToFloat(NormalizeDecimalSeparator(text));
}

// Character `position` (from 1) of a signal string is `wanted`; a short string has none.
bool SignalIs(const QString& group, int position, QChar wanted) {
  return position >= 1 && position <= group.size() && group[position - 1] == wanted;
}

struct Motion {
  const char* image;
  int input;  // character of the input string
  const char* message;
};

// The variant-10 window's motion lamps with the message of a stopped motion.
constexpr Motion kMotions10[] = {
    {"im1", 6, "Поворот вправо,"},
    {"im2", 5, "Поворот влево,"},
    {"im3", 12, "Выдвижение секции стрелы,"},
    {"im4", 10, "Втягивание секции стрелы,"},
    {"im5", 7, "Опускание груза,"},
    {"im6", 8, "Подъем груза,"},
    {"im7", 11, "Опускание стрелы,"},
    {"im8", 14, "Подъем стрелы,"},
};

}  // namespace

QString EquipmentText(int code) {
  static const char* const kTexts[] = {
      "Гусёк 7 метров",  "Гусёк 8 метров", "Гусёк 9 метров", "Гусёк 10 метров",
      "Гусёк 11 метров", "Главный подъём", "Вспом подъём",   "Опасный груз",
  };
  constexpr int kCount = int(std::size(kTexts));
  if (code < 1 || code > kCount) return QStringLiteral("Нет оборудования");
  return QString::fromUtf8(kTexts[code - 1]);
}

QString ContourText(int code) {
  static const char* const kTexts[] = {
      "Неполный контур",  "Полный контур", "Без опор",        "Опоры 3.7 м",
      "Переезд с грузом", "Опоры 5.0 м",   "Неполный контур", "Опоры 6.3 м",
  };
  constexpr int kCount = int(std::size(kTexts));
  if (code < 0 || code >= kCount) return QString();
  return QString::fromUtf8(kTexts[code]);
}

DecodedRecord DecodeRecordRow(const GridModel& grid, int row, DecodedVariant variant,
                              int deviceType) {
  DecodedRecord d;
  auto cell = [&](int col) { return grid.Cells(col, row); };
  d.MzText = QStringLiteral("Мз=") + cell(kColMz) + QStringLiteral("%");
  d.QText = QStringLiteral("Q=") + cell(kColLoad) + QStringLiteral("т");
  d.LText = QStringLiteral("L=") + cell(kColLength) + QStringLiteral("м");
  d.RText = QStringLiteral("R=") + cell(kColRadius) + QStringLiteral("м");
  // Another type holds other fields at these columns (a force where the contour code is).
  if (deviceType != kDecodedDeviceType) return d;

  const QString flags = cell(kColFlags);
  const QString outputs = cell(kColOutputs);
  const QString inputs = cell(kColInputs);
  const std::optional<double> mz = RealOf(cell(kColMz));
  if (mz) d.Overload = *mz >= kOverloadMz;
  d.RmaxOn = SignalIs(flags, 3, u'1');
  d.RminOn = SignalIs(flags, 4, u'1');
  if (const std::optional<int> code = TextToInt(cell(kColEquipment)))
    d.Equipment = EquipmentText(*code);
  if (const std::optional<int> code = TextToInt(cell(kColContour))) d.Contour = ContourText(*code);
  d.Reeving = QStringLiteral("Запасовка ") + cell(kColReeving) + QStringLiteral("x");

  const bool v10 = variant == DecodedVariant::Variant10;
  if (v10) {
    for (const Motion& m : kMotions10)
      d.Lamps.push_back({QString::fromLatin1(m.image), SignalIs(inputs, m.input, u'1')});
    d.Lamps.push_back({QStringLiteral("imE1"), SignalIs(outputs, 5, u'1')});
  } else {
    d.Lamps.push_back({QStringLiteral("im3"), SignalIs(inputs, 12, u'1')});
    d.Lamps.push_back({QStringLiteral("im8"), SignalIs(inputs, 14, u'1')});
    d.Lamps.push_back({QStringLiteral("imE1"), SignalIs(outputs, 6, u'1')});
    d.Lamps.push_back({QStringLiteral("imE2"), SignalIs(outputs, 5, u'1')});
  }

  QStringList& lines = d.Messages;
  auto add = [&](bool applies, const char* text) {
    if (applies) lines << QString::fromUtf8(text);
  };
  // A sensor value that does not convert tells nothing of a fault.
  auto beyond = [&](int col, double limit) {
    const std::optional<double> value = RealOf(cell(col));
    return value && std::abs(*value) > limit;
  };
  add(mz && *mz >= kOverloadMz, "Перегрузка,");
  add(beyond(kColAngle, 90), "Отказ датчика длины,");
  add(beyond(kColAzimuth, 180), "Отказ датчика азимута,");
  add(beyond(kColPistonPressure, 250), "Отказ датчика поршневого давления,");
  add(beyond(kColRodPressure, 250), "Отказ датчика штокового давления,");
  add(SignalIs(inputs, 3, u'0'), "Предельный подъем крюка,");
  if (v10) {
    add(SignalIs(inputs, 9, u'0'), "Ограничитель сматывания каната,");
    add(SignalIs(flags, 5, u'1'), "Блокировка ЛЭП,");
    add(SignalIs(flags, 4, u'1'), "Минимальный вылет,");
    add(SignalIs(flags, 3, u'1'), "Максимальный вылет,");
    // A stopped motion: its lamp is dark and its line is listed.
    for (int i = 0; i < 7; ++i)
      add(SignalIs(inputs, kMotions10[i].input, u'0'), kMotions10[i].message);
    add(SignalIs(inputs, 13, u'1'), "Ускоренная работа лебедки,");
    add(SignalIs(inputs, kMotions10[7].input, u'0'), kMotions10[7].message);
  } else {
    add(SignalIs(flags, 5, u'1'), "Блокировка ЛЭП,");
    add(SignalIs(flags, 4, u'1'), "Минимальный вылет,");
    add(SignalIs(flags, 3, u'1'), "Максимальный вылет,");
    add(SignalIs(inputs, 12, u'1'), "Выдвижение секции стрелы,");
    add(SignalIs(inputs, 13, u'1'), "Ускоренная работа лебедки,");
    add(SignalIs(inputs, 14, u'1'), "Подъем стрелы,");
  }
  return d;
}
