// Wall-clock and monotonic time.
#pragma once

#include "platform/types.h"

namespace plat {

// Layout as on Windows: eight 16-bit fields.
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;      // 1 = January
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;
static_assert(sizeof(SYSTEMTIME) == 16);

// The local date and time (the system's time zone), to the millisecond.
void GetLocalTime(LPSYSTEMTIME time);
// The same instant in UTC.
void GetSystemTime(LPSYSTEMTIME time);
// Milliseconds since an arbitrary start, wrapping after about 49.7 days.
DWORD GetTickCount();
// Nanoseconds on a clock that never goes back.
uint64_t monotonic_nanoseconds();

// Converts between SYSTEMTIME and FILETIME without any time-zone change.
// Fails with 87 for a date out of range (SystemTimeToFileTime ignores wDayOfWeek).
BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time);
BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time);

// Test hook: makes GetLocalTime report `fixed` (and GetSystemTime the same
// wall time) until called with null.
void set_fixed_local_time(const SYSTEMTIME* fixed);

}  // namespace plat
