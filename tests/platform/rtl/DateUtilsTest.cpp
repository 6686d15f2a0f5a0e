// Day counts, calendar arithmetic, picture formatting, parsing and the test
// clock. Expected day counts and weekdays were computed with Python's
// datetime (date(y, m, d) - date(1899, 12, 30)).
#include "platform/rtl/DateUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextSupport.h"

namespace {

// Every case starts from the default settings and the system clock, and
// leaves them so: the settings and the clock are process-wide.
class DateUtilsTest : public ::testing::Test {
protected:
  void SetUp() override {
    RestoreDefaultFormatSettings();
    ClearTestClock();
  }
  void TearDown() override {
    RestoreDefaultFormatSettings();
    ClearTestClock();
  }
};


TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
  return ComposeDateTime(EncodeDate(y, m, d), EncodeTime(h, n, s, ms));
}

// ---- day counts -----------------------------------------------------------------

struct TDayRow {
  int Year, Month, Day;
  double Count;
  int Weekday;  // 1 = Sunday
};

const TDayRow DayRows[] = {
    {1899, 12, 30, 0, 7},        {1899, 12, 31, 1, 1},      {1899, 12, 29, -1, 6},
    {1899, 12, 24, -6, 1},       {1900, 2, 28, 60, 4},      {1900, 3, 1, 61, 5},
    {2000, 1, 1, 36526, 7},      {2000, 2, 29, 36585, 3},   {2004, 2, 29, 38046, 1},
    {2006, 1, 15, 38732, 1},     {1600, 2, 29, -109512, 3}, {1, 1, 1, -693593, 2},
    {9999, 12, 31, 2958465, 6},  {2026, 12, 11, 46367, 6},
};

// Guards against an off-by-one epoch, a wrong leap rule (1900 is no leap
// year, 1600 and 2000 are) and wrong weekdays before day 0.
TEST_F(DateUtilsTest, EncodesDecodesAndNamesWeekdaysAcrossTheEpochAndLeapYears) {
  for (const TDayRow& row : DayRows) {
    SCOPED_TRACE(std::to_string(row.Year) + "-" + std::to_string(row.Month) + "-" +
                 std::to_string(row.Day));
    const TDateTime dt = EncodeDate(row.Year, row.Month, row.Day);
    EXPECT_EQ(dt.Value, row.Count);
    int y = 0, m = 0, d = 0;
    DecodeDate(dt, y, m, d);
    EXPECT_EQ(y, row.Year);
    EXPECT_EQ(m, row.Month);
    EXPECT_EQ(d, row.Day);
    EXPECT_EQ(DayOfWeek(dt), row.Weekday);
    // The time of day never changes the date or the weekday.
    const TDateTime late = ComposeDateTime(dt, EncodeTime(23, 59, 59, 999));
    DecodeDate(late, y, m, d);
    EXPECT_EQ(d, row.Day);
    EXPECT_EQ(DayOfWeek(late), row.Weekday);
  }
}

// Guards against dates the calendar does not have being accepted.
TEST_F(DateUtilsTest, RefusesDatesOutsideTheCalendar) {
  const int bad[][3] = {{2001, 2, 29}, {1900, 2, 29}, {2000, 4, 31}, {2000, 13, 1},
                        {2000, 0, 1},  {2000, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const auto& b : bad) {
    SCOPED_TRACE(std::to_string(b[0]) + "-" + std::to_string(b[1]) + "-" + std::to_string(b[2]));
    TDateTime dt(42.0);
    EXPECT_FALSE(TryEncodeDate(b[0], b[1], b[2], dt));
    EXPECT_EQ(dt.Value, 42.0);  // untouched on failure
    EXPECT_THROW(EncodeDate(b[0], b[1], b[2]), EConvertError);
  }
  TDateTime dt;
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, dt));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, dt));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, dt));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, dt));
  EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, dt));
  EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
}

