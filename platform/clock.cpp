// Wall-clock time, the calendar arithmetic of SYSTEMTIME and FILETIME, and
// the monotonic clock.
#include "platform/clock.h"

#include <atomic>
#include <mutex>

#include "platform/last_error.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

namespace plat {
namespace {

constexpr int64_t ticks_per_second = 10'000'000;        // FILETIME counts 100 ns
constexpr int64_t unix_epoch_seconds = 11'644'473'600;  // 1601-01-01 to 1970-01-01
constexpr int64_t seconds_per_day = 86'400;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t days_from_civil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<int64_t>(day_of_era) - 719468;
}

void civil_from_days(int64_t days, SYSTEMTIME* date) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  unsigned shifted_month = (5 * day_of_year + 2) / 153;
  unsigned month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  date->wDay = static_cast<WORD>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  date->wMonth = static_cast<WORD>(month);
  date->wYear = static_cast<WORD>(static_cast<int64_t>(year_of_era) + era * 400 + (month <= 2));
}

bool leap_year(unsigned year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned days_in_month(unsigned year, unsigned month) {
  static constexpr unsigned days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap_year(year) ? 29 : days[month - 1];
}

bool valid_system_time(const SYSTEMTIME& t) {
  return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= days_in_month(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 &&
         t.wSecond < 60 && t.wMilliseconds < 1000;
}

// The wall time from seconds since 1970 (in whichever zone they count).
void split_seconds(int64_t seconds, int64_t nanoseconds, SYSTEMTIME* time) {
  int64_t days = seconds >= 0 ? seconds / seconds_per_day : -((-seconds - 1) / seconds_per_day) - 1;
  int64_t rest = seconds - days * seconds_per_day;
  civil_from_days(days, time);
  time->wDayOfWeek = static_cast<WORD>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
  time->wHour = static_cast<WORD>(rest / 3600);
  time->wMinute = static_cast<WORD>(rest / 60 % 60);
  time->wSecond = static_cast<WORD>(rest % 60);
  time->wMilliseconds = static_cast<WORD>(nanoseconds / 1'000'000);
}

std::mutex fixed_time_lock;
bool time_is_fixed = false;
SYSTEMTIME fixed_time;

bool read_fixed_time(SYSTEMTIME* time) {
  std::lock_guard guard(fixed_time_lock);
  if (time_is_fixed) *time = fixed_time;
  return time_is_fixed;
}

}  // namespace

namespace detail {

FILETIME filetime_from_unix(int64_t seconds, int64_t nanoseconds) {
  uint64_t ticks =
      static_cast<uint64_t>((seconds + unix_epoch_seconds) * ticks_per_second + nanoseconds / 100);
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

int64_t unix_from_filetime(const FILETIME& time, int64_t* nanoseconds) {
  uint64_t ticks = (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  *nanoseconds = static_cast<int64_t>(ticks % ticks_per_second) * 100;
  return static_cast<int64_t>(ticks / ticks_per_second) - unix_epoch_seconds;
}

}  // namespace detail

BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time) {
  if (system_time == nullptr || file_time == nullptr || !valid_system_time(*system_time)) {
    return detail::fail(ERROR_INVALID_PARAMETER);
  }
  const SYSTEMTIME& t = *system_time;
  int64_t seconds = days_from_civil(t.wYear, t.wMonth, t.wDay) * seconds_per_day + t.wHour * 3600 +
                    t.wMinute * 60 + t.wSecond;
  *file_time = detail::filetime_from_unix(seconds, int64_t{t.wMilliseconds} * 1'000'000);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time) {
  if (file_time == nullptr || system_time == nullptr || (file_time->dwHighDateTime >> 31) != 0) {
    return detail::fail(ERROR_INVALID_PARAMETER);
  }
  int64_t nanoseconds = 0;
  int64_t seconds = detail::unix_from_filetime(*file_time, &nanoseconds);
  split_seconds(seconds, nanoseconds, system_time);
  return TRUE;
}

void GetSystemTime(LPSYSTEMTIME time) {
  if (read_fixed_time(time)) return;
  int64_t nanoseconds = 0;
  int64_t seconds = detail::wall_clock(&nanoseconds);
  split_seconds(seconds, nanoseconds, time);
}

void GetLocalTime(LPSYSTEMTIME time) {
  if (read_fixed_time(time)) return;
  int64_t nanoseconds = 0;
  int64_t seconds = detail::wall_clock(&nanoseconds);
  split_seconds(seconds + detail::local_offset_at_utc(seconds), nanoseconds, time);
}

#ifndef _WIN32  // Windows counts its own ticks
DWORD GetTickCount() {
  return static_cast<DWORD>(monotonic_nanoseconds() / 1'000'000);
}
#endif

void set_fixed_local_time(const SYSTEMTIME* fixed) {
  std::lock_guard guard(fixed_time_lock);
  time_is_fixed = fixed != nullptr;
  if (fixed != nullptr) fixed_time = *fixed;
}

}  // namespace plat

#ifdef _WIN32
#include "platform/win32/clock.inc"
#else
#include "platform/posix/clock.inc"
#endif
