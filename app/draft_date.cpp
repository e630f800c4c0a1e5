#include "app/draft_date.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/process.h"

namespace app {

namespace {

constexpr const char* kDayNames[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // 1 Jan 1970 was a Thursday
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int64_t kSecondsPerDay = 86400;
// FILETIME counts 100-nanosecond steps from 1601; this many seconds lie
// between that start and 1970.
constexpr int64_t kFileTimeTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

struct CivilDate {
  int64_t year;
  int month;  // 1 to 12
  int day;
};

// The calendar date of a count of days since 1 January 1970 (proleptic
// Gregorian calendar, eras of 400 years).
CivilDate civil_from_days(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t of_era = days - era * 146097;
  const int64_t year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
  const int64_t day_of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;  // from March
  const int day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  const int month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

int64_t unix_seconds(const plat::FILETIME& time) {
  const int64_t ticks = static_cast<int64_t>((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return ticks / kFileTimeTicksPerSecond - kSecondsFrom1601To1970;
}

// 9999-12-31T23:59:59Z: a Date header's year has four digits.
constexpr int64_t kLastSecondOfYear9999 = 253'402'300'799;

// The variable's text; empty when it is not set.
std::string source_date_epoch_text() {
  const char* const name = "SOURCE_DATE_EPOCH";
  const plat::DWORD needed = plat::GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0) return {};
  std::string text(needed, '\0');
  const plat::DWORD length = plat::GetEnvironmentVariableA(name, text.data(), needed);
  text.resize(length < needed ? length : 0);
  return text;
}

}  // namespace

std::string mail_date(int64_t seconds, int32_t offset_minutes) {
  const int64_t local = seconds + int64_t(offset_minutes) * 60;
  const int64_t days = floor_div(local, kSecondsPerDay);
  const int64_t of_day = local - days * kSecondsPerDay;
  const CivilDate date = civil_from_days(days);
  const int32_t offset = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04lld %02d:%02d:%02d %c%02d%02d",
                kDayNames[((days % 7) + 7) % 7], date.day, kMonthNames[date.month - 1],
                static_cast<long long>(date.year), static_cast<int>(of_day / 3600),
                static_cast<int>(of_day / 60 % 60), static_cast<int>(of_day % 60), offset_minutes < 0 ? '-' : '+',
                static_cast<int>(offset / 60), static_cast<int>(offset % 60));
  return text;
}

std::optional<int64_t> source_date_epoch(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLastSecondOfYear9999) return std::nullopt;  // checked at every digit: no overflow
  }
  return value;
}

std::optional<std::string> source_date_epoch_fault() {
  const std::string text = source_date_epoch_text();
  if (text.empty() || source_date_epoch(text)) return std::nullopt;
  return "SOURCE_DATE_EPOCH is '" + text + "', not a whole number of seconds from 0 to " +
         std::to_string(kLastSecondOfYear9999);
}

std::string draft_date() {
  const std::string epoch = source_date_epoch_text();
  if (const std::optional<int64_t> fixed = source_date_epoch(epoch)) return mail_date(*fixed, 0);
  plat::SYSTEMTIME now;
  plat::GetSystemTime(&now);
  plat::FILETIME utc, local;
  plat::SystemTimeToFileTime(&now, &utc);
  plat::FileTimeToLocalFileTime(&utc, &local);
  const int64_t seconds = unix_seconds(utc);
  return mail_date(seconds, static_cast<int32_t>((unix_seconds(local) - seconds) / 60));
}

}  // namespace app
