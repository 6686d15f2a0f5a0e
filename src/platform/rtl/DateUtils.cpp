#include "platform/rtl/DateUtils.h"

// Sections: day counts and calendar; formatting; parsing.

#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// 1899-12-30 in days from 1970-01-01 (negated): day counts are shifted by it.
constexpr int64_t UnixEpochDay = 25569;
// The day counts of 0001-01-01 and 9999-12-31, the range every routine takes.
constexpr int64_t MinDay = -693593;
constexpr int64_t MaxDay = 2958465;

// Days from 1970-01-01 of a proleptic Gregorian date (any year).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

AnsiString DoubleText(double v) {
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return AnsiString(buffer, result.ptr);
}

// A day count split into its day and the milliseconds into that day. The
// time counts forward into the day even when the day is negative, and a time
// that rounds up to 24:00 belongs to the next day.
struct TSplit {
  int64_t Day;
  int64_t MSec;  // 0 .. MSecsPerDay - 1
};

TSplit Split(TDateTime dt) {
  const double v = dt.Value;
  if (!std::isfinite(v) || v < static_cast<double>(MinDay - 1) ||
      v > static_cast<double>(MaxDay + 1)) {
    throw EConvertError("Invalid date-time value " + DoubleText(v));
  }
  TSplit s{static_cast<int64_t>(std::trunc(v)), 0};
  s.MSec = std::llround(std::fabs(v - static_cast<double>(s.Day)) * MSecsPerDay);
  if (s.MSec >= MSecsPerDay) {
    s.MSec -= MSecsPerDay;
    ++s.Day;
  }
  if (s.Day < MinDay || s.Day > MaxDay) {
    throw EConvertError("Invalid date-time value " + DoubleText(v));
  }
  return s;
}

TDateTime Join(int64_t day, int64_t msec) {
  const double time = static_cast<double>(msec) / MSecsPerDay;
  const double date = static_cast<double>(day);
  return TDateTime(day < 0 ? date - time : date + time);
}

}  // namespace

// --- calendar ----------------------------------------------------------------

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month) {
  static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) {
    throw EConvertError("Invalid month " + std::to_string(month));
  }
  return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month)) {
    return false;
  }
  result = TDateTime(static_cast<double>(DaysFromCivil(year, month, day) + UnixEpochDay));
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result;
  if (!TryEncodeDate(year, month, day, result)) {
    throw EConvertError("Invalid argument to date encode (" + std::to_string(year) + ", " +
                        std::to_string(month) + ", " + std::to_string(day) + ")");
  }
  return result;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  CivilFromDays(Split(dt).Day - UnixEpochDay, year, month, day);
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
      msec > 999) {
    return false;
  }
  const int64_t total = ((hour * 60LL + min) * 60 + sec) * 1000 + msec;
  result = TDateTime(static_cast<double>(total) / MSecsPerDay);
  return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime result;
  if (!TryEncodeTime(hour, min, sec, msec, result)) {
    throw EConvertError("Invalid argument to time encode (" + std::to_string(hour) + ", " +
                        std::to_string(min) + ", " + std::to_string(sec) + ", " +
                        std::to_string(msec) + ")");
  }
  return result;
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  int64_t ms = Split(dt).MSec;
  msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  sec = static_cast<int>(ms % 60);
  ms /= 60;
  min = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min,
                    int& sec, int& msec) {
  DecodeDate(dt, year, month, day);
  DecodeTime(dt, hour, min, sec, msec);
}

int DayOfWeek(TDateTime dt) {
  // Day 0 was a Saturday.
  const int64_t day = Split(dt).Day;
  return static_cast<int>(((day % 7) + 7 + 6) % 7) + 1;
}

TDateTime IncMonth(TDateTime dt, int months) {
  const TSplit s = Split(dt);
  int year = 0, month = 0, day = 0;
  CivilFromDays(s.Day - UnixEpochDay, year, month, day);
  const int64_t index = static_cast<int64_t>(year) * 12 + (month - 1) + months;
  const int64_t newYear = index >= 0 ? index / 12 : (index - 11) / 12;
  const int newMonth = static_cast<int>(index - newYear * 12) + 1;
  if (newYear < 1 || newYear > 9999) {
    throw EConvertError("Date out of range after adding " + std::to_string(months) +
                        " months");
  }
  const int last = DaysInAMonth(static_cast<int>(newYear), newMonth);
  const TDateTime date = EncodeDate(static_cast<int>(newYear), newMonth, day > last ? last : day);
  return Join(static_cast<int64_t>(date.Value), s.MSec);
}

