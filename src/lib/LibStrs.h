// LibStrs: the free routines every unit of the plug-in leans on. Fields of
// separated texts, display dates by the ERP's date-format kinds and compact
// dates ("yyyymmdd") with their arithmetic, the first run date of a periodic
// job and its relative date rules, the alert log files under the client
// installation, code-page conversion of texts and of Variant arrays, and a
// few small helpers. No state beyond constant tables; every routine is
// re-entrant. Texts are bytes of the system code page unless a routine says
// otherwise; separators match at character boundaries only, so the trail
// byte of a double-byte character is never taken for one.
//
// Index: separated fields · display dates · compact dates · periodic jobs and
// date rules · alert log and folders · code pages · small helpers.
#pragma once

#include <string_view>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

// ---- Separated fields ----
// Every routine takes a separator of any length; an empty separator is never
// found (the whole text is one field).

// The Index-th field (1-based); "" when Text has fewer fields or Index < 1.
// "a;b;" has an empty third field.
AnsiString GetField(std::string_view Text, std::string_view Separator, int Index);
// 0 for an empty Text, else 1 + the number of occurrences of Separator,
// overlapping ones included (";;" occurs twice in ";;;").
int FieldCount(std::string_view Text, std::string_view Separator);
// Returns the first field and removes it and its separator from Text; with
// no separator in Text the whole Text is returned and Text becomes "".
AnsiString CutField(AnsiString& Text, std::string_view Separator);

// ---- Display dates by date-format kind ----
// Kind 1 year-month-day, 2 month-day-year, 3 day-month-year (four-digit
// years), 4 and 5 year-month-day in years of the Republic of China (year -
// 1911, at least two or three digits; negative before 1912). The first
// character of SeparatorText goes between the parts ("" for none). Date 0 and
// kinds outside 1..5 give "".
AnsiString FormatDateBySetting(int Kind, std::string_view SeparatorText, TDateTime Date);
// The same for year and month; kinds 2 and 3 both show month then year.
AnsiString FormatMonthBySetting(int Kind, std::string_view SeparatorText, TDateTime Date);
// A display date back to a date value: the first three fields (split by the
// whole Separator, trimmed) must be positive decimal integers and Kind 1..5.
// A day past the month's end runs into the next month ("2024/02/30" is
// 2024-03-01). 0 for anything that gives no date between years 1 and 9999.
TDateTime ParseDateBySetting(std::string_view Text, int Kind, std::string_view Separator);

// ---- Compact dates "yyyymmdd" ----
// The date of exactly eight digits; 0 when not a date.
TDateTime YMDToDate(std::string_view Text);
// "" is valid; otherwise an existing date of eight digits from "17530101" to
// "99991231".
bool IsValidYMD(std::string_view Text);
// Value is a compact date text (byte or wide string) or a Date Variant; Unit
// "Y", "M" or "D" in any case. Years and months keep the day when it exists
// and otherwise step back to the month's last day (20240131 + 1 M =
// 20240229). "" for any other Value type, date 0, an unknown unit or a result
// outside years 1..9999.
AnsiString ShiftYMD(const Variant& Value, std::string_view Unit, int Count);
// 28..31; 0 when Month is outside 1..12.
int DaysOfMonth(int Year, int Month);

// ---- Periodic jobs and date rules ----
// The first run date (compact) on or after Start of a job with the cycle
// pattern the generation options build:
//   [0, N]                      every N days: Start itself
//   [1, [N, w]]                 every N weeks on weekday w (0 = Sunday)
//   [2, [0, M, D]]              day D every M months (the month's last day
//                               when it has no day D)
//   [2, [1, M, ordinal, w]]     first..fourth (0..3) or last (4) weekday w
//                               every M months
//   [3, hours] and other types  "" (the caller uses the current time)
// N, M and D may be texts of decimal digits or numbers. "" for a Start that
// is no compact date, for a pattern that cannot be read, and for patterns the
// options never build: N or M below 1, D outside 1..31, an ordinal outside
// 0..4, a weekday outside 0..6.
AnsiString NextCycleDate(std::string_view Start, const Variant& Pattern);
// One relative date. A Base of at most six characters is a year-month and
// gives the year-month Offset months later (Unit, Days, Mode unused). Unit
// "0" counts weeks: Mode "0" adds Offset weeks and Days days, another mode
// gives WeekBoundary. Any other Unit counts months: the date Offset months
// later, then Mode 0 adds Days days, 1 takes the month's first day, 2 its
// last, other modes leave it. Raises EConvertError for a number that is not a
// plain decimal integer, a Base that is no compact date and a result outside
// years 1..9999.
AnsiString EvalDateRule(std::string_view Base, std::string_view Offset, std::string_view Unit,
                        std::string_view Days, std::string_view Mode);