// Guards against values no calendar date belongs to (NaN, huge numbers)
// reaching the decoder as garbage instead of a clear error.
TEST_F(DateUtilsTest, RefusesValuesOutsideTheDateRange) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), 1e20, -1e20, 2958466.0,
                        -693594.5};
  for (double v : bad) {
    SCOPED_TRACE(v);
    int y = 0, m = 0, d = 0;
    EXPECT_THROW(DecodeDate(TDateTime(v), y, m, d), EConvertError);
    EXPECT_THROW(FormatDateTime("yyyy", TDateTime(v)), EConvertError);
    EXPECT_THROW(DayOfWeek(TDateTime(v)), EConvertError);
  }
}

struct TTimeRow {
  double Value;
  int Year, Month, Day, Hour, Min, Sec, MSec;
};

// Guards against the time of a negative day count being read backwards
// (-1.25 is 1899-12-29 06:00, not 18:00) and against a time that rounds up
// to 24:00 staying on the old day.
TEST_F(DateUtilsTest, DecodesTheTimeOfDayOnBothSidesOfTheEpoch) {
  const TTimeRow rows[] = {
      {0.5, 1899, 12, 30, 12, 0, 0, 0},
      {-1.25, 1899, 12, 29, 6, 0, 0, 0},
      {-0.25, 1899, 12, 30, 6, 0, 0, 0},
      {38732.75, 2006, 1, 15, 18, 0, 0, 0},
      {38732.0 + 45296789.0 / 86400000.0, 2006, 1, 15, 12, 34, 56, 789},
      {38732.9999999999, 2006, 1, 16, 0, 0, 0, 0},
      {-1.9999999999, 1899, 12, 30, 0, 0, 0, 0},
  };
  for (const TTimeRow& row : rows) {
    SCOPED_TRACE(row.Value);
    int y = 0, mo = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDateTime(TDateTime(row.Value), y, mo, d, h, n, s, ms);
    EXPECT_EQ(y, row.Year);
    EXPECT_EQ(mo, row.Month);
    EXPECT_EQ(d, row.Day);
    EXPECT_EQ(h, row.Hour);
    EXPECT_EQ(n, row.Min);
    EXPECT_EQ(s, row.Sec);
    EXPECT_EQ(ms, row.MSec);
  }
}

// Guards against composing, splitting and stepping a negative date with
// plain arithmetic, which moves its time the wrong way.
TEST_F(DateUtilsTest, ComposesAndStepsNegativeDatesKeepingTheTimeOfDay) {
  const TDateTime dt = At(1899, 12, 29, 6);
  EXPECT_EQ(dt.Value, -1.25);
  EXPECT_EQ(DateOf(dt).Value, -1.0);
  EXPECT_EQ(TimeOf(dt).Value, 0.25);
  EXPECT_EQ(IncDay(dt, 2).Value, 1.25);   // 1899-12-31 06:00
  EXPECT_EQ(IncDay(dt, 1).Value, 0.25);   // 1899-12-30 06:00
  EXPECT_EQ(IncDay(TDateTime(0.25), -2).Value, -2.25);
  EXPECT_EQ(DateOf(TDateTime(38732.75)).Value, 38732.0);
  EXPECT_EQ(TimeOf(TDateTime(38732.75)).Value, 0.75);
}

// Guards against the millisecond being lost or rounded away on a round trip.
TEST_F(DateUtilsTest, RoundTripsEveryFieldOfTheTime) {
  const int rows[][4] = {{0, 0, 0, 0}, {0, 0, 0, 1}, {9, 5, 0, 0}, {12, 0, 0, 0},
                         {23, 59, 59, 999}, {13, 14, 15, 16}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r[0] << ":" << r[1] << ":" << r[2] << "." << r[3]);
    for (double day : {0.0, 38732.0, -5.0}) {
      int h = 0, n = 0, s = 0, ms = 0;
      DecodeTime(ComposeDateTime(TDateTime(day), EncodeTime(r[0], r[1], r[2], r[3])), h, n, s, ms);
      EXPECT_EQ(h, r[0]);
      EXPECT_EQ(n, r[1]);
      EXPECT_EQ(s, r[2]);
      EXPECT_EQ(ms, r[3]);
    }
  }
}

// ---- calendar arithmetic ----------------------------------------------------------

struct TMonthRow {
  const char* Name;
  int Y, M, D, Months;
  int EY, EM, ED;
};

