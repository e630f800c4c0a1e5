// Dates and times as integer serials.
//
// A date serial counts days after 28 December 1800 (4 is 1 January 1801,
// 2994626 is 31 December 9999); a time serial counts hundredths of a second
// since midnight plus 1 (1 is 00:00:00.00, 8640000 is 23:59:59.99). 0 means
// "no date" / "no time" in both. Nothing here raises an error: invalid input
// gives -1, 0 or a blank result as each function says.
#pragma once

#include <cstdint>

namespace rt {

inline constexpr int32_t kFirstDateSerial = 4;
inline constexpr int32_t kLastDateSerial = 2994626;
inline constexpr int32_t kLastTimeSerial = 8640000;
inline constexpr int32_t kFirstYear = 1801;
inline constexpr int32_t kLastYear = 9999;
inline constexpr int32_t kDefaultCenturyWindow = 80;
// The change stamp of a queue starts at the time serial times this factor.
inline constexpr uint32_t kStampFactor = 25781083;

struct CalendarDate {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};

struct ClockTime {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
  int32_t hundredths = 0;
};

// The local date and time as the system clock gives it.
struct LocalDateTime {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
  int32_t milliseconds = 0;
};
LocalDateTime local_date_time();

bool is_leap_year(int32_t year);
// Days in `month` (1-12) of `year`; 0 for a month outside 1-12.
int32_t month_length(int32_t month, int32_t year);

// The process's notion of "now" for the century rule: the current year is
// read from the local clock once and kept for the life of the process.
class DateClock {
 public:
  int32_t current_year();
  // Tests pin the year (0 forgets it, so the clock is read again).
  void set_current_year(int32_t year) { year_ = year; }
  void reset() { year_ = 0; }

 private:
  int32_t year_ = 0;
};

DateClock& date_clock();

// Completes a two-digit year with a window of `window` years back from the
// current year: 44 is 2044 and 45 is 1945 in 2024 with the window 80.
// Years of 100 and more are returned unchanged.
int32_t complete_year(int32_t year, int32_t window = kDefaultCenturyWindow);

// Calendar fields to serial, without normalising: -1 when not a valid date.
// A year below 100 is completed by the century rule (window 80).
int32_t date_serial(int32_t month, int32_t day, int32_t year);
// Serial to fields; false (fields all 0) for a serial outside 4..2994626.
bool date_fields(int32_t serial, CalendarDate& out);

// DATE(month, day, year): months above 12 roll into later years and days
// beyond a month's length roll into later months before converting.
int32_t DATE(int32_t month, int32_t day, int32_t year);
int32_t YEAR(int32_t serial);
int32_t MONTH(int32_t serial);
int32_t DAY(int32_t serial);
int32_t TODAY();
int32_t CLOCK();

// Time fields to serial: 0 when all four are 0, -1 when a field is out of
// range, else the serial.
int32_t time_serial(int32_t hours, int32_t minutes, int32_t seconds, int32_t hundredths);
// Serial to fields: -1 (fields all 0) for a serial outside 1..8640000, else 0.
int32_t time_fields(int32_t serial, ClockTime& out);

// Packed DATE storage, in memory order: day, month, year (16-bit, least
// significant byte first), so that read as one 32-bit little-endian value the
// year is the most significant part.
struct PackedDate {
  uint8_t day;
  uint8_t month;
  uint8_t year_low;
  uint8_t year_high;
};
static_assert(sizeof(PackedDate) == 4);

// Packed TIME storage, in memory order: hundredths, seconds, minutes, hours.
struct PackedTime {
  uint8_t hundredths;
  uint8_t seconds;
  uint8_t minutes;
  uint8_t hours;
};
static_assert(sizeof(PackedTime) == 4);

// A year above 9999 reads as 31 December 9999; an invalid date gives 0.
int32_t packed_date_to_serial(const PackedDate& packed);
// An invalid serial gives an all-zero DATE (no date).
PackedDate serial_to_packed_date(int32_t serial);
// An invalid time gives 0.
int32_t packed_time_to_serial(const PackedTime& packed);
// An invalid serial gives an all-zero TIME (no time).
PackedTime serial_to_packed_time(int32_t serial);
// Clearing with a fill code: positive is the highest value (all 0xFF for a
// DATE, 23:59:59.99 for a TIME); 0 or negative is all zero.
void clear_date(PackedDate& packed, int32_t fill_code);
void clear_time(PackedTime& packed, int32_t fill_code);

// The AGE text for a birth serial and a base serial (-1 = today): "n DAYS"
// below 61 days, "n MOS" up to 24 months, else "n YRS"; 255 asterisks when
// the birth cannot be placed before the base. Writes at most kAgeTextMax
// bytes and returns the length.
inline constexpr uint32_t kAgeTextMax = 255;
uint32_t age_text(int32_t birth, int32_t base, char* out);
// AGE as the language calls it: the text is pushed on the string stack.
void AGE(int32_t birth, int32_t base);

}  // namespace rt
