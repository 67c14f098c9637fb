#include "archive/duty_class.h"

#include <array>

namespace {

constexpr std::array<double, 11> kUsageBounds = {0,      16000,   32000,   63000,   125000, 250000,
                                                 500000, 1000000, 2000000, 4000000, 1e16};

struct SpectrumRow {
  const char16_t* factor;
  const char* groups;  // group digit per usage class 0..9
};

constexpr std::array<SpectrumRow, 4> kGroupTable = {{
    {u"0.125", "1112345678"},
    {u"0.25", "1123456788"},
    {u"0.5", "1234567888"},
    {u"1.0", "2345678888"},
}};

}  // namespace

void ComputeDutyClass(int SpectrumClass, int CycleCount, DutyClassTexts& texts) {
  int usage = -1;
  for (int k = 0; k <= 9; ++k) {
    if (kUsageBounds[k] <= CycleCount && CycleCount <= kUsageBounds[k + 1]) {
      usage = k;
      break;
    }
  }
  if (usage < 0) return;
  texts.UsageClassText = QStringLiteral("U") + QString::number(usage);
  texts.SpectrumFactorText = kUndefinedDuty;
  texts.DutyGroupText = kUndefinedDuty;
  if (SpectrumClass >= 1 && SpectrumClass <= 4) {
    const SpectrumRow& row = kGroupTable[SpectrumClass - 1];
    texts.SpectrumFactorText = QString::fromUtf16(row.factor);
    texts.DutyGroupText = QStringLiteral("A") + QChar(char16_t(row.groups[usage]));
  }
}
