#include "mainwindow/data_file_reader.h"

#include "archive/number_text.h"
#include "archive/text_file.h"
#include "platform/chart_series.h"
#include "platform/grid_model.h"
#include "platform/message_box.h"

#include <QFileInfo>

const std::array<SpectrumBand, 5>& SpectrumBands() {
  static const std::array<SpectrumBand, 5> bands = {{
      {DataFile::kSpectrumPos[0], QStringLiteral("(0...12,5)%"), QColor(0x00, 0x00, 0xFF)},
      {DataFile::kSpectrumPos[1], QStringLiteral("(12,5...25)%"), QColor(0x00, 0xFF, 0x00)},
      {DataFile::kSpectrumPos[2], QStringLiteral("(25...50)%"), QColor(0x00, 0x80, 0x00)},
      {DataFile::kSpectrumPos[3], QStringLiteral("(50...100)%"), QColor(0xFF, 0xFF, 0x00)},
      {DataFile::kSpectrumPos[4], QStringLiteral("(>100)%"), QColor(0xFF, 0x00, 0x00)},
  }};
  return bands;
}

QString ReadPanelText(const QString& path) {
  return QStringLiteral("Чтение файла :  ") + QFileInfo(path).fileName();
}

namespace {

QString Rest(const QString& line) {
  return DataFile::RestFrom(line, DataFile::kValuePos).toString();
}

// Lines 1 to 21; false when a line does not convert. A device type above 4 clears ReadOk
// but the header and the long-term lines are still read.
bool ReadHeader(TextLineReader& input, OpenFileData& data, ChartSeries* spectrum) {
  input.ReadLine();  // magic, not tested here
  data.CraneType = input.ReadLine();
  data.CraneNumber = input.ReadLine();
  data.DeviceTypeText = input.ReadLine();
  const auto type = TextToInt(data.DeviceTypeText);
  if (!type) return false;
  data.DeviceTypeCode = std::uint8_t(unsigned(*type) & 0xFFu);
  if (data.DeviceTypeCode > 4) data.ReadOk = false;
  const auto variant = TextToInt(input.ReadLine());
  if (!variant) return false;
  data.DeviceVariant = *variant == 10 ? 1 : *variant == 2 ? 2 : 0;
  data.DeviceNumber = input.ReadLine();
  data.ReadDate = input.ReadLine();
  data.OperatorName = input.ReadLine();
  data.Comment = input.ReadLine();
  input.ReadLine();  // recorder clock

  const QString maxima = input.ReadLine();
  for (std::size_t k = 0; k < 4; ++k) {
    const auto value =
        TextToFloat(DataFile::FieldAt(maxima, DataFile::kMaximaPos[k], DataFile::kMaximaWidth));
    if (!value) return false;
    data.RatedMax[k] = *value;
  }
  input.ReadLine();  // empty line

  const QString spectrumLine = input.ReadLine();
  if (spectrum) spectrum->Clear();
  for (const SpectrumBand& band : SpectrumBands()) {
    const auto count =
        TextToInt(DataFile::FieldAt(spectrumLine, band.position, DataFile::kSpectrumWidth));
    if (!count) return false;
    if (spectrum) spectrum->Add(*count, band.label, band.colour);
  }
  LongTermTexts& texts = data.LongTerm;
  texts.ST_Csum = Rest(input.ReadLine());
  texts.ST_Mch = Rest(input.ReadLine());
  texts.ST_Haract = Rest(input.ReadLine());
  input.ReadLine();  // spectrum class
  texts.ST_TO = Rest(input.ReadLine());
  texts.ST_ClassIsp = Rest(input.ReadLine());
  texts.ST_Km = Rest(input.ReadLine());
  texts.ST_Rezim = Rest(input.ReadLine());
  return true;
}

// Counts outside 0 .. 99 999 are not trusted: rows and progress steps follow from them.
std::optional<int> ReadCount(TextLineReader& input) {
  const auto count = TextToInt(DataFile::RestFrom(input.ReadLine(), DataFile::kValuePos));
  if (!count || *count < 0 || *count > kMaxRecordCount) return std::nullopt;
  return count;
}

void ClearBeforeRead(OpenFileData& data, const ReadTargets& targets) {
  // Nothing of the previous file may stay on screen under the new file's heading.
  data.LongTerm = LongTermTexts();
  data.CountTPCR = 0;
  data.CountTP = 0;
  data.TablesFilled = false;
  if (targets.Series1) targets.Series1->Clear();
  for (ChartSeries* series : targets.records.graphs)
    if (series) series->Clear();
  for (GridModel* grid :
       {targets.records.SG_TPCR, targets.records.SG_TP, targets.records.SG_TPCR_Find})
    if (grid) ClearRecordGrid(*grid);
}

}  // namespace

bool ReadDataFile(const QString& path, OpenFileData& data, const ReadTargets& targets,
                  const ReadHooks& hooks) {
  ClearBeforeRead(data, targets);
  data.ReadOk = true;
  TextLineReader input;
  if (!input.Open(path) || !ReadHeader(input, data, targets.Series1)) data.ReadOk = false;

  if (data.ReadOk) {
    const auto countTPCR = ReadCount(input);
    const auto countTP = countTPCR ? ReadCount(input) : std::nullopt;
    if (countTPCR) data.CountTPCR = *countTPCR;
    if (countTP)
      data.CountTP = *countTP;
    else
      data.ReadOk = false;
  }

  if (data.ReadOk && DataFile::HasRecords(data.DeviceTypeCode)) {
    const RecordSource source{input, data.CountTPCR, data.CountTP, data.RatedMax};
    const FillResult filled = data.DeviceTypeCode == 2
                                  ? FillTablesType2(source, targets.records, hooks)
                                  : FillTablesType4(source, targets.records, hooks);
    data.ColumnDescriptions = filled.descriptions;
    data.ReadOk = filled.ok;
    data.TablesFilled = filled.ok;
  }

  if (hooks.pause) hooks.pause(kReadEndPauseMs);
  if (!data.ReadOk && hooks.message)
    hooks.message(DataFile::kReadErrorText, kErrorCaption, BoxIcon::Error);
  return data.ReadOk;
}
