#include "lib/LibStrs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/VariantPrint.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/TempDir.h"

namespace {

TDateTime D(int year, int month, int day) { return EncodeDate(year, month, day); }

// The name GoogleTest shows for a row of a TEST_P table.
template <class Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
  return info.param.Name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A date rule from its fields, joined by #3 as the options form writes it.
AnsiString Rule(std::initializer_list<const char*> fields) {
  AnsiString rule;
  bool first = true;
  for (const char* field : fields) {
    if (!first) rule += '\x03';
    rule += field;
    first = false;
  }
  return rule;
}

}  // namespace

// ==== Separated fields ====

// Guards against off-by-one field indices, a lost trailing empty field and
// the loop that an empty separator sent into endless searching.
TEST(LibStrsFieldsTest, GetFieldPicksTheIndexedField) {
  struct {
    const char* Text;
    const char* Sep;
    int Index;
    const char* Expected;
  } const rows[] = {
      {"a;b;c", ";", 1, "a"},       {"a;b;c", ";", 2, "b"},   {"a;b;c", ";", 3, "c"},
      {"a;b;c", ";", 4, ""},        {"abc", ";", 1, "abc"},   {"abc", ";", 2, ""},
      {"a;b;", ";", 3, ""},         {"a;b;", ";", 4, ""},     {";b", ";", 1, ""},
      {"a<>b<>c", "<>", 2, "b"},    {"a;b", ";", 0, ""},      {"", ";", 1, ""},
      {"abc", "", 1, "abc"},        {"abc", "", 2, ""},       {"x#ay#az", "#a", 3, "z"},
      {"1\x03name\x03Y", "\x03", 3, "Y"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Text << " / " << row.Sep << " / " << row.Index);
    EXPECT_EQ(GetField(row.Text, row.Sep, row.Index), row.Expected);
  }
}

// Guards against the endless count of a separator starting with "#" (the
// private copy's "#" was overwritten with "#"), the endless empty separator,
// and against counting overlapping occurrences only once.
TEST(LibStrsFieldsTest, FieldCountCountsEveryOccurrenceAndEnds) {
  struct {
    const char* Text;
    const char* Sep;
    int Expected;
  } const rows[] = {
      {"", ";", 0},          {"a", ";", 1},        {"a;b;", ";", 3},    {";;;", ";;", 3},
      {"a#b#c", "#", 3},     {"x#ay#a", "#a", 3},  {"###", "##", 3},    {"abc", "", 1},
      {"a<>b<>c", "<>", 3},  {"", "", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Text << " / " << row.Sep);
    EXPECT_EQ(FieldCount(row.Text, row.Sep), row.Expected);
  }
}

// Guards against the separator staying in the rest, and an empty separator
// looping instead of taking the whole text.
TEST(LibStrsFieldsTest, CutFieldTakesTheFirstFieldAway) {
  struct {
    const char* Text;
    const char* Sep;
    const char* Field;
    const char* Rest;
  } const rows[] = {
      {"a;b;c", ";", "a", "b;c"}, {"abc", ";", "abc", ""}, {"a<>b", "<>", "a", "b"},
      {";b", ";", "", "b"},       {"a;", ";", "a", ""},    {"", ";", "", ""},
      {"abc", "", "abc", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Text << " / " << row.Sep);
    AnsiString text = row.Text;
    EXPECT_EQ(CutField(text, row.Sep), row.Field);
    EXPECT_EQ(text, row.Rest);
  }
}

// Guards against a separator found inside a double-byte character: 0x81 0x7C
// (亅) ends with the byte of "|".
TEST(LibStrsFieldsTest, SeparatorsMatchOnlyAtCharacterBoundaries) {
  TScopedCodePage gbk(936);
  const AnsiString text = "\x81\x7C" "a|b";  // 亅a|b
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\x81\x7C" "a", GetField(text, "|", 1));
  EXPECT_EQ(FieldCount(text, "|"), 2);
  AnsiString rest = text;
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\x81\x7C" "a", CutField(rest, "|"));
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\x81\x7C" "x", ReplaceText("\x81\x7C" "x|", "|", "", false));
}

// ==== Display dates ====

// Guards against wrong part order or width per kind, the ROC year offset
// (negative before 1912), a whole separator text instead of its first
// character, and text for date 0 or an unknown kind.
TEST(LibStrsDisplayDateTest, FormatsEveryKindWithDayAndWithoutIt) {
  struct {
    int Kind;
    const char* Sep;
    TDateTime Date;
    const char* DateText;
    const char* MonthText;
  } const rows[] = {
      {1, "/", D(2024, 5, 7), "2024/05/07", "2024/05"},
      {2, "-", D(2011, 1, 1), "01-01-2011", "01-2011"},
      {2, "/", D(2024, 5, 7), "05/07/2024", "05/2024"},
      {3, "/", D(2024, 5, 7), "07/05/2024", "05/2024"},
      {4, "/", D(2011, 1, 1), "100/01/01", "100/01"},
      {5, "/", D(2011, 1, 1), "100/01/01", "100/01"},
      {4, "/", D(1999, 1, 1), "88/01/01", "88/01"},
      {5, "/", D(1999, 1, 1), "088/01/01", "088/01"},
      {4, "/", D(1912, 1, 1), "01/01/01", "01/01"},
      {4, "/", D(1900, 3, 4), "-11/03/04", "-11/03"},
      {5, "/", D(1900, 3, 4), "-011/03/04", "-011/03"},
      {4, "/", D(1911, 6, 1), "00/06/01", "00/06"},
      {1, "", D(2024, 5, 7), "20240507", "202405"},
      {1, "-/", D(2024, 5, 7), "2024-05-07", "2024-05"},
      {1, "/", D(99, 12, 31), "0099/12/31", "0099/12"},
      {1, "/", TDateTime(0), "", ""},
      {0, "/", D(2024, 5, 7), "", ""},
      {6, "/", D(2024, 5, 7), "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << row.Kind << ", " << row.DateText);
    EXPECT_EQ(FormatDateBySetting(row.Kind, row.Sep, row.Date), row.DateText);
    EXPECT_EQ(FormatMonthBySetting(row.Kind, row.Sep, row.Date), row.MonthText);
  }
}

// Guards against a double-byte separator being cut to its lead byte.
TEST(LibStrsDisplayDateTest, DoubleByteSeparatorStaysWhole) {
  TScopedCodePage gbk(936);
  EXPECT_PRED_FORMAT2(AssertSameBytes, "2024\xC4\xEA" "05\xC4\xEA" "07",  // 年
                      FormatDateBySetting(1, "\xC4\xEA\xD4\xC2", D(2024, 5, 7)));
}

// Guards against a kind whose display text does not read back as the same
// date, for every kind and separators of one and more characters.
TEST(LibStrsDisplayDateTest, EveryKindReadsBackWhatItShows) {
  for (int kind = 1; kind <= 5; ++kind) {
    for (TDateTime date : {D(2024, 2, 29), D(1999, 12, 31), D(1912, 1, 1)}) {
      for (const char* sep : {"/", "-", "."}) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " date " << date.Value << sep);
        const AnsiString text = FormatDateBySetting(kind, sep, date);
        EXPECT_EQ(ParseDateBySetting(text, kind, sep).Value, date.Value) << text;
      }
    }
  }
}

