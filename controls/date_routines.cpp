#include "controls/date_routines.h"

#include "controls/str_utils.h"

#include <QLocale>

#include <cmath>

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Day numbers of 1 January 1 and 31 December 9999; anything outside is no date at all.
constexpr double kMinDateValue = -693593.0;
constexpr double kMaxDateValue = 2958466.0;

QDate Epoch() {
  return QDate(1899, 12, 30);
}

QChar AsciiUpper(QChar c) {
  return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
}

QString Capitalized(QString s) {
  if (!s.isEmpty()) s[0] = s[0].toUpper();
  return s;
}

QLocale DateLocale() {
  const QLocale locale;
  // An unconfigured machine reports the C locale; the program's home settings apply then.
  if (locale.language() == QLocale::C) return QLocale(QLocale::Russian, QLocale::Russia);
  return locale;
}

bool InRange(int pos, const QString& s) {
  return pos >= 1 && pos <= s.size();
}

}  // namespace

DateSettings SystemDateSettings() {
  const QLocale locale = DateLocale();
  DateSettings settings;
  settings.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat);
  settings.DateSeparator = u'.';
  bool quoted = false;
  for (QChar c : settings.ShortDateFormat) {
    if (c == u'\'') {
      quoted = !quoted;
    } else if (!quoted && !c.isLetter() && c != u' ') {
      settings.DateSeparator = c;
      break;
    }
  }
  for (int m = 1; m <= 12; ++m)
    settings.LongMonthNames << Capitalized(locale.standaloneMonthName(m, QLocale::LongFormat));
  for (int d = 0; d < 7; ++d)
    settings.ShortDayNames << Capitalized(
        locale.standaloneDayName(d == 0 ? 7 : d, QLocale::ShortFormat));
  settings.ShortTimeFormat = locale.timeFormat(QLocale::ShortFormat);
  settings.TimeAMString = locale.amText();
  settings.TimePMString = locale.pmText();
  const QLocale::Language language = locale.language();
  settings.FarEast =
      language == QLocale::Chinese || language == QLocale::Japanese || language == QLocale::Korean;
  return settings;
}

bool FourDigitYear() {
  return SystemDateSettings().ShortDateFormat.toUpper().contains(QStringLiteral("YYYY"));
}

TDateTime EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysPerMonth(year, month))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<TDateTime>(Epoch().daysTo(QDate(year, month, day)));
}

bool DecodeDate(TDateTime value, int& year, int& month, int& day) {
  if (!std::isfinite(value) || value < kMinDateValue || value >= kMaxDateValue) return false;
  const QDate date = Epoch().addDays(static_cast<qint64>(std::trunc(value)));
  if (!date.isValid()) return false;
  year = date.year();
  month = date.month();
  day = date.day();
  return true;
}

QDate DateTimeToQDate(TDateTime value) {
  int y = 0, m = 0, d = 0;
  return DecodeDate(value, y, m, d) ? QDate(y, m, d) : QDate();
}

TDateTime QDateToDateTime(const QDate& date) {
  return date.isValid() ? static_cast<TDateTime>(Epoch().daysTo(date)) : NullDate;
}

TDateTime QDateTimeToDateTime(const QDateTime& value) {
  const QTime t = value.time();
  return QDateToDateTime(value.date()) + t.msecsSinceStartOfDay() / 86400000.0;
}

TDateTime NvlDate(TDateTime DateValue, TDateTime NullValue) {
  return DateValue == NullDate ? NullValue : DateValue;
}

TDateTime Today() {
  return QDateToDateTime(QDate::currentDate());
}
TDateTime Now() {
  return QDateTimeToDateTime(QDateTime::currentDateTime());
}

QString FormatDateTime(const QString& format, TDateTime value) {
  const DateSettings settings = SystemDateSettings();
  int year = 0, month = 0, day = 0;
  if (!DecodeDate(value, year, month, day)) return QString();
  QString out;
  int i = 0;
  while (i < format.size()) {
    const QChar c = AsciiUpper(format[i]);
    int run = 1;
    if (c == u'D' || c == u'M' || c == u'Y')
      while (i + run < format.size() && AsciiUpper(format[i + run]) == c) ++run;
    if (c == u'D') {
      out += run == 1 ? QString::number(day) : QString::number(day).rightJustified(2, u'0');
    } else if (c == u'M') {
      if (run >= 4)
        out += settings.LongMonthNames.value(month - 1);
      else if (run == 3)
        out += settings.LongMonthNames.value(month - 1).left(3);
      else
        out += run == 1 ? QString::number(month) : QString::number(month).rightJustified(2, u'0');
    } else if (c == u'Y') {
      out += run <= 2 ? QString::number(year % 100).rightJustified(2, u'0')
                      : QString::number(year).rightJustified(4, u'0');
    } else if (c == u'/') {
      out += settings.DateSeparator;
    } else {
      out += format[i];
    }
    i += run;
  }
  return out;
}

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysPerMonth(int year, int month) {
  int days = kMonthDays[month - 1];
  if (month == 2 && IsLeapYear(year)) ++days;
  return days;
}

