#pragma once
// Calendar arithmetic and the reading of typed dates. A date is a TDateTime: days since
// 30 December 1899, the fraction the time of day. Texts count positions from 1. The
// "system" date settings are those of the default QLocale; without a configured locale
// (the C locale) the program's own Russian settings stand in.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <stdexcept>

using TDateTime = double;

inline constexpr TDateTime NullDate = 0.0;
inline constexpr quint8 CenturyOffset = 60;

enum TDateOrder { doMDY, doDMY, doYMD };

// Raised by StrToDateFmt and by EncodeDate on an impossible date.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The locale's date settings the routines read.
struct DateSettings {
  QString ShortDateFormat;  // e.g. "dd.MM.yyyy"
  QChar DateSeparator;
  QStringList LongMonthNames;  // 12 names
  QStringList ShortDayNames;   // 7 names, Sunday first
  QString ShortTimeFormat;
  QString TimeAMString;
  QString TimePMString;
  bool FarEast = false;
};
DateSettings SystemDateSettings();

// True when the system's short date format, upper-cased, contains "YYYY".
bool FourDigitYear();

// Platform encoding of dates; EncodeDate raises EConvertError on an impossible triple.
TDateTime EncodeDate(int year, int month, int day);
bool DecodeDate(TDateTime value, int& year, int& month, int& day);
QDate DateTimeToQDate(TDateTime value);
TDateTime QDateToDateTime(const QDate& date);
TDateTime QDateTimeToDateTime(const QDateTime& value);
TDateTime Today();
// DateValue, or NullValue when DateValue is NullDate.
TDateTime NvlDate(TDateTime DateValue, TDateTime NullValue);
TDateTime Now();
// D, DD, M, MM, MMMM, YY, YYYY (any case) and "/" for the date separator; other
// characters are copied.
QString FormatDateTime(const QString& format, TDateTime value);

bool IsLeapYear(int year);
int DaysPerMonth(int year, int month);
bool ValidDate(quint16 year, quint16 month, quint16 day);
bool ValidDateValue(TDateTime value);
quint16 CurrentYear();
TDateOrder GetDateOrder(const QString& format);
int ExpandYear(int year);

void ScanBlanks(const QString& s, int& pos);
bool ScanNumber(const QString& s, int maxLength, int& pos, int& number);
bool ScanChar(const QString& s, int& pos, QChar ch);
void ScanToNumber(const QString& s, int& pos);
bool ScanDate(const QString& s, const QString& format, int& pos, int& day, int& month, int& year);
quint8 MonthFromName(const QString& s, quint8 maxLength);
void ExtractMask(const QString& format, const QString& s, QChar ch, int count, int& field,
                 int blank, int defValue);
bool ScanDateStr(const QString& format, const QString& s, int& day, int& month, int& year);
bool InternalStrToDate(const QString& format, const QString& s, TDateTime& date);
TDateTime StrToDateFmt(const QString& format, const QString& s);
TDateTime StrToDateFmtDef(const QString& format, const QString& s, TDateTime defDate);
QString DefDateFormat(bool fourDigitYear);
QString DefDateMask(QChar blanksChar, bool fourDigitYear);