// Guards against IncMonth overflowing into the next month (Jan 31 + 1 month
// is the last of February) and against wrong year carries both ways.
TEST_F(DateUtilsTest, IncMonthClampsTheDayToTheEndOfTheTargetMonth) {
  const TMonthRow rows[] = {
      {"Jan31PlusOneCommonYear", 2001, 1, 31, 1, 2001, 2, 28},
      {"Jan31PlusOneLeapYear", 2000, 1, 31, 1, 2000, 2, 29},
      {"Mar31MinusOne", 2000, 3, 31, -1, 2000, 2, 29},
      {"May31PlusOne", 2006, 5, 31, 1, 2006, 6, 30},
      {"DecemberToJanuary", 2000, 12, 15, 1, 2001, 1, 15},
      {"BackOverAYear", 2001, 1, 15, -13, 1999, 12, 15},
      {"Zero", 2006, 1, 31, 0, 2006, 1, 31},
      {"BeforeTheEpoch", 1899, 12, 31, -1, 1899, 11, 30},
  };
  for (const TMonthRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TDateTime result = IncMonth(At(row.Y, row.M, row.D, 7, 30), row.Months);
    EXPECT_EQ(result.Value, At(row.EY, row.EM, row.ED, 7, 30).Value);
  }
  EXPECT_EQ(IncYear(EncodeDate(2000, 2, 29), 1).Value, EncodeDate(2001, 2, 28).Value);
  EXPECT_EQ(IncYear(EncodeDate(2000, 2, 29), 4).Value, EncodeDate(2004, 2, 29).Value);
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
  EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), EConvertError);
}

TEST_F(DateUtilsTest, KnowsLeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2001));
  EXPECT_EQ(DaysInAMonth(2000, 2), 29);
  EXPECT_EQ(DaysInAMonth(1900, 2), 28);
  EXPECT_EQ(DaysInAMonth(2006, 4), 30);
  EXPECT_EQ(DaysInAMonth(2006, 12), 31);
  EXPECT_THROW(DaysInAMonth(2006, 13), EConvertError);
}

// ---- formatting -------------------------------------------------------------------

struct TFormatRow {
  const char* Name;
  const char* Format;
  TDateTime Value;
  const char* Expected;
};

void PrintTo(const TFormatRow& row, std::ostream* os) {
  *os << '"' << row.Format << "\" at " << row.Value.Value;
}

// 2006-01-05 was a Thursday.
const TDateTime Sample = At(2006, 1, 5, 9, 7, 3, 45);
const TDateTime Evening = At(2006, 1, 5, 21, 30, 0, 0);
const TDateTime Midnight = At(2006, 1, 5);

class FormatDateTimeTest : public DateUtilsTest,
                           public ::testing::WithParamInterface<TFormatRow> {};

