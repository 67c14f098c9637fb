#pragma once
// The rows to print, read from the print dialog's row field: "1,3,5-12", "5-" (to the
// last row), at most 20 items.

#include <QString>

#include <array>

struct PrintRanges {
  static constexpr int kMaxRanges = 20;
  // Index 1 .. PrintRangeCount hold the ranges, each from <= to.
  std::array<qint32, kMaxRanges + 1> PrintRangeFrom{};
  std::array<qint32, kMaxRanges + 1> PrintRangeTo{};
  qint32 PrintRangeCount = 0;
};

enum PrintRangeCode : qint32 {
  kRangesRead = 0,
  kRangesEmpty = 1,
  kRangeAboveLastRow = 2,
  kRangeNotNumber = 3,
  kRangeDescending = 4,
};

// Codes as above; on an error the ranges stored before it stay counted.
qint32 ParsePrintRanges(QString Text, qint32 LastRow, PrintRanges& ranges);

// An integer the way the field is read: leading blanks, a sign, decimal digits or a
// hexadecimal number after "$" or "0x"; nothing after the digits.
bool ParseRangeNumber(const QString& text, qint32& value);
