#pragma once
// The ".bbi" data file: one reading of one recorder as Windows-1251 text lines.

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <functional>

namespace DataFile {

inline const QString kMagic = QStringLiteral("Taltrex");
inline const QString kExtension = QStringLiteral(".bbi");

// Labels of lines 13 to 23: seven characters each, so every value starts at position 8.
inline const QString kLabelSpectrum = QStringLiteral("Ci   : ");
inline const QString kLabelCycles = QStringLiteral("Csum : ");
inline const QString kLabelMotoHours = QStringLiteral("Mch  : ");
inline const QString kLabelCharNumber = QStringLiteral("Np   : ");
inline const QString kLabelSpectrumClass = QStringLiteral("Km   : ");
inline const QString kLabelMaintenance = QStringLiteral("T0   : ");
inline const QString kLabelUsageClass = QStringLiteral("U    : ");
inline const QString kLabelSpectrumFactor = QStringLiteral("Q    : ");
inline const QString kLabelGroup = QStringLiteral("A    : ");
inline const QString kLabelCountTPCR = QStringLiteral("ТПЧР : ");
inline const QString kLabelCountTP = QStringLiteral("ТП   : ");
inline constexpr int kValuePos = 8;

// Column lines (line 24) of the readout and of the handheld conversion.
inline const QString kColumnsType2 = QStringLiteral(
    "DATA             ;a      ;L      ;g   ;Pp     ;Psh    ;Np;Ns;Nk;Q      ;R      ;H      ;Qmax "
    "  ;M  ;Флаги   ");
inline const QString kColumnsType4 = QStringLiteral(
    "DATA             ;a1     ;a2     ;L1     ;L2     ;g   ;Np;Nk;F      ;Q      ;R      ;H      "
    ";Qmax   ;M  ;Флаги   ");
inline const QString kHandheldColumnsType2 = QStringLiteral(
    "DATA             ;a      ;L     ;g   ;Pp     ;Psh    ;Np;Q      ;R      ;H      ;Qmax   ;M  "
    ";Флаги   ");
inline const QString kHandheldColumnsType4 = QStringLiteral(
    "DATA             ;Ugstr  ;Lstr   ;Lgus   ;Lbh    ;a   ;Np;Nk;F      ;Q      ;R      ;H      "
    ";Qmax   ;M  ;Флаги   ");

// Captions of the long-term values on the long-term page and in its report, in this order:
// cycles, characteristic number, usage class, spectrum factor, crane group, moto-hours,
// time to maintenance.
inline constexpr const char* kLongTermCaptions[7] = {
    "Суммарное количество циклов",
    "Характеристическое число",
    "Класс использования по ИСО 4301/1 (ГОСТ 25546-82)",
    "Коэффициент распределения нагрузок по ИСО 4301/1 (ГОСТ 25546-82)",
    "Группа режима работы крана по ИСО 4301/1",
    "Время работы в моточасах",
    "До очередного технического обслуживания осталось",
};

// The one message of a data file that cannot be read or converted.
inline const QString kReadErrorText = QStringLiteral("Ошибка чтения файла");

inline const QString kSeparator = QStringLiteral("-------- Таблица перегрузок -----------");

// Header line numbers (1-based).
enum Line {
  kLineMagic = 1,
  kLineCraneType,
  kLineCraneNumber,
  kLineDeviceType,
  kLineDeviceVariant,
  kLineDeviceNumber,
  kLineReadDate,
  kLineOperator,
  kLineComment,
  kLineClock,
  kLineMaxima,
  kLineEmpty,
  kLineSpectrum,
  kLineCycles,
  kLineMotoHours,
  kLineCharNumber,
  kLineSpectrumClass,
  kLineMaintenance,
  kLineUsageClass,
  kLineSpectrumFactor,
  kLineGroup,
  kLineCountTPCR,
  kLineCountTP,
  kLineColumns,
};

// Maxima fields of line 11 and spectrum fields of line 13 (1-based positions).
inline constexpr int kMaximaPos[4] = {1, 10, 19, 28};
inline constexpr int kMaximaWidth = 8;
inline constexpr int kSpectrumPos[5] = {8, 17, 26, 35, 44};
inline constexpr int kSpectrumWidth = 8;

struct Field {
  int pos;  // 1-based
  int width;
};

// Record line of device type 2 (127 characters plus the closing ";").
namespace Type2 {
inline constexpr Field kStamp{1, 17}, kAngle{19, 7}, kLength{27, 7}, kAzimuth{35, 4},
    kPistonPressure{40, 7}, kRodPressure{48, 7}, kReeving{56, 2}, kEquipment{59, 2},
    kContour{62, 2}, kLoad{65, 7}, kRadius{73, 7}, kHeight{81, 7}, kMaxLoad{89, 7}, kDegree{97, 3},
    kFlags{101, 5}, kOutputs{107, 6}, kInputs{114, 14};
inline constexpr int kLineLength = 128;
}  // namespace Type2

// Record line of device type 4 (120 characters plus the closing ";").
namespace Type4 {
inline constexpr Field kStamp{1, 17}, kAngle1{19, 7}, kAngle2{27, 7}, kLength1{35, 7},
    kLength2{43, 7}, kAzimuth{51, 4}, kReeving{56, 2}, kContour{59, 2}, kForce{62, 7}, kLoad{70, 7},
    kRadius{78, 7}, kHeight{86, 7}, kMaxLoad{94, 7}, kDegree{102, 3}, kInputs{106, 5},
    kOutputs{112, 2}, kFlags{115, 6};
inline constexpr int kLineLength = 121;
}  // namespace Type4

// Whether a device type code has a record layout.
inline bool HasRecords(int deviceType) {
  return deviceType == 2 || deviceType == 4;
}

// Characters pos .. pos+width-1 (1-based) of line, shorter when the line is shorter.
QStringView FieldAt(QStringView line, int pos, int width);
inline QStringView FieldAt(QStringView line, Field f) {
  return FieldAt(line, f.pos, f.width);
}
// The rest of line from pos (1-based).
QStringView RestFrom(QStringView line, int pos);

using Clock = std::function<QDateTime()>;
// "д" DD "м" MM "г" YYYY "ч" hh "м" mm "c" ss "_" suffix ".bbi" (a Latin "c" before the seconds).
QString FileName(const QDateTime& when, const QString& suffix);
inline QString FileName(const Clock& clock, const QString& suffix) {
  return FileName(clock(), suffix);
}
QDateTime SystemClock();

}  // namespace DataFile