TEST_P(FormatDateTimeTest, FollowsThePictureRules) {
  const TFormatRow& row = GetParam();
  EXPECT_EQ(FormatDateTime(row.Format, row.Value), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormatDateTimeTest,
    ::testing::Values(
        // "MM" right after "HH" is minutes: a send key must not repeat the month.
        TFormatRow{"SendKeyUpperCase", "YYYYMMDDHHMMSS", Sample, "20060105090703"},
        TFormatRow{"MinutesAfterHourAcrossSeparator", "hh:mm", Sample, "09:07"},
        TFormatRow{"MonthWhenNoHourBefore", "mm", Sample, "01"},
        TFormatRow{"MinutesN", "YYYYMMDDHHNNSSZZZ", Sample, "20060105090703045"},
        TFormatRow{"LogStamp", "yyyy/mm/dd hh:nn:ss:zzz", Sample, "2006/01/05 09:07:03:045"},
        TFormatRow{"UnpaddedFields", "d/m/yy h:n:s z", Sample, "5/1/06 9:7:3 45"},
        TFormatRow{"Names", "ddd dddd mmm mmmm", Sample, "Thu Thursday Jan January"},
        TFormatRow{"SingleQuotedLiteral", "'yyyy' yyyy", Sample, "yyyy 2006"},
        TFormatRow{"DoubleQuotedLiteral", "\"hh:mm\" hh", Sample, "hh:mm 09"},
        TFormatRow{"UnclosedQuoteRunsToTheEnd", "yyyy 'mm dd", Sample, "2006 mm dd"},
        TFormatRow{"OtherCharactersStay", "yyyy-mm-dd [x]", Sample, "2006-01-05 [x]"},
        TFormatRow{"AmPmLowerCase", "h:nn am/pm", Evening, "9:30 pm"},
        TFormatRow{"AmPmKeepsTheCaseWritten", "h:nn AM/PM", At(2006, 1, 5, 0, 5), "12:05 AM"},
        TFormatRow{"NoonIsPm", "hh a/p", At(2006, 1, 5, 12, 0), "12 p"},
        TFormatRow{"AmPmFromSettings", "hh ampm", Sample, "09 AM"},
        TFormatRow{"LoneAIsLiteral", "a hh", Sample, "a 09"},
        TFormatRow{"CWithTime", "c", Sample, "2006/01/05 09:07:03"},
        TFormatRow{"CAtMidnightHasNoTime", "c", Midnight, "2006/01/05"},
        TFormatRow{"CKeepsTheDateOfDayZero", "c", TDateTime(0.5), "1899/12/30 12:00:00"},
        TFormatRow{"EmptyPictureIsC", "", Midnight, "2006/01/05"},
        TFormatRow{"ShortDateAndTimes", "ddddd t tt", Sample, "2006/01/05 09:07 09:07:03"},
        TFormatRow{"LongDate", "dddddd", Sample, "Thursday, January 5, 2006"},
        TFormatRow{"BeforeTheEpoch", "yyyy/mm/dd hh:nn", TDateTime(-1.25),
                   "1899/12/29 06:00"}),
    [](const ::testing::TestParamInfo<TFormatRow>& info) { return std::string(info.param.Name); });

// Guards against "/" and ":" being printed literally instead of as the
// process-wide separators, which the program changes at run time.
TEST_F(DateUtilsTest, FormatsSeparatorsFromTheCurrentSettings) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.TimeSeparator = '.';
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", Sample), "2006-01-05 09.07");
  EXPECT_EQ(FormatDateTime("'/:'", Sample), "/:");  // quoted text stays as written
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  EXPECT_EQ(DateToStr(Sample), "05-01-2006");
  EXPECT_EQ(DateTimeToStr(Sample), "05-01-2006 09.07.03");
  RestoreDefaultFormatSettings();
  EXPECT_EQ(DateTimeToStr(Sample), "2006/01/05 09:07:03");
}

// Guards against DateTimeToStr printing "00:00:00" for a plain date, and
// against milliseconds alone making a time appear.
TEST_F(DateUtilsTest, DateTimeToStrLeavesOutTheTimeAtMidnight) {
  EXPECT_EQ(DateTimeToStr(Midnight), "2006/01/05");
  EXPECT_EQ(DateTimeToStr(At(2006, 1, 5, 0, 0, 0, 500)), "2006/01/05");
  EXPECT_EQ(DateTimeToStr(At(2006, 1, 5, 0, 0, 1)), "2006/01/05 00:00:01");
  EXPECT_EQ(DateTimeToStr(TDateTime(0)), "1899/12/30");
  EXPECT_EQ(DateToStr(Sample), "2006/01/05");
  EXPECT_EQ(TimeToStr(Sample), "09:07:03");
  EXPECT_EQ(TimeToStr(Midnight), "00:00:00");
}

// Guards against settings that name each other ("c" inside the short date)
// recursing without end.
TEST_F(DateUtilsTest, SelfReferringSettingsDoNotRecurseForever) {
  FormatSettings.ShortDateFormat = "c";
  FormatSettings.LongTimeFormat = "tt";
  EXPECT_NO_THROW(FormatDateTime("c", Sample));
  EXPECT_NO_THROW(DateTimeToStr(Sample));
}

// Guards against the trail byte of a double-byte character being read as a
// picture letter: 0xB0 0x64 is "癲" in code page 936, and 0x64 is "d".
TEST_F(DateUtilsTest, CopiesDoubleByteCharactersOfThePictureWhole) {
  TScopedCodePage cp(936);
  EXPECT_EQ(FormatDateTime("yyyy\xB0\x64mm\xB0\x64", Sample), "2006\xB0\x64" "01\xB0\x64");
}