// Guards against day overflow not rolling into the next month (it must),
// invalid months or years giving a date, loose number parsing, and a date
// past the end of the calendar.
TEST(LibStrsDisplayDateTest, ParsesByKindWithDayRollover) {
  struct {
    const char* Text;
    int Kind;
    const char* Sep;
    TDateTime Expected;
  } const rows[] = {
      {"2024/02/30", 1, "/", D(2024, 3, 1)},
      {"2024/12/32", 1, "/", D(2025, 1, 1)},
      {"2023/02/29", 1, "/", D(2023, 3, 1)},
      {"2024/13/01", 1, "/", TDateTime(0)},
      {"2024/00/01", 1, "/", TDateTime(0)},
      {"2024/05/00", 1, "/", TDateTime(0)},
      {" 2024 / 5 / 15 ", 1, "/", D(2024, 5, 15)},
      {"05-15-2024", 2, "-", D(2024, 5, 15)},
      {"15.05.2024", 3, ".", D(2024, 5, 15)},
      {"113/05/15", 4, "/", D(2024, 5, 15)},
      {"113/05/15", 5, "/", D(2024, 5, 15)},
      {"1/1/1", 4, "/", D(1912, 1, 1)},
      {"-11/03/04", 4, "/", TDateTime(0)},  // ROC years before 1912 do not read back
      {"2024<>05<>15", 1, "<>", D(2024, 5, 15)},
      {"2024/05/15/extra", 1, "/", D(2024, 5, 15)},
      {"2024/05", 1, "/", TDateTime(0)},
      {"2024/x/15", 1, "/", TDateTime(0)},
      {"2024/$5/15", 1, "/", TDateTime(0)},
      {"2024/05/15", 0, "/", TDateTime(0)},
      {"2024/05/15", 6, "/", TDateTime(0)},
      {"   ", 1, "/", TDateTime(0)},
      {"10000/01/01", 1, "/", TDateTime(0)},
      {"9999/12/32", 1, "/", TDateTime(0)},
      {"2024/05/99999999999", 1, "/", TDateTime(0)},
      {"2024/05/15", 1, "", TDateTime(0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Text << " kind " << row.Kind);
    EXPECT_EQ(ParseDateBySetting(row.Text, row.Kind, row.Sep).Value, row.Expected.Value);
  }
}

// ==== Compact dates ====

// Guards against accepting impossible dates, texts of other lengths and
// signs, and against the 1753 limit or the empty text being handled wrong.
TEST(LibStrsCompactDateTest, ReadsAndValidatesEightDigitDates) {
  struct {
    const char* Text;
    TDateTime Date;
    bool Valid;
  } const rows[] = {
      {"20240515", D(2024, 5, 15), true},   {"20240229", D(2024, 2, 29), true},
      {"20240230", TDateTime(0), false},    {"20230229", TDateTime(0), false},
      {"17521231", D(1752, 12, 31), false}, {"17530101", D(1753, 1, 1), true},
      {"99991231", D(9999, 12, 31), true},  {"", TDateTime(0), true},
      {"2024051", TDateTime(0), false},     {"202405150", TDateTime(0), false},
      {"2024-5-1", TDateTime(0), false},    {"2024+5+1", TDateTime(0), false},
      {"00000101", TDateTime(0), false},    {"20241301", TDateTime(0), false},
      {"2024 515", TDateTime(0), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    EXPECT_EQ(YMDToDate(row.Text).Value, row.Date.Value);
    EXPECT_EQ(IsValidYMD(row.Text), row.Valid);
  }
}

struct TShiftRow {
  std::string Name;
  Variant Value;
  const char* Unit;
  int Count;
  const char* Expected;
};

void PrintTo(const TShiftRow& row, std::ostream* os) { *os << row.Name; }

class LibStrsShiftYMDTest : public testing::TestWithParam<TShiftRow> {};

// Guards against month ends not stepping back (31 January + 1 month), the
// remainder-0 month (December) landing in the wrong year, leap days lost or
// invented, and values that are no date giving a date.
TEST_P(LibStrsShiftYMDTest, Shifts) {
  const TShiftRow& row = GetParam();
  EXPECT_EQ(ShiftYMD(row.Value, row.Unit, row.Count), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibStrsShiftYMDTest,
    testing::Values(
        TShiftRow{"JanEndPlusMonthLeap", "20240131", "M", 1, "20240229"},
        TShiftRow{"JanEndPlusMonth", "20230131", "M", 1, "20230228"},
        TShiftRow{"MarEndMinusMonth", "20240331", "M", -1, "20240229"},
        TShiftRow{"MayEndPlusMonth", "20240531", "M", 1, "20240630"},
        TShiftRow{"MinusThreeMonths", "20240315", "M", -3, "20231215"},
        TShiftRow{"JanuaryMinusMonth", "20240101", "M", -1, "20231201"},
        TShiftRow{"ToDecemberSameYear", "20240115", "M", 11, "20241215"},
        TShiftRow{"PlusTwelveMonths", "20240115", "M", 12, "20250115"},
        TShiftRow{"MinusTwentyFourMonths", "20240115", "M", -24, "20220115"},
        TShiftRow{"ZeroMonths", "20240115", "M", 0, "20240115"},
        TShiftRow{"LeapDayPlusYear", "20240229", "Y", 1, "20250228"},
        TShiftRow{"LeapDayPlusFourYears", "20240229", "Y", 4, "20280229"},
        TShiftRow{"LeapDayMinusHundredYears", "20000229", "Y", -100, "19000228"},
        TShiftRow{"YearEndPlusDay", "20241231", "D", 1, "20250101"},
        TShiftRow{"MarchFirstMinusDay", "20240301", "D", -1, "20240229"},
        TShiftRow{"LowerCaseUnit", "20240515", "m", 1, "20240615"},
        TShiftRow{"WideText", WideString(u"20240131"), "d", 1, "20240201"},
        TShiftRow{"DateValue", D(2024, 1, 31), "M", 1, "20240229"},
        TShiftRow{"DateWithTime", TDateTime(D(2024, 1, 31).Value + 0.75), "D", 1, "20240201"},
        TShiftRow{"UnknownUnit", "20240515", "x", 1, ""},
        TShiftRow{"LongUnit", "20240515", "MM", 1, ""},
        TShiftRow{"NullValue", Null(), "D", 1, ""},
        TShiftRow{"EmptyValue", Variant(), "D", 1, ""},
        TShiftRow{"DoubleValue", 45427.0, "D", 1, ""},
        TShiftRow{"IntegerValue", 20240515, "D", 1, ""},
        TShiftRow{"DateZero", TDateTime(0), "D", 1, ""},
        TShiftRow{"ImpossibleText", "20240230", "D", 1, ""},
        TShiftRow{"PastYear9999", "99991231", "D", 1, ""},
        TShiftRow{"BeforeYear1", "00010101", "M", -1, ""},
        TShiftRow{"HugeYearCount", "20240515", "Y", 2147483647, ""},
        TShiftRow{"HugeMonthCount", "20240515", "M", -2147483647 - 1, ""}),
    RowName<TShiftRow>);

// Guards against the century rules of February and months outside 1..12.
TEST(LibStrsCompactDateTest, DaysOfMonthFollowsTheCalendar) {
  struct {
    int Year, Month, Expected;
  } const rows[] = {{2024, 1, 31}, {2024, 4, 30}, {2023, 2, 28}, {2024, 2, 29}, {1900, 2, 28},
                    {2000, 2, 29}, {2024, 12, 31}, {2024, 13, 0}, {2024, 0, 0}, {2024, -1, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Year << "-" << row.Month);
    EXPECT_EQ(DaysOfMonth(row.Year, row.Month), row.Expected);
  }
}

// ==== First run date of a periodic job ====

struct TCycleRow {
  std::string Name;
  const char* Start;
  Variant Pattern;
  const char* Expected;
};

void PrintTo(const TCycleRow& row, std::ostream* os) { *os << row.Name; }

class LibStrsNextCycleDateTest : public testing::TestWithParam<TCycleRow> {};

// Guards against weekday arithmetic off by a day or a week, month ends and
// short months in the monthly cycles, the fifth week of "last", a first
// candidate before Start not moving on one interval, and patterns the
// options never build running forever or giving a date.
TEST_P(LibStrsNextCycleDateTest, FindsTheFirstRunDate) {
  const TCycleRow& row = GetParam();
  EXPECT_EQ(NextCycleDate(row.Start, row.Pattern), row.Expected);
}

Variant Days(Variant n) { return VarArrayOf({0, std::move(n)}); }
Variant Weeks(Variant n, Variant weekday) {
  return VarArrayOf({1, VarArrayOf({std::move(n), std::move(weekday)})});
}
Variant MonthDay(Variant m, Variant day) {
  return VarArrayOf({2, VarArrayOf({0, std::move(m), std::move(day)})});
}
Variant MonthWeekday(Variant m, Variant ordinal, Variant weekday) {
  return VarArrayOf({2, VarArrayOf({1, std::move(m), std::move(ordinal), std::move(weekday)})});
}

// 2024-05-15 is a Wednesday; 2024-05-01 too.
INSTANTIATE_TEST_SUITE_P(
    Table, LibStrsNextCycleDateTest,
    testing::Values(
        TCycleRow{"DaysIsStart", "20240515", Days("3"), "20240515"},
        TCycleRow{"WeeklySameWeekday", "20240515", Weeks("1", 3), "20240515"},
        TCycleRow{"WeeklyLaterWeekday", "20240515", Weeks("1", 1), "20240520"},
        TCycleRow{"WeeklyLaterInWeek", "20240515", Weeks("1", 5), "20240517"},
        TCycleRow{"WeeklyEarlierWeekdayIsNextSunday", "20240515", Weeks("1", 0), "20240519"},
        TCycleRow{"EveryTwoWeeksSameWeekday", "20240515", Weeks("2", 3), "20240522"},
        TCycleRow{"EveryTwoWeeksEarlierWeekday", "20240515", Weeks("2", 1), "20240527"},
        TCycleRow{"WeeklyAcrossYearEnd", "20241230", Weeks("1", 6), "20250104"},
        TCycleRow{"WeeklyNumberInterval", "20240515", Weeks(1, 3), "20240515"},
        TCycleRow{"MonthDayNextMonth", "20240515", MonthDay("1", "10"), "20240610"},
        TCycleRow{"MonthDayThisMonth", "20240515", MonthDay("1", "31"), "20240531"},
        TCycleRow{"MonthDayIsStart", "20240515", MonthDay("1", "15"), "20240515"},
        TCycleRow{"MonthDay31In30DayMonth", "20240605", MonthDay("1", "31"), "20240630"},
        TCycleRow{"MonthDay30InLeapFebruary", "20240205", MonthDay("1", "30"), "20240229"},
        TCycleRow{"MonthDay29InShortFebruary", "20230205", MonthDay("1", "29"), "20230228"},
        TCycleRow{"MonthDayAcrossYearEnd", "20241215", MonthDay("1", "10"), "20250110"},
        TCycleRow{"EveryThreeMonthsDay", "20240515", MonthDay("3", "10"), "20240810"},
        TCycleRow{"EveryThreeMonthsLaterDay", "20240515", MonthDay("3", "20"), "20240720"},
        TCycleRow{"LastFriday", "20240515", MonthWeekday("1", 4, 5), "20240531"},
        TCycleRow{"LastWednesdayInFifthWeek", "20240501", MonthWeekday("1", 4, 3), "20240529"},
        TCycleRow{"FourthWednesday", "20240501", MonthWeekday("1", 3, 3), "20240522"},
        TCycleRow{"FourthThursday", "20240501", MonthWeekday("1", 3, 4), "20240523"},
        TCycleRow{"FirstMondayPassedGoesOn", "20240515", MonthWeekday("1", 0, 1), "20240603"},
        TCycleRow{"FirstWednesdayIsFirstDay", "20240501", MonthWeekday("1", 0, 3), "20240501"},
        TCycleRow{"SecondMondayBeforeFirstWeekday", "20240501", MonthWeekday("1", 1, 1),
                  "20240513"},
        TCycleRow{"LastThursdayPassedGoesOn", "20240531", MonthWeekday("1", 4, 4), "20240627"},
        TCycleRow{"FirstMondayAcrossYearEnd", "20241220", MonthWeekday("1", 0, 1), "20250106"},
        TCycleRow{"EveryTwoMonthsLastSunday", "20241215", MonthWeekday("2", 4, 0), "20250126"},
        TCycleRow{"LastSundayInLeapFebruary", "20240201", MonthWeekday("1", 4, 0), "20240225"},
        TCycleRow{"Hourly", "20240515", VarArrayOf({3, 1.5}), ""},
        TCycleRow{"UnknownType", "20240515", VarArrayOf({7, "1"}), ""},
        TCycleRow{"DaysIntervalZero", "20240515", Days("0"), ""},
        TCycleRow{"WeeksIntervalZero", "20240515", Weeks("0", 3), ""},
        TCycleRow{"WeeksNegative", "20240515", Weeks("-1", 3), ""},
        TCycleRow{"WeekdaySeven", "20240515", Weeks("1", 7), ""},
        TCycleRow{"WeekdayNegative", "20240515", Weeks("1", -1), ""},
        TCycleRow{"MonthsZeroDay", "20240515", MonthDay("0", "10"), ""},
        TCycleRow{"DayZero", "20240515", MonthDay("1", "0"), ""},
        TCycleRow{"DayThirtyTwo", "20240515", MonthDay("1", "32"), ""},
        TCycleRow{"MonthsZeroWeekday", "20240515", MonthWeekday("0", 0, 1), ""},
        TCycleRow{"OrdinalFive", "20240515", MonthWeekday("1", 5, 1), ""},
        TCycleRow{"OrdinalWeekdaySeven", "20240515", MonthWeekday("1", 0, 7), ""},
        TCycleRow{"UnknownSubType", "20240515", VarArrayOf({2, VarArrayOf({2, "1", "1"})}), ""},
        TCycleRow{"IntervalNotANumber", "20240515", Weeks("x", 3), ""},
        TCycleRow{"IntervalWithBlank", "20240515", Weeks(" 1", 3), ""},
        TCycleRow{"ParametersMissing", "20240515", VarArrayOf({1}), ""},
        TCycleRow{"PatternNotAnArray", "20240515", Variant(), ""},
        TCycleRow{"StartNoDate", "20240230", Weeks("1", 3), ""},
        TCycleRow{"StartEmpty", "", Days("1"), ""},
        TCycleRow{"PastTheCalendar", "99991230", Weeks("1", 0), ""}),
    RowName<TCycleRow>);

// ==== Date rules ====

// Guards against unit, mode and year-month handling per rule kind, and the
// week boundaries landing on the wrong Sunday or Saturday.
TEST(LibStrsDateRuleTest, EvaluatesEachUnitAndMode) {
  struct {
    const char *Base, *Offset, *Unit, *Days, *Mode, *Expected;
  } const rows[] = {
      {"20240515", "1", "1", "0", "2", "20240630"},    // months, last day
      {"20240515", "1", "1", "3", "0", "20240618"},    // months, plus days
      {"20240131", "1", "1", "0", "0", "20240229"},    // months, month end steps back
      {"20240131", "1", "1", "0", "1", "20240201"},    // months, first day
      {"20240131", "1", "1", "0", "2", "20240229"},    // months, last day of February
      {"20240515", "-2", "1", "0", "1", "20240301"},   // months back, first day
      {"20240131", "1", "1", "0", "7", "20240229"},    // months, other mode: shifted date
      {"20241215", "1", "1", "20", "0", "20250204"},   // months into the next year
      {"20240515", "0", "0", "0", "1", "20240512"},    // weeks, Sunday
      {"20240515", "0", "0", "0", "2", "20240518"},    // weeks, Saturday
      {"20240515", "-1", "0", "0", "1", "20240505"},   // a week back, Sunday
      {"20241231", "0", "0", "0", "2", "20250104"},    // Saturday in the next year
      {"20240515", "2", "0", "3", "0", "20240601"},    // weeks plus days
      {"20240515", "0", "0", "-15", "0", "20240430"},  // days back
      {"202405", "-1", "1", "0", "2", "202404"},       // year-month
      {"202401", "-1", "0", "9", "9", "202312"},       // year-month ignores the rest
      {"202405", "12", "x", "x", "x", "202505"},       // year-month, other fields unused
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Base << " " << row.Offset << " " << row.Unit << " "
                                    << row.Days << " " << row.Mode);
    EXPECT_EQ(EvalDateRule(row.Base, row.Offset, row.Unit, row.Days, row.Mode), row.Expected);
  }
}

// Guards against loose number parsing (blanks, hex, fractions) and broken
// bases turning into dates of 1899 instead of a conversion error.
TEST(LibStrsDateRuleTest, RaisesOnFieldsThatAreNoIntegers) {
  struct {
    const char *Base, *Offset, *Unit, *Days, *Mode;
  } const rows[] = {
      {"20240515", "x", "1", "0", "0"},  {"20240515", " 1", "1", "0", "0"},
      {"20240515", "$1", "0", "0", "0"}, {"20240515", "1", "1", "1.5", "0"},
      {"20240515", "1", "1", "0", "a"},  {"20240515", "", "0", "0", "1"},
      {"20240230", "0", "0", "0", "1"},  {"2024", "0", "1", "0", "0"},
      {"202413", "0", "1", "0", "0"},    {"99991231", "1", "1", "0", "0"},
      {"20240515", "1", "0", "99999999999", "0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Base << " " << row.Offset << " " << row.Unit << " "
                                    << row.Days << " " << row.Mode);
    EXPECT_THROW(EvalDateRule(row.Base, row.Offset, row.Unit, row.Days, row.Mode), EConvertError);
  }
}

// Guards against a Sunday or Saturday base moving to the neighbouring week.
TEST(LibStrsDateRuleTest, WeekBoundaryKeepsTheWeek) {
  struct {
    const char *Base, *Weeks, *Mode, *Expected;
  } const rows[] = {
      {"20240515", "0", "1", "20240512"}, {"20240515", "0", "2", "20240518"},
      {"20240512", "0", "1", "20240512"}, {"20240518", "0", "2", "20240518"},
      {"20240518", "0", "1", "20240512"}, {"20240512", "0", "0", "20240518"},
      {"20240515", "1", "1", "20240519"}, {"20240515", "-2", "2", "20240504"},
      {"20240101", "0", "1", "20231231"}, {"20240515", "0", "", "20240518"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Base << " " << row.Weeks << " " << row.Mode);
    EXPECT_EQ(WeekBoundary(row.Base, row.Weeks, row.Mode), row.Expected);
  }
  EXPECT_THROW(WeekBoundary("20240515", "one", "1"), EConvertError);
}

class LibStrsApplyDateRulesTest : public testing::Test {
protected:
  // Values: [0] a single date, [1] a year-month, [2] a range [#4, from, to],
  // [3] a date no rule touches.
  Variant Package(std::vector<Variant> rules) {
    Variant package = VarArrayCreate({1, 3});
    package[1] = VarArrayOf({"", "", VarArrayOf({4, "a", "b"}), "keep"});
    package[2] = "anything";
    rules.insert(rules.begin(), Variant(static_cast<int32_t>(rules.size())));
    package[3] = VarArrayOf(std::move(rules));
    return package;
  }
};

// Guards against rules writing the wrong element, year-month rules using the
// full base, all-"0" rules being evaluated instead of taking the base, and
// inactive rules or sides changing anything.
TEST_F(LibStrsApplyDateRulesTest, AppliesSingleAndRangeRules) {
  const Variant package = Package({
      Rule({"1", "edDate", "Y", "1", "1", "2", "0", "D", "0"}),
      Rule({"1", "edMonth", "Y", "-1", "1", "0", "0", "M", "1"}),
      Rule({"0", "edRange", "Y", "0", "0", "1", "0", "Y", "1", "1", "2", "0", "D", "2"}),
  });
  const Variant expected =
      VarArrayOf({"20240630", "202404", VarArrayOf({4, "20240512", "20240630"}), "keep"});
  EXPECT_PRED_FORMAT2(AssertSameVariant, expected, ApplyDateRules(package, "20240515"));
  // The package is not touched.
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(""), package[1][0]);
}

// Guards against the base being evaluated when every number is "0", and
// inactive rules or range sides writing anything.
TEST_F(LibStrsApplyDateRulesTest, ZeroRulesTakeTheBaseAndInactiveRulesKeepValues) {
  const Variant package = Package({
      Rule({"1", "edDate", "Y", "0", "1", "0", "0", "D", "0"}),
      Rule({"1", "edMonth", "Y", "0", "0", "0", "0", "M", "1"}),
      Rule({"0", "edRange", "N", "1", "1", "1", "0", "Y", "0", "1", "0", "0", "M", "2"}),
      Rule({"1", "edOther", "N", "1", "1", "2", "0", "D", "3"}),
  });
  const Variant expected =
      VarArrayOf({"20240515", "202405", VarArrayOf({4, "a", "202405"}), "keep"});
  EXPECT_PRED_FORMAT2(AssertSameVariant, expected, ApplyDateRules(package, "20240515"));
}

// Guards against a broken rule leaving a half-updated array instead of the
// failure marker (a Variant holding the empty byte string).
TEST_F(LibStrsApplyDateRulesTest, BadRulesGiveAnEmptyText) {
  const struct {
    const char* Name;
    Variant Package;
    const char* Base = "20240515";
  } rows[] = {
      {"index not a number", Package({Rule({"1", "ed", "Y", "1", "1", "2", "0", "D", "x"})})},
      {"index outside", Package({Rule({"1", "ed", "Y", "1", "1", "2", "0", "D", "9"})})},
      {"offset not a number", Package({Rule({"1", "ed", "Y", "one", "1", "2", "0", "D", "0"})})},
      {"range on no array", Package({Rule({"0", "ed", "Y", "0", "0", "1", "0", "N", "0", "0",
                                           "0", "0", "D", "0"})})},
      {"missing fields", Package({Rule({"1", "ed", "Y", "1"})})},
      {"bad base", Package({Rule({"1", "ed", "Y", "1", "1", "2", "0", "D", "0"})}), "2024"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(""), ApplyDateRules(row.Package, row.Base));
  }
  Variant tooFew = Package({Rule({"1", "ed", "Y", "1", "1", "2", "0", "D", "0"})});
  tooFew[3][0] = 2;  // the count promises a rule that is not there
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(""), ApplyDateRules(tooFew, "20240515"));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(""), ApplyDateRules(Variant(), "20240515"));
}

