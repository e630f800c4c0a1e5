#include "runtime/date_time.h"

#include <cstring>

#include "platform/clock.h"
#include "runtime/number_text.h"
#include "runtime/string_stack.h"

namespace rt {
namespace {

// Days before each month in a common year.
constexpr int32_t kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int32_t kMonthLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Leap days up to and including year y (of any sign).
int64_t leap_days(int64_t y) { return floor_div(y, 4) - floor_div(y, 100) + floor_div(y, 400); }

bool leap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Day number of 1 January of year y.
int64_t year_start(int64_t y) { return 365 * y + leap_days(y - 1); }

// Serial of the first of `month` in any year, on the same count as date
// serials (years before 1801 give serials below 4).
int64_t day_number(int64_t year, int32_t month) {
  int64_t n = (year - kFirstYear) * 365 + kDaysBeforeMonth[month - 1] + 1 + 3 + leap_days(year) -
              leap_days(1800);
  if (month <= 2 && leap(year)) n -= 1;
  return n;
}

bool valid_fields(int32_t month, int32_t day, int32_t year) {
  return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= month_length(month, year);
}

}  // namespace

bool is_leap_year(int32_t year) { return leap(year); }

int32_t month_length(int32_t month, int32_t year) {
  if (month < 1 || month > 12) return 0;
  if (month == 2 && is_leap_year(year)) return 29;
  return kMonthLength[month - 1];
}

LocalDateTime local_date_time() {
  plat::SYSTEMTIME now;
  plat::GetLocalTime(&now);
  return LocalDateTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                       now.wMilliseconds};
}

int32_t DateClock::current_year() {
  if (year_ == 0) year_ = local_date_time().year;
  return year_;
}

DateClock& date_clock() {
  static DateClock clock;
  return clock;
}

int32_t complete_year(int32_t year, int32_t window) {
  if (year < 0 || year >= 100) return year;
  // The window reaches from (now - window) exclusive to (now - window + 100)
  // inclusive: in 2024 with 80, 45 is 1945 and 44 is 2044.
  const int32_t base = date_clock().current_year() - window;
  const int32_t century = base - ((base % 100) + 100) % 100;
  return year <= base - century ? century + 100 + year : century + year;
}

int32_t date_serial(int32_t month, int32_t day, int32_t year) {
  if (year < 100) year = complete_year(year);
  if (!valid_fields(month, day, year)) return -1;
  return static_cast<int32_t>(day_number(year, month) + day - 1);
}

bool date_fields(int32_t serial, CalendarDate& out) {
  out = {};
  if (serial < kFirstDateSerial || serial > kLastDateSerial) return false;
  const int64_t t = serial + year_start(kFirstYear) - 4;
  int32_t y = static_cast<int32_t>(t / 365);
  while (year_start(y) > t) --y;
  int32_t remaining = static_cast<int32_t>(t - year_start(y)) + 1;
  int32_t month = 1;
  while (remaining > month_length(month, y)) remaining -= month_length(month++, y);
  out = {y, month, remaining};
  return true;
}

int32_t DATE(int32_t month, int32_t day, int32_t year) {
  if (year < 100) year = complete_year(year);
  if (month < 1 || day < 1) return -1;
  // Rolling surplus months into years and surplus days through the months
  // that follow is the same as counting from the first of the (rolled) month.
  const int64_t full_year = year + (static_cast<int64_t>(month) - 1) / 12;
  const int32_t first_month = (month - 1) % 12 + 1;
  if (full_year > kLastYear) return -1;
  const int64_t serial = day_number(full_year, first_month) + day - 1;
  if (serial < kFirstDateSerial || serial > kLastDateSerial) return -1;
  return static_cast<int32_t>(serial);
}

int32_t YEAR(int32_t serial) {
  CalendarDate d;
  date_fields(serial, d);
  return d.year;
}

int32_t MONTH(int32_t serial) {
  CalendarDate d;
  date_fields(serial, d);
  return d.month;
}

int32_t DAY(int32_t serial) {
  CalendarDate d;
  date_fields(serial, d);
  return d.day;
}

int32_t TODAY() {
  const LocalDateTime now = local_date_time();
  return date_serial(now.month, now.day, now.year);
}