bool ValidDate(quint16 year, quint16 month, quint16 day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysPerMonth(year, month);
}

bool ValidDateValue(TDateTime value) {
  int year = 0, month = 0, day = 0;
  return DecodeDate(value, year, month, day) &&
         ValidDate(static_cast<quint16>(year), static_cast<quint16>(month),
                   static_cast<quint16>(day));
}

quint16 CurrentYear() {
  return static_cast<quint16>(QDate::currentDate().year());
}

TDateOrder GetDateOrder(const QString& format) {
  for (QChar c : format) {
    switch (AsciiUpper(c).unicode()) {
      case u'D':
        return doDMY;
      case u'E':
      case u'Y':
        return doYMD;
      case u'M':
        return doMDY;
      default:
        break;
    }
  }
  return doDMY;
}

int ExpandYear(int year) {
  if (year >= 100) return year;
  const int n = CurrentYear() - CenturyOffset;
  year += (n / 100) * 100;
  if (CenturyOffset > 0 && n > year) year += 100;
  return year;
}

void ScanBlanks(const QString& s, int& pos) {
  while (InRange(pos, s) && s[pos - 1] == u' ') ++pos;
}

bool ScanNumber(const QString& s, int maxLength, int& pos, int& number) {
  ScanBlanks(s, pos);
  int i = pos;
  int digits = 0;
  quint16 value = 0;
  while (InRange(i, s) && digits < maxLength && s[i - 1] >= u'0' && s[i - 1] <= u'9' &&
         value < 1000) {
    value = static_cast<quint16>(value * 10 + (s[i - 1].unicode() - u'0'));
    ++i;
    ++digits;
  }
  if (digits == 0) return false;
  pos = i;
  number = value;
  return true;
}

bool ScanChar(const QString& s, int& pos, QChar ch) {
  ScanBlanks(s, pos);
  if (InRange(pos, s) && s[pos - 1] == ch) {
    ++pos;
    return true;
  }
  return false;
}

// Windows-1251 has no lead bytes, so nothing is stepped over in pairs.
void ScanToNumber(const QString& s, int& pos) {
  while (InRange(pos, s) && !(s[pos - 1] >= u'0' && s[pos - 1] <= u'9')) ++pos;
}

bool ScanDate(const QString& s, const QString& format, int& pos, int& day, int& month, int& year) {
  const DateSettings settings = SystemDateSettings();
  const QChar separator = settings.DateSeparator;
  day = 0;
  month = 0;
  year = 0;
  const TDateOrder order = GetDateOrder(format);
  if (settings.ShortDateFormat.startsWith(u'g')) ScanToNumber(s, pos);
  int n1 = 0, n2 = 0, n3 = 0;
  if (!(ScanNumber(s, INT_MAX, pos, n1) && ScanChar(s, pos, separator) &&
        ScanNumber(s, INT_MAX, pos, n2)))
    return false;
  if (ScanChar(s, pos, separator)) {
    if (!ScanNumber(s, INT_MAX, pos, n3)) return false;
    switch (order) {
      case doMDY:
        year = n3, month = n1, day = n2;
        break;
      case doDMY:
        year = n3, month = n2, day = n1;
        break;
      case doYMD:
        year = n1, month = n2, day = n3;
        break;
    }
    year = ExpandYear(year);
  } else {
    year = CurrentYear();
    if (order == doDMY)
      day = n1, month = n2;
    else
      month = n1, day = n2;
  }
  ScanChar(s, pos, separator);
  ScanBlanks(s, pos);
  if (settings.FarEast && settings.ShortDateFormat.contains(QStringLiteral("ddd"))) {
    if (!settings.ShortTimeFormat.isEmpty() && settings.ShortTimeFormat[0].isDigit()) {
      ScanToNumber(s, pos);
    } else {
      while (InRange(pos, s)) {
        const QString rest = s.mid(pos - 1);
        if ((!settings.TimeAMString.isEmpty() &&
             rest.startsWith(settings.TimeAMString, Qt::CaseInsensitive)) ||
            (!settings.TimePMString.isEmpty() &&
             rest.startsWith(settings.TimePMString, Qt::CaseInsensitive)))
          break;
        while (InRange(pos, s) && s[pos - 1] != u' ') ++pos;
        ScanBlanks(s, pos);
      }
    }
  }
  return ValidDate(static_cast<quint16>(year), static_cast<quint16>(month),
                   static_cast<quint16>(day)) &&
         pos > s.size();
}