// ==== Alert log ====

class LibStrsAlertLogTest : public testing::Test {
protected:
  void SetUp() override {
    WriteRegistry("ClientPath=" + FDir.Path() + "/client/\n");
    SetTestClock(TDateTime(D(2024, 1, 31).Value + EncodeTime(9, 5, 7, 45).Value));
  }
  void TearDown() override {
    ClearTestClock();
    RestoreDefaultFormatSettings();
  }
  void WriteRegistry(const std::string& values) {
    FDir.WriteFile("registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\n" + values);
  }
  std::string LogFile(const std::string& name) const { return FDir / ("client/Log/" + name); }

  TTempDir FDir;
  TScopedEnv FRegistry{"KULR_REGISTRY", FDir / "registry.ini"};
};

// Guards against wrong file names per period, ".log" added to a name with a
// dot, and files written outside the client's Log folder.
TEST_F(LibStrsAlertLogTest, NamesTheFileByNameAndPeriod) {
  struct {
    const char *Name, *Period, *File;
  } const rows[] = {
      {"libstrs", "D", "Alert_libstrs_20240131.log"},
      {"libstrs", "M", "Alert_libstrs_202401.log"},
      {"libstrs", "Y", "Alert_libstrs_2024.log"},
      {"other", "x", "Alert_other_20240131.log"},
      {"a.txt", "D", "Alert_a.txt_20240131"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.File);
    ASSERT_TRUE(WriteAlertLog(row.Name, "x", row.Period));
    EXPECT_TRUE(std::filesystem::exists(LogFile(row.File)));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir / "client/Log"),
                          std::filesystem::directory_iterator()),
            5);
}