int32_t CLOCK() {
  const LocalDateTime now = local_date_time();
  return time_serial(now.hours, now.minutes, now.seconds, now.milliseconds / 10);
}

int32_t time_serial(int32_t hours, int32_t minutes, int32_t seconds, int32_t hundredths) {
  if (hours == 0 && minutes == 0 && seconds == 0 && hundredths == 0) return 0;
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
      hundredths < 0 || hundredths > 99) {
    return -1;
  }
  return hours * 360000 + minutes * 6000 + seconds * 100 + hundredths + 1;
}

int32_t time_fields(int32_t serial, ClockTime& out) {
  out = {};
  if (serial < 1 || serial > kLastTimeSerial) return -1;
  int32_t t = serial - 1;
  out.hours = t / 360000;
  t %= 360000;
  out.minutes = t / 6000;
  t %= 6000;
  out.seconds = t / 100;
  out.hundredths = t % 100;
  return 0;
}

int32_t packed_date_to_serial(const PackedDate& packed) {
  const int32_t year = packed.year_low | (packed.year_high << 8);
  if (year > kLastYear) return kLastDateSerial;
  // Stored years are complete: no century rule for a stored year below 100.
  if (!valid_fields(packed.month, packed.day, year)) return 0;
  return date_serial(packed.month, packed.day, year);
}

PackedDate serial_to_packed_date(int32_t serial) {
  CalendarDate d;
  if (!date_fields(serial, d)) return PackedDate{0, 0, 0, 0};
  return PackedDate{static_cast<uint8_t>(d.day), static_cast<uint8_t>(d.month),
                    static_cast<uint8_t>(d.year & 0xFF), static_cast<uint8_t>(d.year >> 8)};
}

int32_t packed_time_to_serial(const PackedTime& packed) {
  const int32_t serial = time_serial(packed.hours, packed.minutes, packed.seconds, packed.hundredths);
  return serial < 0 ? 0 : serial;
}

PackedTime serial_to_packed_time(int32_t serial) {
  ClockTime t;
  time_fields(serial, t);
  return PackedTime{static_cast<uint8_t>(t.hundredths), static_cast<uint8_t>(t.seconds),
                    static_cast<uint8_t>(t.minutes), static_cast<uint8_t>(t.hours)};
}

void clear_date(PackedDate& packed, int32_t fill_code) {
  std::memset(&packed, fill_code > 0 ? 0xFF : 0, sizeof packed);
}

void clear_time(PackedTime& packed, int32_t fill_code) {
  packed = fill_code > 0 ? PackedTime{99, 59, 59, 23} : PackedTime{0, 0, 0, 0};
}

namespace {

// Writes "<number><unit>" and returns its length.
uint32_t number_with_unit(int32_t number, const char* unit, char* out) {
  const uint32_t length = format_integer(number, out);
  const uint32_t unit_length = static_cast<uint32_t>(std::strlen(unit));
  std::memcpy(out + length, unit, unit_length);
  return length + unit_length;
}

uint32_t unplaceable_age(char* out) {
  std::memset(out, '*', kAgeTextMax);
  return kAgeTextMax;
}

}  // namespace

uint32_t age_text(int32_t birth, int32_t base, char* out) {
  if (base == -1) base = TODAY();
  CalendarDate b;
  CalendarDate n;
  if (!date_fields(base, n) || !date_fields(birth, b)) return unplaceable_age(out);
  if (birth > base) {
    // A two-digit birth year completed into the future: take the century before.
    birth = DATE(b.month, b.day, b.year - 100);
    if (!date_fields(birth, b) || birth > base) return unplaceable_age(out);
  }
  if (base - birth < 61) return number_with_unit(base - birth, " DAYS", out);
  int32_t months = 12 * (n.year - b.year) + (n.month - b.month);
  if (n.day < b.day) --months;
  if (months <= 24) return number_with_unit(months, " MOS", out);
  int32_t years = n.year - b.year;
  if (n.month < b.month || (n.month == b.month && n.day < b.day)) --years;
  return number_with_unit(years, " YRS", out);
}

void AGE(int32_t birth, int32_t base) {
  char text[kAgeTextMax];
  const uint32_t length = age_text(birth, base, text);
  StringStack& stack = string_stack();
  stack.push_borrowed(text, length);
  stack.make_top_stable();
}

}  // namespace rt