TDateTime IncYear(TDateTime dt, int years) {
  return IncMonth(dt, years * 12);
}

TDateTime IncDay(TDateTime dt, int days) {
  // Plain addition would run the wrong way through the time of a negative
  // day count; step the day and keep the time of day.
  const TSplit s = Split(dt);
  const int64_t day = s.Day + days;
  if (day < MinDay || day > MaxDay) {
    throw EConvertError("Date out of range after adding " + std::to_string(days) + " days");
  }
  return Join(day, s.MSec);
}

TDateTime DateOf(TDateTime dt) {
  return TDateTime(static_cast<double>(Split(dt).Day));
}

TDateTime TimeOf(TDateTime dt) {
  return TDateTime(static_cast<double>(Split(dt).MSec) / MSecsPerDay);
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  return Join(Split(date).Day, Split(time).MSec);
}

// --- formatting ----------------------------------------------------------------

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(const AnsiString& s, size_t pos, std::string_view what) {
  if (s.size() - pos < what.size()) return false;
  for (size_t i = 0; i < what.size(); ++i) {
    if (LowerAscii(s[pos + i]) != LowerAscii(what[i])) return false;
  }
  return true;
}

void AppendNumber(AnsiString& out, int64_t value, int width) {
  AnsiString digits = std::to_string(value < 0 ? -value : value);
  if (value < 0) out += '-';
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out += '0';
  out += digits;
}

class TDateFormatter {
public:
  TDateFormatter(TDateTime dt, const TFormatSettings& settings) : FSettings(settings) {
    const TSplit s = Split(dt);
    CivilFromDays(s.Day - UnixEpochDay, FYear, FMonth, FDay);
    FDayOfWeek = DayOfWeek(dt);
    int64_t ms = s.MSec;
    FMSec = static_cast<int>(ms % 1000);
    ms /= 1000;
    FSec = static_cast<int>(ms % 60);
    ms /= 60;
    FMin = static_cast<int>(ms % 60);
    FHour = static_cast<int>(ms / 60);
  }

  AnsiString Run(const AnsiString& format) {
    // An empty picture prints as "c" does.
    Append(format.empty() ? AnsiString("c") : format, 0);
    return FOut;
  }

private:
  // The pictures of the settings may name each other ("c" holds the short
  // date, which could hold "c" again); two levels are all that is meaningful.
  static constexpr int MaxDepth = 2;

  static size_t Count(const AnsiString& f, size_t pos, char lower) {
    size_t n = 0;
    while (pos + n < f.size() && LowerAscii(f[pos + n]) == lower) ++n;
    return n;
  }

  // Whether an am/pm marker follows, which turns "h" into the 12-hour clock.
  static bool HasAmPmAfter(const AnsiString& f, size_t pos) {
    while (pos < f.size()) {
      const char c = f[pos];
      if (c == '\'' || c == '"') {
        const size_t close = f.find(c, pos + 1);
        if (close == AnsiString::npos) return false;
        pos = close + 1;
        continue;
      }
      if (CharLengthAt(CP_ACP, f, pos) == 2) {
        pos += 2;
        continue;
      }
      if (StartsWithNoCase(f, pos, "am/pm") || StartsWithNoCase(f, pos, "a/p") ||
          StartsWithNoCase(f, pos, "ampm")) {
        return true;
      }
      ++pos;
    }
    return false;
  }

  void AppendCased(char model, char lower) {
    FOut += model >= 'A' && model <= 'Z' ? static_cast<char>(lower - 'a' + 'A') : lower;
  }

