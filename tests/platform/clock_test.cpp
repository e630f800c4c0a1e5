#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/file.h"
#include "platform/last_error.h"

using namespace plat;

TEST(clock_test, local_time_is_a_valid_date_and_the_fixed_time_hook_holds) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
  EXPECT_LT(now.wDayOfWeek, 7);
  SYSTEMTIME fixed{2000, 2, 2, 29, 23, 59, 58, 999};
  set_fixed_local_time(&fixed);
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2000);
  EXPECT_EQ(now.wDay, 29);
  EXPECT_EQ(now.wMilliseconds, 999);
  set_fixed_local_time(nullptr);
}

TEST(clock_test, system_time_and_file_time_convert_both_ways) {
  SYSTEMTIME epoch{1601, 1, 1, 1, 0, 0, 0, 0};
  FILETIME zero;
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &zero));
  EXPECT_EQ(zero.dwLowDateTime, 0u);
  EXPECT_EQ(zero.dwHighDateTime, 0u);
  SYSTEMTIME unix_epoch{1970, 1, 0, 1, 0, 0, 0, 0};
  FILETIME t;
  ASSERT_TRUE(SystemTimeToFileTime(&unix_epoch, &t));
  EXPECT_EQ((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime, 116444736000000000ull);
  SYSTEMTIME leap{2024, 2, 0, 29, 12, 30, 15, 250}, back;
  ASSERT_TRUE(SystemTimeToFileTime(&leap, &t));
  ASSERT_TRUE(FileTimeToSystemTime(&t, &back));
  EXPECT_EQ(back.wYear, 2024);
  EXPECT_EQ(back.wMonth, 2);
  EXPECT_EQ(back.wDay, 29);
  EXPECT_EQ(back.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(back.wSecond, 15);
  EXPECT_EQ(back.wMilliseconds, 250);
  SYSTEMTIME not_leap{2023, 2, 0, 29, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&not_leap, &t));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(clock_test, local_file_time_follows_the_time_zone_at_that_date) {
  std::string old = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  SYSTEMTIME winter{2024, 1, 0, 15, 12, 0, 0, 0}, summer{2024, 7, 0, 15, 12, 0, 0, 0}, local;
  FILETIME utc, shifted;
  SystemTimeToFileTime(&winter, &utc);
  FileTimeToLocalFileTime(&utc, &shifted);
  FileTimeToSystemTime(&shifted, &local);
  EXPECT_EQ(local.wHour, 13);
  SystemTimeToFileTime(&summer, &utc);
  FileTimeToLocalFileTime(&utc, &shifted);
  FileTimeToSystemTime(&shifted, &local);
  EXPECT_EQ(local.wHour, 14);
  FILETIME again;
  LocalFileTimeToFileTime(&shifted, &again);
  EXPECT_EQ(again.dwLowDateTime, utc.dwLowDateTime);
  EXPECT_EQ(again.dwHighDateTime, utc.dwHighDateTime);
  if (old.empty())
    unsetenv("TZ");
  else
    setenv("TZ", old.c_str(), 1);
  tzset();
}

TEST(clock_test, monotonic_clock_never_goes_back) {
  uint64_t first = monotonic_nanoseconds();
  uint64_t second = monotonic_nanoseconds();
  EXPECT_LE(first, second);
  DWORD ticks = GetTickCount();
  EXPECT_LE(GetTickCount() - ticks, 60000u);  // same clock, counted in milliseconds
}