// The Sunday (Mode "1") or the Saturday (any other Mode) of the week Weeks
// weeks after Base. Raises as EvalDateRule.
AnsiString WeekBoundary(std::string_view Base, std::string_view Weeks, std::string_view Mode);
// Applies the date rules of a date-rule package (array 1..3: [1] the values,
// [3] the rules with their count at [0]) to a copy of the values array, with
// BaseDate (compact) as base, and returns it. Rules are #3-separated fields:
// a single rule sets Values[field 9], a range rule (field 1 "0") elements 1
// and 2 of the array at Values[field 14]. Any error gives a Variant holding
// the empty byte string, which callers take for a failed evaluation.
Variant ApplyDateRules(const Variant& Package, std::string_view BaseDate);

// ---- Alert log and folders ----
// Appends "[yyyy/mm/dd hh:nn:ss:zzz] " + Message (separators of the format
// settings, the current time of Now) and CR LF to
// <client folder>/Log/Alert_<Name>_<date>[.log], creating the folders. The
// client folder is GetClientPath, else the host executable's folder. Period
// "M" dates the file yyyymm, "Y" yyyy, anything else yyyymmdd; ".log" is
// added when Name has no ".". False when the file cannot be written, and for
// a Name holding "/" or "\" (it would leave the Log folder).
bool WriteAlertLog(std::string_view Name, std::string_view Message, std::string_view Period);
// WriteAlertLog with the log under BaseFolder instead of the client folder
// (the updater's log always lives under the host executable's folder).
bool WriteAlertLogIn(std::string_view BaseFolder, std::string_view Name, std::string_view Message,
                     std::string_view Period);
// The client installation folder: HKEY_LOCAL_MACHINE\Software\ORLAN\Helmar,
// value "ClientPath", else "ServerPath", as stored (Windows or POSIX form);
// "" when neither is set. A malformed registry file raises EReadError.
AnsiString GetClientPath();
// The temporary folder with a trailing "/". This platform has no short names
// and no fixed-size buffer, so the folder comes back whole, however long.
AnsiString GetLongTempPath();

// ---- Code pages ----
// These take (text, code page); the runtime's CodePage.h has routines of the
// same names taking (code page, text), and the argument types keep the two
// apart. An unknown code page falls back to the system code page. Embedded
// NULs are converted like any character.
AnsiString WideToCodePage(std::u16string_view W, int CodePage);
WideString CodePageToWide(std::string_view S, int CodePage);
// A converted copy of V: Empty and Null unchanged; a string scalar (either
// kind, a byte string read in the system code page) becomes a byte string of
// CodePage. Arrays: one dimension walks nested arrays and converts wide-string
// elements; two dimensions convert wide-string cells. Byte-string elements are
// bytes already and stay. On an error the error goes to the alert log
// "libstrs" and the unconverted copy comes back.
Variant VariantToCodePage(const Variant& V, int CodePage);
// The other direction: byte strings (scalars and elements, in the same walk)
// are decoded from CodePage into wide strings. Wide strings are Unicode
// already and stay as they are. Errors are logged as above.
Variant VariantFromCodePage(const Variant& V, int CodePage);

// ---- Small helpers ----
// Prefix #3 List[0] #3 List[1] #3 ... List[n] #3, n = List[0]; every value as
// its text (byte strings read in the system code page).
WideString JoinVariantList(const Variant& Prefix, const Variant& List);
// Replaces every occurrence of Old (case-sensitive, at character boundaries)
// by New, unless Old and New are the same text ignoring ASCII case or Old is
// empty. While New is shorter than Old the text is searched again from the
// start after each replacement, so occurrences that a removal joins together
// go too ("aabb" without "ab" is ""); otherwise one pass replaces what the
// original text holds, so a New that contains Old cannot run forever.
// TrimResult trims blanks and control characters from both ends.
AnsiString ReplaceText(std::string_view Text, std::string_view Old, std::string_view New,
                       bool TrimResult);
// The Chinese caption (GBK) of a standard dialog button named exactly
// "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll",
// "YesToAll" or "Help"; any other text comes back unchanged.
AnsiString LocalizeButtonCaption(std::string_view Name);
// Optional sign, decimal digits with an optional "." fraction ("." always,
// whatever the format settings say); Default for anything else, blanks and
// exponents included.
double StrToFloatDefault(std::string_view Text, double Default);
// Text is exactly "127.0.0.1".
bool IsLocalAddress(std::string_view Text);
Variant IfThenVariant(bool Flag, const Variant& A, const Variant& B);
// Empty or Null.
bool IsBlankVariant(const Variant& V);