  void Append(const AnsiString& f, int depth) {
    if (depth > MaxDepth) return;
    size_t i = 0;
    while (i < f.size()) {
      if (CharLengthAt(CP_ACP, f, i) == 2) {
        FOut.append(f, i, 2);
        i += 2;
        continue;
      }
      const char c = f[i];
      const char lc = LowerAscii(c);
      size_t n = 1;
      bool letterToken = true;
      switch (lc) {
        case 'y':
          n = Count(f, i, 'y');
          if (n <= 2) {
            AppendNumber(FOut, FYear % 100, 2);
          } else {
            AppendNumber(FOut, FYear, 4);
          }
          break;
        case 'm':
          n = Count(f, i, 'm');
          if (FLastWasHour && n <= 2) {
            AppendNumber(FOut, FMin, static_cast<int>(n));
          } else if (n <= 2) {
            AppendNumber(FOut, FMonth, static_cast<int>(n));
          } else if (n == 3) {
            FOut += FSettings.ShortMonthNames[FMonth - 1];
          } else {
            FOut += FSettings.LongMonthNames[FMonth - 1];
          }
          break;
        case 'd':
          n = Count(f, i, 'd');
          if (n <= 2) {
            AppendNumber(FOut, FDay, static_cast<int>(n));
          } else if (n == 3) {
            FOut += FSettings.ShortDayNames[FDayOfWeek - 1];
          } else if (n == 4) {
            FOut += FSettings.LongDayNames[FDayOfWeek - 1];
          } else if (n == 5) {
            Append(FSettings.ShortDateFormat, depth + 1);
          } else {
            Append(FSettings.LongDateFormat, depth + 1);
          }
          break;
        case 'h': {
          n = Count(f, i, 'h');
          int hour = FHour;
          if (HasAmPmAfter(f, i + n)) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          AppendNumber(FOut, hour, n >= 2 ? 2 : 1);
          break;
        }
        case 'n':
          n = Count(f, i, 'n');
          AppendNumber(FOut, FMin, n >= 2 ? 2 : 1);
          break;
        case 's':
          n = Count(f, i, 's');
          AppendNumber(FOut, FSec, n >= 2 ? 2 : 1);
          break;
        case 'z':
          n = Count(f, i, 'z');
          AppendNumber(FOut, FMSec, n >= 2 ? 3 : 1);
          break;
        case 't':
          n = Count(f, i, 't');
          Append(n == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, depth + 1);
          break;
        case 'c':
          n = Count(f, i, 'c');
          Append(FSettings.ShortDateFormat, depth + 1);
          // Milliseconds do not count: the long time shows none of them.
          if (FHour != 0 || FMin != 0 || FSec != 0) {
            FOut += ' ';
            Append(FSettings.LongTimeFormat, depth + 1);
          }
          break;
        case 'a':
          if (StartsWithNoCase(f, i, "am/pm")) {
            n = 5;
            if (FHour < 12) {
              AppendCased(f[i], 'a');
              AppendCased(f[i + 1], 'm');
            } else {
              AppendCased(f[i + 3], 'p');
              AppendCased(f[i + 4], 'm');
            }
          } else if (StartsWithNoCase(f, i, "a/p")) {
            n = 3;
            AppendCased(FHour < 12 ? f[i] : f[i + 2], FHour < 12 ? 'a' : 'p');
          } else if (StartsWithNoCase(f, i, "ampm")) {
            n = 4;
            FOut += FHour < 12 ? FSettings.TimeAMString : FSettings.TimePMString;
          } else {
            FOut += c;
            letterToken = false;
          }
          break;
        case '/':
          FOut += FSettings.DateSeparator;
          letterToken = false;
          break;
        case ':':
          FOut += FSettings.TimeSeparator;
          letterToken = false;
          break;
        case '\'':
        case '"': {
          // Quoted text is copied as it stands; an unclosed quote runs to the end.
          size_t j = i + 1;
          while (j < f.size() && f[j] != c) j += CharLengthAt(CP_ACP, f, j);
          FOut.append(f, i + 1, (j < f.size() ? j : f.size()) - (i + 1));
          n = j < f.size() ? j + 1 - i : f.size() - i;
          letterToken = false;
          break;
        }
        default:
          FOut += c;
          letterToken = false;
          break;
      }
      // Only picture letters decide what a following "m" means; separators
      // and literal text in between ("hh:mm") do not.
      if (letterToken) FLastWasHour = lc == 'h';
      i += n;
    }
  }