// ---- parsing ----------------------------------------------------------------------

struct TParseRow {
  const char* Name;
  const char* Text;
  bool Valid;
  TDateTime Expected;
};

void PrintTo(const TParseRow& row, std::ostream* os) { *os << '"' << row.Text << '"'; }

class StrToDateTimeTest : public DateUtilsTest,
                          public ::testing::WithParamInterface<TParseRow> {
protected:
  void SetUp() override {
    DateUtilsTest::SetUp();
    // Two-digit years and dates without a year depend on today.
    SetTestClock(At(2026, 6, 1, 10, 0));
  }
};

TEST_P(StrToDateTimeTest, ReadsDatesAndTimesByTheSettings) {
  const TParseRow& row = GetParam();
  TDateTime result(-7.0);
  EXPECT_EQ(TryStrToDateTime(row.Text, result), row.Valid);
  if (row.Valid) {
    EXPECT_EQ(result.Value, row.Expected.Value);
    EXPECT_EQ(StrToDateTime(row.Text).Value, row.Expected.Value);
  } else {
    EXPECT_EQ(result.Value, -7.0);  // untouched on failure
    try {
      StrToDateTime(row.Text);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), "'" + AnsiString(row.Text) + "' is not a valid date and time");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrToDateTimeTest,
    ::testing::Values(
        TParseRow{"DateOnly", "2006/01/15", true, At(2006, 1, 15)},
        TParseRow{"UnpaddedDate", "2006/1/5", true, At(2006, 1, 5)},
        // A masked edit leaves blanks inside and around a date.
        TParseRow{"BlanksFromAMask", " 2006/1 /5 ", true, At(2006, 1, 5)},
        // The job's start time is built as date, blank, h:m:s and ":00".
        TParseRow{"FourTimeFieldsUnpadded", "2006/01/15 9:5:0:00", true, At(2006, 1, 15, 9, 5)},
        TParseRow{"FourthFieldIsMilliseconds", "2006/01/15 09:05:00:123", true,
                  At(2006, 1, 15, 9, 5, 0, 123)},
        TParseRow{"DecimalFractionOfASecond", "2006/01/15 09:05:00.5", true,
                  At(2006, 1, 15, 9, 5, 0, 500)},
        TParseRow{"HourAndMinute", "2006/01/15 9:05", true, At(2006, 1, 15, 9, 5)},
        TParseRow{"PmMarker", "2006/01/15 9:05 PM", true, At(2006, 1, 15, 21, 5)},
        TParseRow{"TwelveAmIsMidnight", "12:30 am", true, EncodeTime(0, 30, 0, 0)},
        TParseRow{"TimeOnly", "23:59:59", true, EncodeTime(23, 59, 59, 0)},
        TParseRow{"BeforeTheEpoch", "1899/12/29 06:00", true, TDateTime(-1.25)},
        TParseRow{"TwoDigitYearInWindow", "76/01/02", true, At(1976, 1, 2)},
        TParseRow{"TwoDigitYearNextCentury", "75/01/02", true, At(2075, 1, 2)},
        TParseRow{"NoYearMeansThisYear", "3/4", true, At(2026, 3, 4)},
        TParseRow{"InvalidDay", "2006/02/30", false, {}},
        TParseRow{"InvalidMonth", "2006/13/01", false, {}},
        TParseRow{"WrongSeparator", "2006-01-15", false, {}},
        TParseRow{"Empty", "", false, {}},
        TParseRow{"Blank", "   ", false, {}},
        TParseRow{"LoneNumber", "2006", false, {}},
        TParseRow{"LoneHourAfterDate", "2006/01/15 9", false, {}},
        TParseRow{"HourTooBig", "2006/01/15 24:00", false, {}},
        TParseRow{"MillisecondsTooBig", "2006/01/15 9:00:00:1000", false, {}},
        TParseRow{"FifthTimeField", "2006/01/15 9:00:00:00:00", false, {}},
        TParseRow{"TimeGluedToDate", "2006/01/15T9:00", false, {}},
        TParseRow{"TrailingText", "2006/01/15 x", false, {}},
        TParseRow{"PmOnHourZero", "0:30 PM", false, {}},
        TParseRow{"HugeNumber", "99999999999999/1/1", false, {}}),
    [](const ::testing::TestParamInfo<TParseRow>& info) { return std::string(info.param.Name); });