quint8 MonthFromName(const QString& s, quint8 maxLength) {
  if (s.isEmpty()) return 0;
  const QStringList names = SystemDateSettings().LongMonthNames;
  for (int m = 1; m <= 12 && m <= names.size(); ++m) {
    const QString& name = names[m - 1];
    if (!name.isEmpty() &&
        QString::compare(name.left(maxLength), s.left(maxLength), Qt::CaseInsensitive) == 0)
      return static_cast<quint8>(m);
  }
  return 0;
}

void ExtractMask(const QString& format, const QString& s, QChar ch, int count, int& field,
                 int blank, int defValue) {
  field = defValue;
  int length = format.size();
  if (s.size() < length)
    length = s.size();
  else if (s.size() > length)
    return;
  const QChar letter = AsciiUpper(ch);
  QString upper;
  for (QChar c : format) upper += AsciiUpper(c);
  int j = upper.indexOf(MakeStr(letter, count)) + 1;
  if (j <= 0) return;
  QString collected;
  while (j <= length && upper[j - 1] == letter && collected.size() < 20) {
    if (s[j - 1] != u' ') collected += s[j - 1];
    ++j;
  }
  if (collected.isEmpty()) {
    field = blank;
  } else if (count >= 2) {
    const quint8 month = MonthFromName(collected, static_cast<quint8>(collected.size()));
    field = month == 0 ? -1 : month;
  } else {
    bool ok = false;
    const int value = collected.toInt(&ok, 10);
    field = ok ? value : -1;
  }
}

bool ScanDateStr(const QString& format, const QString& s, int& day, int& month, int& year) {
  ExtractMask(format, s, u'm', 3, month, -1, 0);
  if (month == 0) ExtractMask(format, s, u'm', 1, month, -1, 0);
  ExtractMask(format, s, u'd', 1, day, -1, 1);
  ExtractMask(format, s, u'y', 1, year, -1, CurrentYear());
  year = ExpandYear(year);
  // Fields outside 16 bits must not wrap into a valid date.
  auto fits = [](int v) { return v >= 0 && v <= 0xFFFF; };
  if (fits(year) && fits(month) && fits(day) &&
      ValidDate(static_cast<quint16>(year), static_cast<quint16>(month), static_cast<quint16>(day)))
    return true;
  int pos = 1;
  return ScanDate(s, format, pos, day, month, year);
}

bool InternalStrToDate(const QString& format, const QString& s, TDateTime& date) {
  if (s.isEmpty()) {
    date = NullDate;
    return true;
  }
  int day = 0, month = 0, year = 0;
  if (!ScanDateStr(format, s, day, month, year)) return false;
  try {
    date = EncodeDate(year, month, day);
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

TDateTime StrToDateFmt(const QString& format, const QString& s) {
  TDateTime date = NullDate;
  if (!InternalStrToDate(format, s, date))
    throw EConvertError(QStringLiteral("''%1'' is not a valid date").arg(s).toStdString());
  return date;
}

TDateTime StrToDateFmtDef(const QString& format, const QString& s, TDateTime defDate) {
  TDateTime date = NullDate;
  if (!InternalStrToDate(format, s, date)) date = std::trunc(defDate);
  return date;
}

QString DefDateFormat(bool fourDigitYear) {
  switch (GetDateOrder(SystemDateSettings().ShortDateFormat)) {
    case doMDY:
      return fourDigitYear ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
    case doYMD:
      return fourDigitYear ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
    case doDMY:
    default:
      return fourDigitYear ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
  }
}

QString DefDateMask(QChar blanksChar, bool fourDigitYear) {
  QString mask;
  switch (GetDateOrder(SystemDateSettings().ShortDateFormat)) {
    case doYMD:
      mask = fourDigitYear ? QStringLiteral("!9999/99/99;1;") : QStringLiteral("!99/99/99;1;");
      break;
    default:
      mask = fourDigitYear ? QStringLiteral("!99/99/9999;1;") : QStringLiteral("!99/99/99;1;");
      break;
  }
  return mask + blanksChar;
}