  const TFormatSettings& FSettings;
  AnsiString FOut;
  int FYear = 0, FMonth = 0, FDay = 0, FDayOfWeek = 0;
  int FHour = 0, FMin = 0, FSec = 0, FMSec = 0;
  bool FLastWasHour = false;
};

}  // namespace

AnsiString FormatDateTime(const AnsiString& format, TDateTime dt) {
  return FormatDateTime(format, dt, FormatSettings);
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime dt,
                          const TFormatSettings& settings) {
  return TDateFormatter(dt, settings).Run(format);
}

AnsiString DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

AnsiString DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }

AnsiString TimeToStr(TDateTime dt) { return FormatDateTime("tt", dt); }

// --- parsing -------------------------------------------------------------------

namespace {

enum class TDateOrder { YMD, MDY, DMY };

// The order of the first of y, m and d in the short date picture.
TDateOrder DateOrderOf(const AnsiString& shortDateFormat) {
  for (size_t i = 0; i < shortDateFormat.size(); ++i) {
    const char c = shortDateFormat[i];
    if (c == '\'' || c == '"') {
      const size_t close = shortDateFormat.find(c, i + 1);
      if (close == AnsiString::npos) break;
      i = close;
      continue;
    }
    switch (LowerAscii(c)) {
      case 'y': return TDateOrder::YMD;
      case 'm': return TDateOrder::MDY;
      case 'd': return TDateOrder::DMY;
      default: break;
    }
  }
  return TDateOrder::YMD;
}

class TDateScanner {
public:
  TDateScanner(const AnsiString& s, const TFormatSettings& settings)
      : FText(s), FSettings(settings) {}

  // Whether only blanks are left; consumes nothing.
  bool AtEnd() const {
    size_t pos = FPos;
    while (pos < FText.size() && (FText[pos] == ' ' || FText[pos] == '\t')) ++pos;
    return pos >= FText.size();
  }

  bool SkipBlanks() {
    const size_t start = FPos;
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t')) ++FPos;
    return FPos > start;
  }

  // Digits after optional blanks (a masked edit leaves blanks inside a date:
  // "2006/1 /5").
  bool Number(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') {
      if (digits == 9) return false;  // no field of a date needs more
      value = value * 10 + (FText[FPos] - '0');
      ++digits;
      ++FPos;
    }
    return digits > 0;
  }

  bool Char(char c) {
    const size_t saved = FPos;
    if (c != ' ') SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == c) {
      ++FPos;
      return true;
    }
    FPos = saved;
    return false;
  }

  bool Word(const AnsiString& word) {
    const size_t saved = FPos;
    SkipBlanks();
    if (!word.empty() && StartsWithNoCase(FText, FPos, word)) {
      FPos += word.size();
      return true;
    }
    FPos = saved;
    return false;
  }

  bool Date(TDateTime& result) {
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    const char sep = FSettings.DateSeparator;
    if (!Number(n1, l1) || !Char(sep) || !Number(n2, l2)) return false;
    const TDateOrder order = DateOrderOf(FSettings.ShortDateFormat);
    int year = 0, month = 0, day = 0, yearDigits = 4;
    if (Char(sep)) {
      if (!Number(n3, l3)) return false;
      switch (order) {
        case TDateOrder::YMD: year = n1; yearDigits = l1; month = n2; day = n3; break;
        case TDateOrder::MDY: month = n1; day = n2; year = n3; yearDigits = l3; break;
        case TDateOrder::DMY: day = n1; month = n2; year = n3; yearDigits = l3; break;
      }
      if (yearDigits <= 2) year = WindowedYear(year);
    } else {
      int currentYear = 0, m = 0, d = 0;
      DecodeDate(Now(), currentYear, m, d);
      year = currentYear;
      if (order == TDateOrder::DMY) {
        day = n1;
        month = n2;
      } else {
        month = n1;
        day = n2;
      }
    }
    return TryEncodeDate(year, month, day, result);
  }

  // hour[:min[:sec[:msec]]] with an optional AM/PM marker before or after.
  // The fourth field is a count of milliseconds after the time separator (as
  // "hh:nn:ss:zzz" writes it) or a fraction of a second after the decimal
  // separator ("9:05:00.5" is half a second).
  bool Time(TDateTime& result) {
    int baseHour = AmPm();
    int hour = 0, min = 0, sec = 0, msec = 0, digits = 0;
    if (!Number(hour, digits)) return false;
    const char sep = FSettings.TimeSeparator;
    bool hasMinutes = false;
    if (Char(sep)) {
      if (!Number(min, digits)) return false;
      hasMinutes = true;
      if (Char(sep)) {
        if (!Number(sec, digits)) return false;
        if (Char(sep)) {
          if (!Number(msec, digits)) return false;
        } else if (Char(FSettings.DecimalSeparator)) {
          if (FPos >= FText.size() || FText[FPos] < '0' || FText[FPos] > '9') return false;
          if (!Number(msec, digits) || digits > 3) return false;
          for (; digits < 3; ++digits) msec *= 10;
        }
      }
    }
    if (baseHour < 0) baseHour = AmPm();
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + baseHour;
    } else if (!hasMinutes) {
      return false;  // a lone number is no time
    }
    return TryEncodeTime(hour, min, sec, msec, result);
  }