// Guards against a parser that ignores the order of the short date picture
// or the current separator.
TEST_F(DateUtilsTest, ParsesInTheOrderAndSeparatorOfTheShortDate) {
  SetTestClock(At(2026, 6, 1));
  struct {
    const char* Format;
    char Separator;
    const char* Text;
  } rows[] = {{"dd/mm/yyyy", '/', "15/01/2006"},
              {"mm/dd/yyyy", '/', "01/15/2006"},
              {"yyyy-mm-dd", '-', "2006-01-15"},
              {"'Month' d.m.yy", '.', "15.1.06"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Format);
    FormatSettings.ShortDateFormat = row.Format;
    FormatSettings.DateSeparator = row.Separator;
    EXPECT_EQ(StrToDate(row.Text).Value, At(2006, 1, 15).Value);
  }
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.DateSeparator = '/';
  EXPECT_EQ(StrToDate("15/1").Value, At(2026, 1, 15).Value);  // day first without a year
}

// Guards against StrToDate and StrToTime accepting each other's texts and
// against failures that do not say which text was refused.
TEST_F(DateUtilsTest, StrToDateAndStrToTimeAcceptOnlyTheirOwnPart) {
  EXPECT_EQ(StrToDate("2006/01/15").Value, At(2006, 1, 15).Value);
  EXPECT_EQ(StrToTime("9:05:01").Value, EncodeTime(9, 5, 1, 0).Value);
  TDateTime dt;
  EXPECT_FALSE(TryStrToDate("2006/01/15 9:05", dt));
  EXPECT_FALSE(TryStrToTime("2006/01/15", dt));
  try {
    StrToDate("2006/02/30");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'2006/02/30' is not a valid date");
  }
  try {
    StrToTime("25:00");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'25:00' is not a valid time");
  }
}

// Guards against the log stamp and the display text not reading back.
TEST_F(DateUtilsTest, FormattedTextsParseBackToTheSameValue) {
  const TDateTime values[] = {Sample, Evening, Midnight, TDateTime(-1.25), At(1, 1, 1),
                              At(9999, 12, 31, 23, 59, 59, 999)};
  for (TDateTime v : values) {
    SCOPED_TRACE(v.Value);
    EXPECT_EQ(StrToDateTime(FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", v)).Value, v.Value);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(DateOf(v))).Value, DateOf(v).Value);
  }
}

// ---- the clock --------------------------------------------------------------------

// Guards against a test clock that leaks into Date()/Time() wrongly or stays
// set after it was cleared.
TEST_F(DateUtilsTest, TestClockFreezesNowUntilCleared) {
  const TDateTime frozen = At(1950, 3, 4, 5, 6, 7, 8);
  SetTestClock(frozen);
  EXPECT_EQ(Now().Value, frozen.Value);
  EXPECT_EQ(Date().Value, EncodeDate(1950, 3, 4).Value);
  EXPECT_EQ(Time().Value, EncodeTime(5, 6, 7, 8).Value);
  ClearTestClock();
  EXPECT_NE(Date().Value, EncodeDate(1950, 3, 4).Value);
  EXPECT_THROW(SetTestClock(TDateTime(std::numeric_limits<double>::quiet_NaN())),
               EConvertError);
  EXPECT_NE(Date().Value, 0.0);  // a refused value does not freeze the clock
}

// Guards against Now() reading UTC or dropping the date: it must match the
// local time the C library reports, to the second.
TEST_F(DateUtilsTest, NowIsTheLocalTime) {
  const time_t before = time(nullptr);
  const TDateTime now = Now();
  const time_t after = time(nullptr);
  auto local = [](time_t t) {
    tm parts{};
    localtime_r(&t, &parts);
    return At(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
              parts.tm_sec > 59 ? 59 : parts.tm_sec);
  };
  EXPECT_GE(now.Value, local(before).Value);
  EXPECT_LT(now.Value, local(after).Value + 1.0 / 86400.0);
}

}  // namespace