// Guards against a wrong time stamp layout, lost milliseconds, LF line ends
// and overwriting instead of appending.
TEST_F(LibStrsAlertLogTest, AppendsStampedLinesWithCrLf) {
  ASSERT_TRUE(WriteAlertLog("libstrs", "first", "D"));
  SetTestClock(TDateTime(D(2024, 1, 31).Value + EncodeTime(23, 59, 59, 999).Value));
  ASSERT_TRUE(WriteAlertLog("libstrs", "second", "D"));
  EXPECT_EQ(ReadAll(LogFile("Alert_libstrs_20240131.log")),
            "[2024/01/31 09:05:07:045] first\r\n[2024/01/31 23:59:59:999] second\r\n");
}

// Guards against fixed "/" and ":" in the stamp: they follow the format
// settings' separators.
TEST_F(LibStrsAlertLogTest, StampFollowsTheFormatSettings) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.TimeSeparator = '.';
  ASSERT_TRUE(WriteAlertLog("libstrs", "x", "D"));
  EXPECT_EQ(ReadAll(LogFile("Alert_libstrs_20240131.log")), "[2024-01-31 09.05.07.045] x\r\n");
}

// Guards against client folders in the Windows form or without a trailing
// delimiter, the ServerPath fallback, and a GBK name reaching the disk as
// anything but its UTF-8 name.
TEST_F(LibStrsAlertLogTest, FindsTheFolderInEveryForm) {
  TScopedCodePage gbk(936);
  struct {
    std::string Values, Folder;
  } const rows[] = {
      {"ClientPath=" + FDir.Path() + "/a\n", "a"},
      {"ClientPath=" + FDir.Path() + "\\b\\\n", "b"},
      {"ClientPath=\nServerPath=" + FDir.Path() + "/server/\n", "server"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Values);
    WriteRegistry(row.Values);
    ASSERT_TRUE(WriteAlertLog("\xD6\xD0", "x", "D"));  // 中
    EXPECT_TRUE(std::filesystem::exists(FDir / (row.Folder + "/Log/Alert_\xE4\xB8\xAD_20240131.log")));
  }
}

