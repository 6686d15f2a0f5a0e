// The platform's own process-wide format settings (separators, date and time
// pictures, names of months and days) and the clock the date functions read.
// They are independent of the C locale: the program mutates them at run time
// and expects every later conversion to follow.
#pragma once

#include <array>

#include "platform/rtl/Types.h"

struct TFormatSettings {
  char DateSeparator = '/';
  char TimeSeparator = ':';
  AnsiString ShortDateFormat = "yyyy/mm/dd";
  AnsiString LongDateFormat = "dddd, mmmm d, yyyy";
  AnsiString ShortTimeFormat = "hh:nn";
  AnsiString LongTimeFormat = "hh:nn:ss";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  // Index 0 is January / Sunday.
  std::array<AnsiString, 12> ShortMonthNames = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun",
      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<AnsiString, 12> LongMonthNames = {
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  std::array<AnsiString, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed",
                                             "Thu", "Fri", "Sat"};
  std::array<AnsiString, 7> LongDayNames = {
      "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
      "Saturday"};
  // A year written with one or two digits is placed in the hundred years that
  // start this many years before the current year (50: in 2026, "76" is 1976
  // and "75" is 2075). 0 places it in the current century.
  int TwoDigitYearCenturyWindow = 50;
};

// The record every conversion without explicit settings reads.
extern TFormatSettings FormatSettings;

// Puts every field of FormatSettings back to its default.
void RestoreDefaultFormatSettings();

// --- clock -------------------------------------------------------------------

// Local time with milliseconds, or the test clock when one is set.
TDateTime Now();
TDateTime Date();  // the date part of Now()
TDateTime Time();  // the time part of Now()

// Freezes Now() at dt until ClearTestClock(); process-wide. Raises
// EConvertError for a value that is no valid date-time.
void SetTestClock(TDateTime dt);
void ClearTestClock();
