#pragma once
// Crane duty classification (usage class, load-spectrum factor, crane group) from the
// recorder's counters.

#include <QString>

struct DutyClassTexts {
  QString UsageClassText;
  QString SpectrumFactorText;
  QString DutyGroupText;
};

inline const QString kUndefinedDuty = QStringLiteral("неопределен");

// Sets the three texts from the load-spectrum class (1 to 4) and the total cycle count; a
// class outside 1 to 4 leaves factor and group "неопределен". A negative count matches no
// usage class and leaves all three texts as they were.
void ComputeDutyClass(int SpectrumClass, int CycleCount, DutyClassTexts& texts);