// Guards against losing the entry when the registry names no folder: it goes
// under the host executable's folder.
TEST_F(LibStrsAlertLogTest, WithoutClientFolderLogsBesideTheExecutable) {
  WriteRegistry("ProfileType=1\n");
  const std::string name = "libstrs_test_" + std::to_string(::getpid());
  const std::string file = GetHostExeDir() + "Log/Alert_" + name + "_20240131.log";
  ASSERT_TRUE(WriteAlertLog(name, "x", "D"));
  EXPECT_EQ(ReadAll(file), "[2024/01/31 09:05:07:045] x\r\n");
  std::filesystem::remove(file);
}

// Guards against reporting success when nothing could be written, and
// against a name with delimiters leaving the Log folder.
TEST_F(LibStrsAlertLogTest, ReportsFailure) {
  FDir.WriteFile("blocker", "a file where the folder should be");
  WriteRegistry("ClientPath=" + FDir.Path() + "/blocker/\n");
  EXPECT_FALSE(WriteAlertLog("libstrs", "x", "D"));

  FDir.WriteFile("registry.ini", "ClientPath=/before/any/section\n");  // malformed
  EXPECT_FALSE(WriteAlertLog("libstrs", "x", "D"));

  WriteRegistry("ClientPath=" + FDir.Path() + "/client/\n");
  EXPECT_FALSE(WriteAlertLog("../escape", "x", "D"));
  EXPECT_FALSE(WriteAlertLog("a\\b", "x", "D"));
  EXPECT_FALSE(std::filesystem::exists(FDir / "client/escape_20240131.log"));
  EXPECT_FALSE(std::filesystem::exists(FDir / "client/Log"));
}

