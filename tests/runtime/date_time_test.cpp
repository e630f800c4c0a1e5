#include "runtime/date_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "runtime/string_stack.h"

namespace {

using namespace rt;

// Pins the local clock (and the century rule's year) for one test.
class FixedNow {
 public:
  FixedNow(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    plat::SYSTEMTIME t{};
    t.wYear = static_cast<plat::WORD>(year);
    t.wMonth = static_cast<plat::WORD>(month);
    t.wDay = static_cast<plat::WORD>(day);
    t.wHour = static_cast<plat::WORD>(hour);
    t.wMinute = static_cast<plat::WORD>(minute);
    t.wSecond = static_cast<plat::WORD>(second);
    t.wMilliseconds = static_cast<plat::WORD>(ms);
    plat::set_fixed_local_time(&t);
    date_clock().reset();
  }
  ~FixedNow() {
    plat::set_fixed_local_time(nullptr);
    date_clock().reset();
  }
};

// Independent count of days after 28 December 1800, from the standard
// library's civil calendar.
int32_t civil_serial(int y, unsigned m, unsigned d) {
  using namespace std::chrono;
  const sys_days day = year_month_day{year{y}, month{m}, std::chrono::day{d}};
  const sys_days origin = year_month_day{year{1800}, month{12}, std::chrono::day{28}};
  return static_cast<int32_t>((day - origin).count());
}

std::string age(int32_t birth, int32_t base) {
  char text[kAgeTextMax];
  return std::string(text, age_text(birth, base, text));
}

TEST(date_time_test, serials_of_the_fixed_points) {
  EXPECT_EQ(DATE(1, 1, 1801), 4);
  EXPECT_EQ(DATE(12, 31, 9999), 2994626);
  EXPECT_EQ(DATE(1, 1, 2000), 72687);
  EXPECT_EQ(DATE(2, 29, 2024), 81512);
}

TEST(date_time_test, every_day_from_1801_to_9999_round_trips) {
  int32_t expected = kFirstDateSerial;
  for (int32_t year = kFirstYear; year <= kLastYear; ++year) {
    for (int32_t month = 1; month <= 12; ++month) {
      for (int32_t day = 1; day <= month_length(month, year); ++day) {
        const int32_t serial = date_serial(month, day, year);
        ASSERT_EQ(serial, expected) << year << '-' << month << '-' << day;
        CalendarDate back;
        ASSERT_TRUE(date_fields(serial, back));
        ASSERT_EQ(back.year, year);
        ASSERT_EQ(back.month, month);
        ASSERT_EQ(back.day, day);
        ++expected;
      }
    }
    ASSERT_EQ(date_serial(1, 1, year), civil_serial(year, 1, 1));
  }
  EXPECT_EQ(expected - 1, kLastDateSerial);
}

TEST(date_time_test, normalising_rolls_days_and_months_forward) {
  EXPECT_EQ(DATE(2, 29, 2023), DATE(3, 1, 2023));
  EXPECT_EQ(DATE(13, 1, 2023), DATE(1, 1, 2024));
  EXPECT_EQ(DATE(14, 29, 2023), DATE(2, 29, 2024));
  EXPECT_EQ(DATE(1, 366, 2024), DATE(12, 31, 2024));
  EXPECT_EQ(DATE(12, 32, 1800), 4);  // rolls into the first valid day
  EXPECT_EQ(DATE(1, 1, 2000) + 1000000, DATE(1, 1000001, 2000));
}

TEST(date_time_test, invalid_fields_give_minus_one) {
  EXPECT_EQ(DATE(0, 1, 2020), -1);
  EXPECT_EQ(DATE(1, 0, 2020), -1);
  EXPECT_EQ(DATE(12, 31, 1800), -1);
  EXPECT_EQ(DATE(1, 1, 10000), -1);
  EXPECT_EQ(DATE(INT32_MAX, INT32_MAX, 2000), -1);
  EXPECT_EQ(DATE(1, INT32_MAX, INT32_MIN), -1);
  EXPECT_EQ(date_serial(2, 29, 2023), -1);
  EXPECT_EQ(date_serial(2, 29, 1900), -1);
  EXPECT_EQ(date_serial(2, 29, 2000), DATE(2, 29, 2000));
}

TEST(date_time_test, fields_of_invalid_serials_are_zero) {
  EXPECT_EQ(YEAR(3), 0);
  EXPECT_EQ(MONTH(3), 0);
  EXPECT_EQ(DAY(3), 0);
  EXPECT_EQ(YEAR(kLastDateSerial + 1), 0);
  EXPECT_EQ(YEAR(81512), 2024);
  EXPECT_EQ(MONTH(81512), 2);
  EXPECT_EQ(DAY(81512), 29);
}

TEST(date_time_test, century_window_places_two_digit_years) {
  date_clock().set_current_year(2024);
  EXPECT_EQ(complete_year(44), 2044);
  EXPECT_EQ(complete_year(45), 1945);
  EXPECT_EQ(complete_year(0), 2000);
  EXPECT_EQ(complete_year(99), 1999);
  // The window runs from the year after (now - window) to 100 years later.
  EXPECT_EQ(complete_year(25, 0), 2025);
  EXPECT_EQ(complete_year(24, 0), 2124);
  EXPECT_EQ(complete_year(6, 19), 2006);  // the window of ">80"
  EXPECT_EQ(complete_year(5, 19), 2105);
  EXPECT_EQ(complete_year(150), 150);
  EXPECT_EQ(DATE(7, 5, 24), DATE(7, 5, 2024));
  EXPECT_EQ(DATE(7, 5, 50), DATE(7, 5, 1950));
  date_clock().reset();
}

TEST(date_time_test, current_year_is_read_once) {
  FixedNow now(2024, 3, 1);
  EXPECT_EQ(date_clock().current_year(), 2024);
  plat::SYSTEMTIME later{};
  later.wYear = 2031;
  later.wMonth = 1;
  later.wDay = 1;
  plat::set_fixed_local_time(&later);
  EXPECT_EQ(date_clock().current_year(), 2024);
  EXPECT_EQ(complete_year(44), 2044);
}

TEST(date_time_test, today_and_clock_read_the_local_time) {
  FixedNow now(2024, 2, 29, 13, 5, 7, 890);
  EXPECT_EQ(TODAY(), 81512);
  EXPECT_EQ(CLOCK(), 13 * 360000 + 5 * 6000 + 7 * 100 + 89 + 1);
}

TEST(date_time_test, time_fields_and_serials) {
  EXPECT_EQ(time_serial(0, 0, 0, 0), 0);
  EXPECT_EQ(time_serial(0, 0, 0, 1), 2);
  EXPECT_EQ(time_serial(23, 59, 59, 99), 8640000);
  EXPECT_EQ(time_serial(24, 0, 0, 0), -1);
  EXPECT_EQ(time_serial(0, 60, 0, 0), -1);
  EXPECT_EQ(time_serial(0, 0, 60, 0), -1);
  EXPECT_EQ(time_serial(0, 0, 0, 100), -1);
  ClockTime t;
  EXPECT_EQ(time_fields(8640000, t), 0);
  EXPECT_EQ(t.hours, 23);
  EXPECT_EQ(t.minutes, 59);
  EXPECT_EQ(t.seconds, 59);
  EXPECT_EQ(t.hundredths, 99);
  EXPECT_EQ(time_fields(0, t), -1);
  EXPECT_EQ(t.hours, 0);
  EXPECT_EQ(time_fields(8640001, t), -1);
  for (int32_t serial = 1; serial <= kLastTimeSerial; serial += 997) {
    ASSERT_EQ(time_fields(serial, t), 0);
    ASSERT_EQ(time_serial(t.hours, t.minutes, t.seconds, t.hundredths), serial == 1 ? 0 : serial);
  }
}

TEST(date_time_test, packed_date_storage) {
  const PackedDate packed = serial_to_packed_date(81512);
  const uint8_t bytes[4] = {29, 2, 2024 & 0xFF, 2024 >> 8};
  EXPECT_EQ(std::memcmp(&packed, bytes, 4), 0);
  EXPECT_EQ(packed_date_to_serial(packed), 81512);
  EXPECT_EQ(packed_date_to_serial(PackedDate{1, 1, 0xFF, 0xFF}), kLastDateSerial);
  EXPECT_EQ(packed_date_to_serial(PackedDate{30, 2, 2024 & 0xFF, 2024 >> 8}), 0);
  EXPECT_EQ(packed_date_to_serial(PackedDate{0, 0, 0, 0}), 0);
  // A stored year is complete: year 24 is not a two-digit year.
  EXPECT_EQ(packed_date_to_serial(PackedDate{1, 1, 24, 0}), 0);
  const PackedDate none = serial_to_packed_date(-1);
  EXPECT_EQ(none.day | none.month | none.year_low | none.year_high, 0);
}

TEST(date_time_test, packed_time_storage) {
  const PackedTime packed = serial_to_packed_time(time_serial(13, 5, 7, 89));
  const uint8_t bytes[4] = {89, 7, 5, 13};
  EXPECT_EQ(std::memcmp(&packed, bytes, 4), 0);
  EXPECT_EQ(packed_time_to_serial(packed), time_serial(13, 5, 7, 89));
  EXPECT_EQ(packed_time_to_serial(PackedTime{0, 0, 0, 24}), 0);
}

TEST(date_time_test, clearing_with_fill_codes) {
  PackedDate d{1, 2, 3, 4};
  clear_date(d, 1);
  EXPECT_EQ(d.day & d.month & d.year_low & d.year_high, 0xFF);
  clear_date(d, -1);
  EXPECT_EQ(d.day | d.month | d.year_low | d.year_high, 0);
  PackedTime t{1, 2, 3, 4};
  clear_time(t, 5);
  EXPECT_EQ(packed_time_to_serial(t), 8640000);
  clear_time(t, 0);
  EXPECT_EQ(packed_time_to_serial(t), 0);
}

TEST(date_time_test, age_in_days_months_and_years) {
  const int32_t birth = DATE(1, 1, 2024);
  EXPECT_EQ(age(birth, DATE(2, 15, 2024)), "45 DAYS");
  EXPECT_EQ(age(birth, DATE(3, 1, 2024)), "60 DAYS");
  EXPECT_EQ(age(birth, DATE(3, 2, 2024)), "2 MOS");
  EXPECT_EQ(age(birth, DATE(7, 1, 2025)), "18 MOS");
  EXPECT_EQ(age(birth, DATE(1, 1, 2026)), "24 MOS");
  EXPECT_EQ(age(birth, DATE(1, 2, 2030)), "6 YRS");
  EXPECT_EQ(age(DATE(6, 15, 2000), DATE(6, 14, 2030)), "29 YRS");
  EXPECT_EQ(age(DATE(6, 15, 2000), DATE(6, 15, 2030)), "30 YRS");
  EXPECT_EQ(age(birth, birth), "0 DAYS");
}

TEST(date_time_test, age_of_a_future_birth_takes_the_century_before) {
  EXPECT_EQ(age(DATE(1, 1, 2050), DATE(1, 1, 2024)), "74 YRS");
  EXPECT_EQ(age(DATE(1, 1, 2150), DATE(1, 1, 2024)), std::string(255, '*'));
  EXPECT_EQ(age(DATE(1, 1, 1850), DATE(1, 1, 1830)), std::string(255, '*'));
  EXPECT_EQ(age(0, DATE(1, 1, 2024)), std::string(255, '*'));
}

TEST(date_time_test, age_with_base_today_is_pushed_on_the_stack) {
  FixedNow now(2024, 2, 15);
  StringStack& stack = string_stack();
  stack.reset();
  AGE(DATE(1, 1, 2024), -1);
  ASSERT_EQ(stack.depth(), 1u);
  EXPECT_EQ(std::string(stack.peek().text, stack.peek().length), "45 DAYS");
  stack.reset();
}

}  // namespace