private:
  // 0 for a morning marker, 12 for an afternoon one, -1 for none.
  int AmPm() {
    if (Word(FSettings.TimeAMString) || Word("AM")) return 0;
    if (Word(FSettings.TimePMString) || Word("PM")) return 12;
    return -1;
  }

  int WindowedYear(int year) const {
    int currentYear = 0, m = 0, d = 0;
    DecodeDate(Now(), currentYear, m, d);
    const int window = FSettings.TwoDigitYearCenturyWindow;
    if (window <= 0) return year + currentYear / 100 * 100;
    const int start = currentYear - window;
    year += start / 100 * 100;
    if (year < start) year += 100;
    return year;
  }

  const AnsiString& FText;
  const TFormatSettings& FSettings;
  size_t FPos = 0;
};

}  // namespace

bool TryStrToDate(const AnsiString& s, TDateTime& result) {
  return TryStrToDate(s, result, FormatSettings);
}

bool TryStrToDate(const AnsiString& s, TDateTime& result, const TFormatSettings& settings) {
  TDateScanner scanner(s, settings);
  TDateTime date;
  if (!scanner.Date(date) || !scanner.AtEnd()) return false;
  result = date;
  return true;
}

TDateTime StrToDate(const AnsiString& s) {
  TDateTime result;
  if (!TryStrToDate(s, result)) throw EConvertError("'" + s + "' is not a valid date");
  return result;
}

bool TryStrToTime(const AnsiString& s, TDateTime& result) {
  return TryStrToTime(s, result, FormatSettings);
}

bool TryStrToTime(const AnsiString& s, TDateTime& result, const TFormatSettings& settings) {
  TDateScanner scanner(s, settings);
  TDateTime time;
  if (!scanner.Time(time) || !scanner.AtEnd()) return false;
  result = time;
  return true;
}

TDateTime StrToTime(const AnsiString& s) {
  TDateTime result;
  if (!TryStrToTime(s, result)) throw EConvertError("'" + s + "' is not a valid time");
  return result;
}

bool TryStrToDateTime(const AnsiString& s, TDateTime& result) {
  return TryStrToDateTime(s, result, FormatSettings);
}

bool TryStrToDateTime(const AnsiString& s, TDateTime& result, const TFormatSettings& settings) {
  {
    TDateScanner scanner(s, settings);
    TDateTime date;
    if (scanner.Date(date)) {
      if (scanner.AtEnd()) {
        result = date;
        return true;
      }
      TDateTime time;
      // The time must stand apart from the date.
      if (scanner.SkipBlanks() && scanner.Time(time) && scanner.AtEnd()) {
        result = ComposeDateTime(date, time);
        return true;
      }
      return false;
    }
  }
  return TryStrToTime(s, result, settings);
}

TDateTime StrToDateTime(const AnsiString& s) {
  TDateTime result;
  if (!TryStrToDateTime(s, result)) {
    throw EConvertError("'" + s + "' is not a valid date and time");
  }
  return result;
}
