// Dates and times as day counts: encoding and decoding calendar dates and
// clock times, calendar arithmetic, formatting by picture strings and parsing
// by the process-wide format settings. Day 0 is 1899-12-30; a negative day
// count lies before it and its fraction still counts forward into that day
// (-1.25 is 1899-12-29 06:00).
#pragma once

#include <cstdint>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// --- calendar ----------------------------------------------------------------

bool IsLeapYear(int year);
// Days of the month; throws EConvertError for a month outside 1..12.
int DaysInAMonth(int year, int month);

// Year 1..9999, month 1..12, day 1..days of the month.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
TDateTime EncodeDate(int year, int month, int day);  // EConvertError if invalid
void DecodeDate(TDateTime dt, int& year, int& month, int& day);

// Hour 0..23, minute 0..59, second 0..59, msec 0..999.
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
TDateTime EncodeTime(int hour, int min, int sec, int msec);  // EConvertError
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour,
                    int& min, int& sec, int& msec);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dt);

// Adds months, clamping the day to the end of the target month; the time of
// day is kept.
TDateTime IncMonth(TDateTime dt, int months = 1);
TDateTime IncYear(TDateTime dt, int years = 1);
TDateTime IncDay(TDateTime dt, int days = 1);

// The date part (midnight of the same day) and the time part (a fraction of
// day 0).
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);

// Combines a date and a time of day the way day counts require when the date
// lies before day 0.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// --- formatting ----------------------------------------------------------------

AnsiString FormatDateTime(const AnsiString& format, TDateTime dt);
AnsiString FormatDateTime(const AnsiString& format, TDateTime dt,
                          const TFormatSettings& settings);

// Short date + " " + long time ("c"); the time is left out when its hours,
// minutes and seconds are all zero (the long time shows no milliseconds).
// The date is always there, also for day 0.
AnsiString DateTimeToStr(TDateTime dt);
AnsiString DateToStr(TDateTime dt);
AnsiString TimeToStr(TDateTime dt);

// --- parsing -------------------------------------------------------------------

// Dates follow the order of the first of y, m and d in ShortDateFormat,
// separated by DateSeparator. A year of one or two digits is placed by
// TwoDigitYearCenturyWindow; two numbers alone are month and day (day and
// month for a day-first format) of the current year. The current year comes
// from Now(), so a test clock fixes it.
bool TryStrToDate(const AnsiString& s, TDateTime& result);
bool TryStrToDate(const AnsiString& s, TDateTime& result,
                  const TFormatSettings& settings);
TDateTime StrToDate(const AnsiString& s);  // EConvertError

// Times are hour:min[:sec[:msec]] separated by TimeSeparator, with an
// optional AM/PM marker (TimeAMString/TimePMString or "AM"/"PM") before or
// after; an hour alone counts only with a marker. The fourth field is a count
// of milliseconds ("hh:nn:ss:zzz" reads back, and so does "9:5:0:00"); after
// DecimalSeparator instead it is a fraction of a second ("9:05:00.5").
// Blanks may stand around every number and separator.
bool TryStrToTime(const AnsiString& s, TDateTime& result);
bool TryStrToTime(const AnsiString& s, TDateTime& result,
                  const TFormatSettings& settings);
TDateTime StrToTime(const AnsiString& s);  // EConvertError

// A date, optionally followed by blanks and a time; or a time alone.
bool TryStrToDateTime(const AnsiString& s, TDateTime& result);
bool TryStrToDateTime(const AnsiString& s, TDateTime& result,
                      const TFormatSettings& settings);
TDateTime StrToDateTime(const AnsiString& s);  // EConvertError
