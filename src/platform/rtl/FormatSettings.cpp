#include "platform/rtl/FormatSettings.h"

#include <atomic>
#include <cmath>
#include <ctime>
#include <limits>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"

TFormatSettings FormatSettings;

void RestoreDefaultFormatSettings() { FormatSettings = TFormatSettings(); }

namespace {

// NaN means "no test clock"; a single atomic keeps Now() free of locks and
// safe to read from a timer thread while a test sets the clock.
std::atomic<double> GTestClock{std::numeric_limits<double>::quiet_NaN()};

TDateTime SystemNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  const time_t seconds = ts.tv_sec;
  tm local{};
  localtime_r(&seconds, &local);
  const int msec = static_cast<int>(ts.tv_nsec / 1000000);
  const TDateTime date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  // A leap second (tm_sec 60) is folded into the last second of the minute.
  const int sec = local.tm_sec > 59 ? 59 : local.tm_sec;
  const TDateTime time = EncodeTime(local.tm_hour, local.tm_min, sec, msec);
  return ComposeDateTime(date, time);
}

}  // namespace

TDateTime Now() {
  const double frozen = GTestClock.load();
  if (!std::isnan(frozen)) return TDateTime(frozen);
  return SystemNow();
}

TDateTime Date() { return DateOf(Now()); }

TDateTime Time() { return TimeOf(Now()); }

void SetTestClock(TDateTime dt) {
  // Validate through the decoder so that a frozen clock can always be read
  // back by Date(), Time() and the formatters.
  DateOf(dt);
  GTestClock.store(dt.Value);
}

void ClearTestClock() { GTestClock.store(std::numeric_limits<double>::quiet_NaN()); }