// Guards against the ServerPath fallback missing, or a value read from the
// wrong key.
TEST_F(LibStrsAlertLogTest, ClientPathFallsBackToServerPath) {
  struct {
    std::string Registry, Expected;
  } const rows[] = {
      {"[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\nClientPath=C:\\Helmar\\\n"
       "ServerPath=/srv/\n", "C:\\Helmar\\"},
      {"[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\nClientPath=\nServerPath=/srv/\n", "/srv/"},
      {"[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\nProfileType=1\n", ""},
      {"[HKEY_CURRENT_USER\\Software\\ORLAN\\Helmar]\nClientPath=/user/\n", ""},
      {"", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Registry);
    FDir.WriteFile("registry.ini", row.Registry);
    EXPECT_EQ(GetClientPath(), row.Expected);
  }
}

// Guards against a temporary folder without its trailing delimiter (callers
// append file names directly).
TEST(LibStrsFoldersTest, TempPathEndsWithDelimiter) {
  TScopedEnv tmp("TMPDIR", "/var/tmp/kulr");
  EXPECT_EQ(GetLongTempPath(), "/var/tmp/kulr/");
}

// ==== Code pages ====

// Guards against the two conversion families clashing, wrong tables,
// unmappable characters failing instead of becoming "?", text after an
// embedded NUL being dropped, and an unknown code page losing the text.
TEST(LibStrsCodePageTest, ConvertsTextsBothWays) {
  TScopedCodePage gbk(936);
  EXPECT_EQ(WideToCodePage(u"中文", 936), ::WideToCodePage(936, u"中文"));
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\xD6\xD0\xCE\xC4", WideToCodePage(u"中文", 936));
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\xA4\xA4", WideToCodePage(u"中", 950));
  EXPECT_PRED_FORMAT2(AssertSameBytes, "a?b", WideToCodePage(u"a\U0001F600b", 936));
  EXPECT_PRED_FORMAT2(AssertSameBytes, std::string("a\0b", 3),
                      WideToCodePage(std::u16string(u"a\0b", 3), 936));
  EXPECT_PRED_FORMAT2(AssertSameBytes, "", WideToCodePage(u"", 936));
  EXPECT_PRED_FORMAT2(AssertSameBytes, "\xD6\xD0", WideToCodePage(u"中", 12345));  // system's

  EXPECT_EQ(CodePageToWide("\xD6\xD0\xCE\xC4", 936), u"中文");
  EXPECT_EQ(CodePageToWide("\xA4\xA4", 950), u"中");
  EXPECT_EQ(CodePageToWide(std::string("a\0b", 3), 936), std::u16string(u"a\0b", 3));
  EXPECT_EQ(CodePageToWide("", 936), u"");
  EXPECT_EQ(CodePageToWide("\xD6\xD0", 12345), u"中");
}

