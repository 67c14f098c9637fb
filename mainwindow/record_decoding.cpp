#include "mainwindow/record_decoding.h"

#include "archive/number_text.h"
#include "mainwindow/record_tables.h"
#include "platform/grid_model.h"

#include <cmath>

namespace {

namespace C2 = Type2Column;

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

// The sensors whose value beyond its limit is a fault, in the order of their lines.
struct Sensor {
  int column;
  const char* message;
};
constexpr Sensor kSensors[] = {
    {C2::kAngle, "Отказ датчика длины,"},
    {C2::kAzimuth, "Отказ датчика азимута,"},
    {C2::kPistonPressure, "Отказ датчика поршневого давления,"},
    {C2::kRodPressure, "Отказ датчика штокового давления,"},
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

std::optional<DecodedRecord> DecodeRecordRow(const GridModel& grid, int row, DecodedVariant variant,
                                             int deviceType) {
  auto cell = [&](int col) { return grid.Cells(col, row); };
  const std::optional<double> mz = RealOf(cell(C2::kDegree));
  if (!mz) return std::nullopt;
  DecodedRecord d;
  d.MzText = QStringLiteral("Мз=") + cell(C2::kDegree) + QStringLiteral("%");
  d.QText = QStringLiteral("Q=") + cell(C2::kLoad) + QStringLiteral("т");
  d.LText = QStringLiteral("L=") + cell(C2::kLength) + QStringLiteral("м");
  d.RText = QStringLiteral("R=") + cell(C2::kRadius) + QStringLiteral("м");
  // Overload: the alarm limit of the load-degree column, the same column in both types.
  const double overloadMz = RecordColumnAlarm(kDecodedDeviceType, C2::kDegree).limit;
  d.Overload = *mz >= overloadMz;
  // Another type holds other fields at the other columns (a force where the contour code is).
  if (deviceType != kDecodedDeviceType) return d;

  const std::optional<int> equipment = TextToInt(cell(C2::kEquipment));
  const std::optional<int> contour = TextToInt(cell(C2::kContour));
  if (!equipment || !contour) return std::nullopt;
  std::optional<double> sensors[std::size(kSensors)];
  for (std::size_t i = 0; i < std::size(kSensors); ++i) {
    sensors[i] = RealOf(cell(kSensors[i].column));
    if (!sensors[i]) return std::nullopt;
  }

  d.TypeTwo = true;
  const QString flags = cell(C2::kFlags);
  const QString outputs = cell(C2::kOutputs);
  const QString inputs = cell(C2::kInputs);
  d.RmaxOn = SignalIs(flags, 3, u'1');
  d.RminOn = SignalIs(flags, 4, u'1');
  d.Equipment = EquipmentText(*equipment);
  d.Contour = ContourText(*contour);
  d.Reeving = QStringLiteral("Запасовка ") + cell(C2::kReeving) + QStringLiteral("x");

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
  add(d.Overload, "Перегрузка,");
  for (std::size_t i = 0; i < std::size(kSensors); ++i) {
    const double limit = RecordColumnAlarm(kDecodedDeviceType, kSensors[i].column).limit;
    add(std::abs(*sensors[i]) > limit, kSensors[i].message);
  }
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
