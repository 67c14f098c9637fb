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
  d.MzText = QStringLiteral("Мз=") + cell(C2::kDegree) + QStringLiteral("%");
  d.QText = QStringLiteral("Q=") + cell(C2::kLoad) + QStringLiteral("т");
  d.LText = QStringLiteral("L=") + cell(C2::kLength) + QStringLiteral("м");
  d.RText = QStringLiteral("R=") + cell(C2::kRadius) + QStringLiteral("м");
  // Another type holds other fields at these columns (a force where the contour code is).
  if (deviceType != kDecodedDeviceType) return d;

  const QString flags = cell(C2::kFlags);
  const QString outputs = cell(C2::kOutputs);
  const QString inputs = cell(C2::kInputs);
  const std::optional<double> mz = RealOf(cell(C2::kDegree));
  // Overload and sensor faults: the alarm limits of the record columns.
  const double overloadMz = RecordColumnAlarm(kDecodedDeviceType, C2::kDegree).limit;
  if (mz) d.Overload = *mz >= overloadMz;
  d.RmaxOn = SignalIs(flags, 3, u'1');
  d.RminOn = SignalIs(flags, 4, u'1');
  if (const std::optional<int> code = TextToInt(cell(C2::kEquipment)))
    d.Equipment = EquipmentText(*code);
  if (const std::optional<int> code = TextToInt(cell(C2::kContour))) d.Contour = ContourText(*code);
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
  // A sensor value that does not convert tells nothing of a fault.
  auto beyond = [&](int col) {
    const std::optional<double> value = RealOf(cell(col));
    return value && std::abs(*value) > RecordColumnAlarm(kDecodedDeviceType, col).limit;
  };
  add(mz && *mz >= overloadMz, "Перегрузка,");
  add(beyond(C2::kAngle), "Отказ датчика длины,");
  add(beyond(C2::kAzimuth), "Отказ датчика азимута,");
  add(beyond(C2::kPistonPressure), "Отказ датчика поршневого давления,");
  add(beyond(C2::kRodPressure), "Отказ датчика штокового давления,");
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