// Guards against unconverted wide strings reaching a byte-string consumer,
// byte strings converted twice, 2-D cells or nested rows skipped, and the
// argument itself being changed.
TEST(LibStrsCodePageTest, VariantToCodePageConvertsWideStrings) {
  TScopedCodePage gbk(936);
  const Variant row = VarArrayOf({u"中", "\xCE\xC4", 5, VarArrayOf({u"文", VarArrayOf({u"a"})})});
  const Variant expected =
      VarArrayOf({"\xD6\xD0", "\xCE\xC4", 5, VarArrayOf({"\xCE\xC4", VarArrayOf({"a"})})});
  EXPECT_PRED_FORMAT2(AssertSameVariant, expected, VariantToCodePage(row, 936));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(u"中"), row[0]);

  Variant grid = VarArrayCreate({0, 1, 0, 1});
  grid(0, 0) = u"中";
  grid(1, 0) = 7;
  grid(0, 1) = "\xCE\xC4";
  grid(1, 1) = VarArrayOf({u"x"});  // cells are not walked into
  Variant gridExpected = grid;
  gridExpected(0, 0) = "\xD6\xD0";
  EXPECT_PRED_FORMAT2(AssertSameVariant, gridExpected, VariantToCodePage(grid, 936));

  struct {
    const char* Name;
    Variant Value, Expected;
  } const scalars[] = {
      {"wide", Variant(u"中"), Variant("\xD6\xD0")},
      {"wide to Big5", Variant(u"中"), Variant("\xA4\xA4")},
      {"bytes of the system code page to Big5", Variant("\xD6\xD0"), Variant("\xA4\xA4")},
      {"empty", Variant(), Variant()},
      {"null", Null(), Null()},
      {"number", Variant(1.5), Variant(1.5)},
  };
  for (const auto& s : scalars) {
    SCOPED_TRACE(s.Name);
    const int codePage = std::string(s.Name).find("Big5") != std::string::npos ? 950 : 936;
    EXPECT_PRED_FORMAT2(AssertSameVariant, s.Expected, VariantToCodePage(s.Value, codePage));
  }
}

// Guards against a job record reaching the server with GBK byte strings
// unconverted (the runtime keeps byte strings inside arrays), wide strings
// garbled by a second conversion, and 2-D cells skipped.
TEST(LibStrsCodePageTest, VariantFromCodePageDecodesByteStrings) {
  TScopedCodePage latin(1252);  // the record is GBK whatever the system says
  const Variant record =
      VarArrayOf({"KULR31", VarArrayOf({VarArrayOf({"\xB1\xA8\xB1\xED", 3, u"中"})}), Null()});
  const Variant expected =
      VarArrayOf({u"KULR31", VarArrayOf({VarArrayOf({u"报表", 3, u"中"})}), Null()});
  EXPECT_PRED_FORMAT2(AssertSameVariant, expected, VariantFromCodePage(record, 936));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant("\xB1\xA8\xB1\xED"), record[1][0][0]);

  Variant grid = VarArrayCreate({0, 1, 0, 0});
  grid(0, 0) = "\xD6\xD0";
  grid(1, 0) = 2;
  Variant gridExpected = grid;
  gridExpected(0, 0) = u"中";
  EXPECT_PRED_FORMAT2(AssertSameVariant, gridExpected, VariantFromCodePage(grid, 936));

  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(u"中"), VariantFromCodePage("\xA4\xA4", 950));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(u"中"), VariantFromCodePage(u"中", 950));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Null(), VariantFromCodePage(Null(), 936));

  // Round trip back to the client's byte strings.
  EXPECT_PRED_FORMAT2(AssertSameVariant, VarArrayOf({"KULR31", VarArrayOf({VarArrayOf({
                                             "\xB1\xA8\xB1\xED", 3, "\xD6\xD0"})}), Null()}),
                      VariantToCodePage(VariantFromCodePage(record, 936), 936));
}

