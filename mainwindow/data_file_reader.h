#pragma once
// ReadDataFile without its window: reads a data file into the open file's data, the
// load-spectrum series, the record grids and the graph series. The window shows the
// reading panel around it and puts the results on its pages.

#include "mainwindow/record_tables.h"

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>

// A long-term value before the first read.
inline const QString kNoValueText = QStringLiteral("________");
inline constexpr int kReadEndPauseMs = 500;

// The load-spectrum bars of line 13, in band order.
struct SpectrumBand {
  int position;
  QString label;
  QColor colour;
};
const std::array<SpectrumBand, 5>& SpectrumBands();

// The value texts of the long-term page.
struct LongTermTexts {
  QString ST_Csum = kNoValueText;
  QString ST_Haract = kNoValueText;
  QString ST_ClassIsp = kNoValueText;
  QString ST_Km = kNoValueText;
  QString ST_Rezim = kNoValueText;
  QString ST_Mch = kNoValueText;
  QString ST_TO = kNoValueText;
};

// The data of the open file. A failed read keeps whatever it read before the failure.
struct OpenFileData {
  QString CraneType, CraneNumber, DeviceNumber, ReadDate, OperatorName, Comment;
  QString DeviceTypeText;
  std::uint8_t DeviceTypeCode = 0;
  std::int32_t DeviceVariant = 0;
  std::array<double, 4> RatedMax{};  // RatedMax[1] .. RatedMax[4]
  LongTermTexts LongTerm;
  std::int32_t CountTPCR = 0;
  std::int32_t CountTP = 0;
  ColumnDescriptionList ColumnDescriptions;
  bool ReadOk = false;
  // A filler ran and kept ReadOk: SG_TPCR and SG_TP are shown, SG_TPCR_Find hidden.
  bool TablesFilled = false;
};

struct ReadTargets {
  ChartSeries* Series1 = nullptr;  // load spectrum
  RecordTargets records;
};

// "Чтение файла :  " and the file name without its directory.
QString ReadPanelText(const QString& path);

// Steps 3 to 8 of a read: clears the grids, the series and the long-term values, reads
// the file, pauses (hooks.pause, 500 ms) and on failure reports DataFile::kReadErrorText.
// Returns ReadOk.
bool ReadDataFile(const QString& path, OpenFileData& data, const ReadTargets& targets,
                  const ReadHooks& hooks);
