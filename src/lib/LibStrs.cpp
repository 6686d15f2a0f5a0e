#include "lib/LibStrs.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Paths.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemInfo.h"

namespace {

// ---- Strict numbers ----

// Optional sign and decimal digits, nothing else (no blanks, no hex): the
// date-rule fields and cycle patterns are written by our own forms, and a
// text that is anything else is a broken rule, not a number to guess at.
bool TryStrictInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  int64_t result = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
    if (result > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (negative) result = -result;
  if (result < std::numeric_limits<int32_t>::min() || result > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(result);
  return true;
}

int32_t StrictInt(std::string_view text) {
  int32_t value = 0;
  if (!TryStrictInt(text, value))
    throw EConvertError("'" + AnsiString(text) + "' is not a valid integer value");
  return value;
}

// A cycle-pattern number: the options write some as texts, some as numbers.
int32_t PatternInt(const Variant& value) {
  if (value.IsString()) return StrictInt(VarToStr(value));
  return value.AsInteger();
}

// Digits only, 0 for anything else (a part of a compact date).
int DigitsOrZero(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

// ---- Separators ----

// Bytes of the character at i; ASCII bytes never lead a double-byte
// character, so only the others ask the code page.
size_t CharStep(std::string_view text, size_t i) {
  return static_cast<unsigned char>(text[i]) < 0x80 ? 1 : CharLengthAt(CP_ACP, text, i);
}

// Byte index of the first occurrence of sep at a character boundary at or
// after from (itself a boundary); npos when absent or when sep is empty.
size_t FindSeparator(std::string_view text, std::string_view sep, size_t from = 0) {
  if (sep.empty()) return std::string_view::npos;
  for (size_t i = from; i + sep.size() <= text.size(); i += CharStep(text, i)) {
    if (text[i] == sep[0] && text.compare(i, sep.size(), sep) == 0) return i;
  }
  return std::string_view::npos;
}

// The first character of a separator text (a whole double-byte character).
AnsiString FirstChar(std::string_view text) {
  if (text.empty()) return AnsiString();
  return AnsiString(text.substr(0, CharLengthAt(CP_ACP, text, 0)));
}

// ---- Dates ----

constexpr int MinYear = 1;
constexpr int MaxYear = 9999;

double MinDate() {
  static const double value = EncodeDate(MinYear, 1, 1);
  return value;
}
double MaxDate() {
  static const double value = EncodeDate(MaxYear, 12, 31);
  return value;
}

bool InDateRange(double date) { return date >= MinDate() && date < MaxDate() + 1; }

AnsiString YMDText(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4d%.2d%.2d", year, month, day);
  return text;
}

// "yyyymmdd" of a date value; "" outside years 1..9999.
AnsiString DateToYMD(double date) {
  if (!InDateRange(date)) return AnsiString();
  int year = 0, month = 0, day = 0;
  DecodeDate(TDateTime(date), year, month, day);
  return YMDText(year, month, day);
}

// The day at most day of the given month, stepping back to its last day.
bool TryEncodeClamped(int year, int month, int day, TDateTime& result) {
  if (year < MinYear || year > MaxYear || month < 1 || month > 12) return false;
  const int last = DaysOfMonth(year, month);
  return TryEncodeDate(year, month, day > last ? last : day, result);
}

// A compact date that must be one, for the date-rule routines.
double RequireYMD(std::string_view text) {
  const double date = YMDToDate(text);
  if (date == 0) throw EConvertError("'" + AnsiString(text) + "' is not a valid date (yyyymmdd)");
  return date;
}

AnsiString RequireDateToYMD(double date) {
  AnsiString text = DateToYMD(date);
  if (text.empty()) throw EConvertError("Date rule result lies outside the years 1 to 9999");
  return text;
}

AnsiString RequireShift(std::string_view base, std::string_view unit, int count) {
  AnsiString text = ShiftYMD(Variant(AnsiString(base)), unit, count);
  if (text.empty())
    throw EConvertError("Date rule result lies outside the years 1 to 9999 (base '" +
                        AnsiString(base) + "')");
  return text;
}

// "yyyymm" + the month's last day, for a compact date.
AnsiString LastOfMonth(std::string_view ymd) {
  const int year = DigitsOrZero(ymd.substr(0, 4));
  const int month = DigitsOrZero(ymd.substr(4, 2));
  return YMDText(year, month, DaysOfMonth(year, month));
}

// ---- Date-format kinds ----

// The display text of a date by kind, with or without the day.
AnsiString FormatByKind(int kind, std::string_view separatorText, TDateTime date, bool withDay) {
  if (date.Value == 0 || kind < 1 || kind > 5) return AnsiString();
  int year = 0, month = 0, day = 0;
  DecodeDate(date, year, month, day);
  const Variant sep(FirstChar(separatorText));
  const int rocYear = year - 1911;
  switch (kind) {
    case 1:
      return withDay ? Format("%.4d%s%.2d%s%.2d", {year, sep, month, sep, day})
                     : Format("%.4d%s%.2d", {year, sep, month});
    case 2:
      return withDay ? Format("%.2d%s%.2d%s%.4d", {month, sep, day, sep, year})
                     : Format("%.2d%s%.4d", {month, sep, year});
    case 3:
      return withDay ? Format("%.2d%s%.2d%s%.4d", {day, sep, month, sep, year})
                     : Format("%.2d%s%.4d", {month, sep, year});
    case 4:
      return withDay ? Format("%.2d%s%.2d%s%.2d", {rocYear, sep, month, sep, day})
                     : Format("%.2d%s%.2d", {rocYear, sep, month});
    default:
      return withDay ? Format("%.3d%s%.2d%s%.2d", {rocYear, sep, month, sep, day})
                     : Format("%.3d%s%.2d", {rocYear, sep, month});
  }
}

// ---- Cycle patterns ----

// Weekday 1 (Sunday) .. 7 of a date value.
int WeekdayOf(double date) { return DayOfWeek(TDateTime(date)); }

AnsiString EveryNWeeks(double start, int weeks, int weekday) {
  const int b = WeekdayOf(start);
  const int c = weekday + 1;
  const int64_t jump = (c >= b ? int64_t{weeks} - 1 : int64_t{weeks}) * 7;
  const double t = start + static_cast<double>(jump);
  if (!InDateRange(t)) return AnsiString();
  return DateToYMD(t + (c - WeekdayOf(t)));
}

AnsiString DayEveryNMonths(std::string_view start, double startDate, int months, int day) {
  int year = 0, month = 0, startDay = 0;
  DecodeDate(TDateTime(startDate), year, month, startDay);
  const int k = day >= startDay ? months - 1 : months;
  const AnsiString s = ShiftYMD(Variant(AnsiString(start)), "M", k);
  if (s.empty()) return AnsiString();
  AnsiString candidate = s.substr(0, 6);
  char dd[8];
  std::snprintf(dd, sizeof dd, "%.2d", day);
  candidate += dd;
  return IsValidYMD(candidate) ? candidate : LastOfMonth(s);
}

AnsiString WeekdayEveryNMonths(std::string_view start, int months, int ordinal, int weekday) {
  const int c0 = weekday + 1;
  AnsiString result;
  // At most twice: the second pass looks one whole interval on, which always
  // lies after Start.
  for (int k = months - 1, pass = 0; pass < 2; k = months, ++pass) {
    const AnsiString s = ShiftYMD(Variant(AnsiString(start)), "M", k);
    if (s.empty()) return AnsiString();
    if (ordinal == 4) {
      const AnsiString lastText = LastOfMonth(s);
      const double last = YMDToDate(lastText);
      const int d = WeekdayOf(last) - c0;
      result = DateToYMD(last - (d >= 0 ? d : d + 7));
    } else {
      const double first = YMDToDate(s.substr(0, 6) + "01");
      const int c = c0 - WeekdayOf(first);
      const int offset = c >= 0 ? c + 7 * ordinal : c + 7 * (ordinal + 1);
      result = DateToYMD(first + offset);
    }
    if (result.empty() || result >= start) break;
  }
  return result;
}

// ---- Variant walks ----

// Deeper nesting than any job record has; the walk recurses, so a limit
// keeps a malformed value from exhausting the stack.
constexpr int MaxNesting = 256;

enum class TDirection { ToCodePage, FromCodePage };

// Converts an element that is a string of the kind the direction converts;
// anything else stays.
void ConvertElement(Variant& element, TDirection direction, int codePage) {
  if (direction == TDirection::ToCodePage) {
    if (const WideString* w = element.GetIf<WideString>())
      element = Variant(WideToCodePage(*w, codePage));
  } else if (const AnsiString* s = element.GetIf<AnsiString>()) {
    element = Variant(CodePageToWide(*s, codePage));
  }
}

void WalkArray(TVarArray& array, TDirection direction, int codePage, int depth) {
  if (depth > MaxNesting)
    throw EVariantError("Variant arrays nested deeper than " + IntToStr(int32_t{MaxNesting}) +
                        " levels");
  if (array.DimCount() == 1) {
    for (Variant& element : array.Elements()) {
      if (TVarArray* inner = element.IsByRef() ? nullptr : element.GetIf<TVarArray>())
        WalkArray(*inner, direction, codePage, depth + 1);
      else if (!element.IsByRef())
        ConvertElement(element, direction, codePage);
    }
  } else if (array.DimCount() == 2) {
    for (Variant& element : array.Elements()) {
      if (!element.IsByRef()) ConvertElement(element, direction, codePage);
    }
  }
}

Variant ConvertVariant(const Variant& v, TDirection direction, int codePage) {
  const Variant& value = v.Deref();
  if (value.IsEmpty() || value.IsNull()) return value;
  Variant result = value;
  if (TVarArray* array = result.GetIf<TVarArray>()) {
    WalkArray(*array, direction, codePage, 1);
  } else if (direction == TDirection::ToCodePage) {
    // A byte-string scalar is read in the system code page first.
    if (value.IsString()) result = Variant(WideToCodePage(value.AsWideString(), codePage));
  } else {
    ConvertElement(result, direction, codePage);
  }
  return result;
}

AnsiString ErrorText(const std::exception& e) {
  if (const auto* ex = dynamic_cast<const Exception*>(&e)) return ex->Message();
  return e.what();
}

Variant ConvertOrLog(const Variant& v, TDirection direction, int codePage, const char* tag) {
  try {
    return ConvertVariant(v, direction, codePage);
  } catch (const std::exception& e) {
    WriteAlertLog("libstrs", AnsiString(tag) + ErrorText(e), "D");
    return v.Deref();
  }
}

// ---- Button captions (GBK, as every designed text) ----

struct TButtonCaption {
  std::string_view Name;
  const char* Caption;
};

constexpr std::array<TButtonCaption, 11> ButtonCaptions = {{
    {"Yes", "是(&Y)"},
    {"No", "否(&N)"},
    {"OK", "确定"},
    {"Cancel", "取消"},
    {"Abort", "中断(&A)"},
    {"Retry", "重试(&R)"},
    {"Ignore", "忽略(&I)"},
    {"All", "全部(&A)"},
    {"NoToAll", "全否(&o)"},
    {"YesToAll", "全是(&A)"},
    {"Help", "帮助(&H)"},
}};

}  // namespace

// ==== Separated fields ====

AnsiString GetField(std::string_view Text, std::string_view Separator, int Index) {
  std::string_view rest = Text;
  std::string_view current;
  int i = 1;
  bool found = true;
  while (i <= Index && found) {
    const size_t p = FindSeparator(rest, Separator);
    if (p != std::string_view::npos) {
      current = rest.substr(0, p);
      rest.remove_prefix(p + Separator.size());
      ++i;
    } else {
      current = rest;
      found = false;
    }
  }
  return i < Index ? AnsiString() : AnsiString(current);
}

int FieldCount(std::string_view Text, std::string_view Separator) {
  if (Text.empty()) return 0;
  int count = 1;
  // Each search starts one character after the previous match's start, so
  // overlapping occurrences count, as they always have.
  for (size_t p = FindSeparator(Text, Separator); p != std::string_view::npos;
       p = FindSeparator(Text, Separator, p + CharStep(Text, p)))
    ++count;
  return count;
}

AnsiString CutField(AnsiString& Text, std::string_view Separator) {
  const size_t p = FindSeparator(Text, Separator);
  if (p == std::string_view::npos) return std::exchange(Text, AnsiString());
  AnsiString field = Text.substr(0, p);
  Text.erase(0, p + Separator.size());
  return field;
}

// ==== Display dates ====

AnsiString FormatDateBySetting(int Kind, std::string_view SeparatorText, TDateTime Date) {
  return FormatByKind(Kind, SeparatorText, Date, true);
}

AnsiString FormatMonthBySetting(int Kind, std::string_view SeparatorText, TDateTime Date) {
  return FormatByKind(Kind, SeparatorText, Date, false);
}

TDateTime ParseDateBySetting(std::string_view Text, int Kind, std::string_view Separator) {
  AnsiString rest = Trim(Text);
  if (rest.empty() || Kind < 1 || Kind > 5) return TDateTime();
  int32_t parts[3];
  for (int32_t& part : parts) {
    if (!TryStrictInt(Trim(CutField(rest, Separator)), part)) part = -1;
    if (part <= 0) return TDateTime();
  }
  const auto [a, b, c] = parts;
  int64_t year = a;
  int month = b, day = c;
  switch (Kind) {
    case 2: year = c; month = a; day = b; break;
    case 3: year = c; month = b; day = a; break;
    case 4:
    case 5: year = int64_t{a} + 1911; break;
    default: break;
  }
  TDateTime first;
  if (year > MaxYear || !TryEncodeDate(static_cast<int>(year), month, 1, first)) return TDateTime();
  const double date = first.Value + (int64_t{day} - 1);
  return InDateRange(date) ? TDateTime(date) : TDateTime();
}

// ==== Compact dates ====

TDateTime YMDToDate(std::string_view Text) {
  if (Text.size() != 8) return TDateTime();
  TDateTime date;
  if (!TryEncodeDate(DigitsOrZero(Text.substr(0, 4)), DigitsOrZero(Text.substr(4, 2)),
                     DigitsOrZero(Text.substr(6, 2)), date))
    return TDateTime();
  return date;
}

bool IsValidYMD(std::string_view Text) {
  if (Text.empty()) return true;
  return YMDToDate(Text).Value != 0 && Text >= "17530101" && Text <= "99991231";
}

AnsiString ShiftYMD(const Variant& Value, std::string_view Unit, int Count) {
  double date = 0;
  if (Value.IsString()) {
    date = YMDToDate(VarToStr(Value));
  } else if (const TDateTime* d = Value.GetIf<TDateTime>()) {
    date = d->Value;
  } else {
    return AnsiString();
  }
  if (date == 0 || !InDateRange(date)) return AnsiString();
  int year = 0, month = 0, day = 0;
  DecodeDate(TDateTime(date), year, month, day);
  const AnsiString unit = UpperCase(Unit);
  TDateTime result;
  if (unit == "Y") {
    const int64_t y = int64_t{year} + Count;
    if (y < MinYear || y > MaxYear || !TryEncodeClamped(static_cast<int>(y), month, day, result))
      return AnsiString();
  } else if (unit == "M") {
    const int64_t total = int64_t{year} * 12 + month + Count;
    int64_t y = total / 12;
    int64_t m = total % 12;
    if (m == 0) {
      m = 12;
      --y;
    }
    if (total <= 0 || y < MinYear || y > MaxYear ||
        !TryEncodeClamped(static_cast<int>(y), static_cast<int>(m), day, result))
      return AnsiString();
  } else if (unit == "D") {
    result = TDateTime(date + Count);
  } else {
    return AnsiString();
  }
  return DateToYMD(result);
}

int DaysOfMonth(int Year, int Month) {
  switch (Month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 4: case 6: case 9: case 11: return 30;
    case 2: return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0 ? 29 : 28;
    default: return 0;
  }
}

// ==== Periodic jobs and date rules ====

AnsiString NextCycleDate(std::string_view Start, const Variant& Pattern) {
  const double start = YMDToDate(Start);
  if (start == 0) return AnsiString();
  try {
    const int type = PatternInt(Pattern[0]);
    switch (type) {
      case 0: {
        if (PatternInt(Pattern[1]) < 1) return AnsiString();
        return ShiftYMD(Variant(AnsiString(Start)), "D", 0);
      }
      case 1: {
        const Variant& params = Pattern[1];
        const int weeks = PatternInt(params[0]);
        const int weekday = PatternInt(params[1]);
        if (weeks < 1 || weekday < 0 || weekday > 6) return AnsiString();
        return EveryNWeeks(start, weeks, weekday);
      }
      case 2: {
        const Variant& params = Pattern[1];
        const int subType = PatternInt(params[0]);
        const int months = PatternInt(params[1]);
        if (months < 1) return AnsiString();
        if (subType == 0) {
          const int day = PatternInt(params[2]);
          if (day < 1 || day > 31) return AnsiString();
          return DayEveryNMonths(Start, start, months, day);
        }
        if (subType == 1) {
          const int ordinal = PatternInt(params[2]);
          const int weekday = PatternInt(params[3]);
          if (ordinal < 0 || ordinal > 4 || weekday < 0 || weekday > 6) return AnsiString();
          return WeekdayEveryNMonths(Start, months, ordinal, weekday);
        }
        return AnsiString();
      }
      default:
        return AnsiString();
    }
  } catch (const std::exception&) {
    // A pattern that cannot be read has no run date.
    return AnsiString();
  }
}

AnsiString WeekBoundary(std::string_view Base, std::string_view Weeks, std::string_view Mode) {
  const double base = RequireYMD(Base);
  const double t = base + 7.0 * StrictInt(Weeks);
  RequireDateToYMD(t);  // raises outside the calendar, before its weekday is asked
  const int dow = WeekdayOf(t);
  return RequireDateToYMD(Mode == "1" ? t + (1 - dow) : t + (7 - dow));
}

AnsiString EvalDateRule(std::string_view Base, std::string_view Offset, std::string_view Unit,
                        std::string_view Days, std::string_view Mode) {
  if (Base.size() <= 6) {
    const AnsiString firstDay = AnsiString(Base) + "01";
    RequireYMD(firstDay);
    return RequireShift(firstDay, "M", StrictInt(Offset)).substr(0, 6);
  }
  const double base = RequireYMD(Base);
  if (Unit != "0") {
    const AnsiString s = RequireShift(Base, "M", StrictInt(Offset));
    switch (StrictInt(Mode)) {
      case 0: return RequireDateToYMD(YMDToDate(s) + StrictInt(Days));
      case 1: return s.substr(0, 6) + "01";
      case 2: return LastOfMonth(s);
      default: return s;
    }
  }
  if (Mode != "0") return WeekBoundary(Base, Offset, Mode);
  return RequireDateToYMD(base + (int64_t{StrictInt(Offset)} * 7 + StrictInt(Days)));
}

namespace {

// The fields of one date rule, split once (field 1 is [0]); a field past the
// end reads as "", as GetField gives it.
class TRuleFields {
public:
  explicit TRuleFields(std::string_view rule) {
    size_t start = 0;
    for (size_t p = FindSeparator(rule, "\x03"); p != std::string_view::npos;
         p = FindSeparator(rule, "\x03", start)) {
      FFields.push_back(rule.substr(start, p - start));
      start = p + 1;
    }
    FFields.push_back(rule.substr(start));
  }
  std::string_view operator[](size_t field) const {
    return field >= 1 && field <= FFields.size() ? FFields[field - 1] : std::string_view();
  }

private:
  std::vector<std::string_view> FFields;
};

// One side of a rule: the date that the fields first..first+4 (active flag,
// offset, unit, mode, days) give for base; false when the side is inactive.
bool EvalRuleSide(const TRuleFields& fields, size_t first, const AnsiString& base,
                  Variant& value) {
  if (fields[first] != "Y") return false;
  const std::string_view offset = fields[first + 1];
  const std::string_view unit = fields[first + 2];
  const std::string_view mode = fields[first + 3];
  const std::string_view days = fields[first + 4];
  if (offset == "0" && mode == "0" && days == "0")
    value = Variant(base);
  else
    value = Variant(EvalDateRule(base, offset, unit, days, mode));
  return true;
}

}  // namespace

Variant ApplyDateRules(const Variant& Package, std::string_view BaseDate) {
  try {
    const AnsiString fullBase(BaseDate);
    const AnsiString monthBase = fullBase.substr(0, 6);
    Variant values = Package[1];
    const Variant& rules = Package[3];
    const int count = rules[0].AsInteger();
    for (int i = 1; i <= count; ++i) {
      const AnsiString rule = VarToStr(rules[i]);
      const TRuleFields fields(rule);
      if (fields[1] != "0") {
        const AnsiString& base = fields[8] == "D" ? fullBase : monthBase;
        const int e = StrictInt(fields[9]);
        Variant value;
        if (EvalRuleSide(fields, 3, base, value)) values[e] = std::move(value);
      } else {
        const AnsiString& base = fields[13] == "D" ? fullBase : monthBase;
        const int e = StrictInt(fields[14]);
        Variant range = values[e];
        if (!range.IsArray())
          throw EVariantTypeCastError("Date rule " + IntToStr(int32_t{i}) +
                                      ": the value of a range rule is no array");
        Variant value;
        if (EvalRuleSide(fields, 3, base, value)) range[1] = value;
        if (EvalRuleSide(fields, 8, base, value)) range[2] = value;
        values[e] = std::move(range);
      }
    }
    return values;
  } catch (const std::exception&) {
    return Variant(AnsiString());
  }
}

// ==== Alert log and folders ====

bool WriteAlertLogIn(std::string_view BaseFolder, std::string_view Name, std::string_view Message,
                     std::string_view Period) {
  try {
    if (LastDelimiter("/\\", Name) != 0) return false;
    const AnsiString folder = IncludeTrailingPathDelimiter(BaseFolder) + "Log";
    if (!ForceDirectories(folder)) return false;
    const TDateTime now = Now();
    const char* picture = Period == "M" ? "yyyymm" : Period == "Y" ? "yyyy" : "yyyymmdd";
    AnsiString file = IncludeTrailingPathDelimiter(folder) + "Alert_" + AnsiString(Name) + "_" +
                      FormatDateTime(picture, now);
    if (Pos(".", Name) == 0) file += ".log";
    AppendLine(file, "[" + FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", now) + "] " +
                         AnsiString(Message));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool WriteAlertLog(std::string_view Name, std::string_view Message, std::string_view Period) {
  AnsiString folder;
  try {
    folder = GetClientPath();
    if (folder.empty()) folder = GetHostExeDir();
  } catch (const std::exception&) {
    return false;
  }
  return WriteAlertLogIn(folder, Name, Message, Period);
}

AnsiString GetClientPath() {
  TRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly("Software\\ORLAN\\Helmar")) return AnsiString();
  AnsiString path = registry.ReadString("ClientPath");
  if (path.empty()) path = registry.ReadString("ServerPath");
  return path;
}

AnsiString GetLongTempPath() { return GetTempPath(); }

// ==== Code pages ====

AnsiString WideToCodePage(std::u16string_view W, int CodePage) {
  // The whole text and its terminator, as the Windows call is asked; the
  // terminator comes off again, embedded NULs stay.
  const WideString text(W);
  const int srcLen = static_cast<int>(text.size()) + 1;
  const int size = WideCharToMultiByte(CodePage, 0, text.c_str(), srcLen, nullptr, 0, nullptr,
                                       nullptr);
  if (size <= 0) return WideToCodePage(CP_ACP, W);
  AnsiString buffer(static_cast<size_t>(size), '\0');
  if (WideCharToMultiByte(CodePage, 0, text.c_str(), srcLen, buffer.data(), size, nullptr,
                          nullptr) != size)
    return WideToCodePage(CP_ACP, W);
  buffer.pop_back();
  return buffer;
}

WideString CodePageToWide(std::string_view S, int CodePage) {
  const int srcLen = static_cast<int>(S.size());
  const int length = MultiByteToWideChar(CodePage, 0, S.data(), srcLen, nullptr, 0);
  if (length <= 0) return CodePageToWide(CP_ACP, S);
  WideString buffer(static_cast<size_t>(length), u'\0');
  if (MultiByteToWideChar(CodePage, 0, S.data(), srcLen, buffer.data(), length) != length)
    return CodePageToWide(CP_ACP, S);
  return buffer;
}

Variant VariantToCodePage(const Variant& V, int CodePage) {
  return ConvertOrLog(V, TDirection::ToCodePage, CodePage, "LINE[2735] ");
}

Variant VariantFromCodePage(const Variant& V, int CodePage) {
  return ConvertOrLog(V, TDirection::FromCodePage, CodePage, "LINE[115] ");
}

// ==== Small helpers ====

WideString JoinVariantList(const Variant& Prefix, const Variant& List) {
  const char16_t separator = u'\x03';
  WideString result = VarToWideStr(Prefix);
  result += separator;
  result += VarToWideStr(List[0]);
  result += separator;
  const int count = List[0].AsInteger();
  for (int i = 1; i <= count; ++i) {
    result += VarToWideStr(List[i]);
    result += separator;
  }
  return result;
}

AnsiString ReplaceText(std::string_view Text, std::string_view Old, std::string_view New,
                       bool TrimResult) {
  AnsiString result(Text);
  if (!Old.empty() && !SameText(Old, New)) {
    if (New.size() < Old.size()) {
      // Each replacement shortens the text, so searching again from the
      // start always ends.
      for (size_t p = FindSeparator(result, Old); p != std::string_view::npos;
           p = FindSeparator(result, Old))
        result.replace(p, Old.size(), New);
    } else {
      result = StringReplace(result, Old, New, rfReplaceAll);
    }
  }
  return TrimResult ? Trim(result) : result;
}

AnsiString LocalizeButtonCaption(std::string_view Name) {
  for (const TButtonCaption& entry : ButtonCaptions) {
    if (entry.Name == Name) return entry.Caption;
  }
  return AnsiString(Name);
}

double StrToFloatDefault(std::string_view Text, double Default) {
  size_t i = 0;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return Default;
    }
  }
  double value = 0;
  if (!digits || !TryStrToFloat(Text, value)) return Default;
  return value;
}

bool IsLocalAddress(std::string_view Text) { return Text == "127.0.0.1"; }

Variant IfThenVariant(bool Flag, const Variant& A, const Variant& B) { return Flag ? A : B; }

bool IsBlankVariant(const Variant& V) { return VarIsClear(V); }