// Guards against an error in the walk escaping to the caller or vanishing
// without a trace: it goes to the "libstrs" alert log, the copy comes back.
TEST_F(LibStrsAlertLogTest, VariantConversionErrorsAreLoggedAndReturnUnconverted) {
  // Nested one level deeper than the walk goes.
  const auto nested = [](Variant inner) {
    for (int i = 0; i < 260; ++i) {
      Variant outer = VarArrayCreate({0, 0});
      outer[0] = std::move(inner);
      inner = std::move(outer);
    }
    return inner;
  };
  const Variant deep = nested(u"x");
  EXPECT_PRED_FORMAT2(AssertSameVariant, deep, VariantToCodePage(deep, 936));
  const Variant deepBytes = nested("x");
  EXPECT_PRED_FORMAT2(AssertSameVariant, deepBytes, VariantFromCodePage(deepBytes, 936));

  const std::string log = ReadAll(LogFile("Alert_libstrs_20240131.log"));
  EXPECT_NE(log.find("] LINE[2735] Variant arrays nested deeper than"), std::string::npos) << log;
  EXPECT_NE(log.find("] LINE[115] Variant arrays nested deeper than"), std::string::npos) << log;
}

// ==== Small helpers ====

// Guards against a missing separator after the count or the last value, and
// byte strings or numbers not turned into text.
TEST(LibStrsHelpersTest, JoinVariantListJoinsWithCharacterThree) {
  TScopedCodePage gbk(936);
  EXPECT_EQ(JoinVariantList("P", VarArrayOf({2, "a", 5})), u"P\x03" u"2\x03" u"a\x03" u"5\x03");
  EXPECT_EQ(JoinVariantList(u"中", VarArrayOf({1, "\xCE\xC4", "ignored"})),
            u"中\x03" u"1\x03" u"文\x03");
  EXPECT_EQ(JoinVariantList("", VarArrayOf({0})), u"\x03" u"0\x03");
  EXPECT_THROW(JoinVariantList("P", VarArrayOf({3, "a"})), EVariantBadIndexError);
}

// Guards against occurrences joined by a removal surviving, the endless
// loops of an empty Old or of a New containing Old, and case-only changes
// being applied.
TEST(LibStrsHelpersTest, ReplaceTextReplacesEveryOccurrence) {
  struct {
    const char *Text, *Old, *New;
    bool Trim;
    const char* Expected;
  } const rows[] = {
      {"a b a", "a", "", false, " b "},
      {"a b a", "a", "", true, "b"},
      {"aabb", "ab", "", false, ""},
      {"x<br>y<br>", "<br>", "", false, "xy"},
      {"abc", "A", "a", false, "abc"},          // same ignoring case: nothing happens
      {" abc\t", "", "", true, "abc"},          // empty Old: only the trim
      {"abc", "", "x", false, "abc"},
      {"abab", "ab", "xaby", false, "xabyxaby"},  // New holds Old: one pass
      {"aab", "ab", "bbaa", false, "abbaa"},      // would grow forever searched again
      {"abcabc", "b", "B", false, "abcabc"},
      {"abcabc", "b", "XY", false, "aXYcaXYc"},
      {"\r\n x \r\n", "y", "", true, "x"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Text << " / " << row.Old << " / " << row.New);
    EXPECT_EQ(ReplaceText(row.Text, row.Old, row.New, row.Trim), row.Expected);
  }
}

// Guards against a caption with a wrong byte or a case-insensitive lookup.
TEST(LibStrsHelpersTest, LocalizesTheStandardButtons) {
  struct {
    const char *Name, *Caption;
  } const rows[] = {
      {"Yes", "\xCA\xC7(&Y)"},                 // 是
      {"No", "\xB7\xF1(&N)"},                  // 否
      {"OK", "\xC8\xB7\xB6\xA8"},              // 确定
      {"Cancel", "\xC8\xA1\xCF\xFB"},          // 取消
      {"Abort", "\xD6\xD0\xB6\xCF(&A)"},       // 中断
      {"Retry", "\xD6\xD8\xCA\xD4(&R)"},       // 重试
      {"Ignore", "\xBA\xF6\xC2\xD4(&I)"},      // 忽略
      {"All", "\xC8\xAB\xB2\xBF(&A)"},         // 全部
      {"NoToAll", "\xC8\xAB\xB7\xF1(&o)"},     // 全否
      {"YesToAll", "\xC8\xAB\xCA\xC7(&A)"},    // 全是
      {"Help", "\xB0\xEF\xD6\xFA(&H)"},        // 帮助
      {"yes", "yes"},
      {"OK ", "OK "},
      {"", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_PRED_FORMAT2(AssertSameBytes, row.Caption, LocalizeButtonCaption(row.Name));
  }
}

// Guards against locale decimal commas, blanks, exponents or trailing text
// being accepted as numbers.
TEST(LibStrsHelpersTest, StrToFloatDefaultAcceptsPlainDecimalsOnly) {
  struct {
    const char* Text;
    double Expected;
  } const rows[] = {
      {"1.5", 1.5},  {"-2", -2},   {"+3.25", 3.25}, {".5", 0.5},  {"5.", 5},   {"0", 0},
      {"", -1},      {" 1", -1},   {"1 ", -1},      {"1e3", -1},  {"1,5", -1}, {"abc", -1},
      {"1.2.3", -1}, {"-", -1},    {".", -1},       {"$10", -1},  {"0x10", -1}, {"1.5x", -1},
  };
  FormatSettings.DecimalSeparator = ',';
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    EXPECT_EQ(StrToFloatDefault(row.Text, -1), row.Expected);
  }
  RestoreDefaultFormatSettings();
}

// Guards against look-alikes of the loopback address counting as local.
TEST(LibStrsHelpersTest, SmallPredicates) {
  EXPECT_TRUE(IsLocalAddress("127.0.0.1"));
  for (const char* text : {"localhost", " 127.0.0.1", "127.0.0.10", "::1", ""}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(IsLocalAddress(text));
  }
  EXPECT_TRUE(IsBlankVariant(Variant()));
  EXPECT_TRUE(IsBlankVariant(Null()));
  for (const Variant& v : {Variant(""), Variant(0), Variant(false), VarArrayOf({})}) {
    SCOPED_TRACE(testing::PrintToString(v));
    EXPECT_FALSE(IsBlankVariant(v));
  }
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(u"a"), IfThenVariant(true, u"a", 2));
  EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(2), IfThenVariant(false, u"a", 2));
}
