#include "runtime/string_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "runtime/number_text.h"
#include "tests/lifecycle/runtime_error_capture.h"

namespace {

using namespace rt;

std::string bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }

TEST(string_value_test, string_assignment_truncates_and_pads_within_size) {
  char dest[6];
  std::memset(dest, '#', sizeof dest);
  assign_string(dest, 4, "ABCDEF", 6);
  EXPECT_EQ(bytes(dest, 6), "ABCD##");
  assign_string(dest, 4, "AB", 2);
  EXPECT_EQ(bytes(dest, 6), "AB  ##");
  assign_string(dest, 4, nullptr, 0);
  EXPECT_EQ(bytes(dest, 6), "    ##");
}

TEST(string_value_test, string_keeps_nul_bytes_as_characters) {
  char dest[4];
  assign_string(dest, 4, "a\0b", 3);
  EXPECT_EQ(bytes(dest, 4), std::string("a\0b ", 4));
}

TEST(string_value_test, cstring_and_pstring_hold_size_minus_one) {
  char c[6];
  std::memset(c, '#', sizeof c);
  assign_cstring(c, 4, "ABCDEF", 6);
  EXPECT_EQ(bytes(c, 6), std::string("ABC\0##", 6));

  unsigned char p[6];
  std::memset(p, '#', sizeof p);
  assign_pstring(p, 4, "ABCDEF", 6);
  EXPECT_EQ(p[0], 3);
  EXPECT_EQ(bytes(p + 1, 5), "ABC##");
}

TEST(string_value_test, pstring_length_byte_never_wraps) {
  unsigned char p[400];
  std::string text(390, 'q');
  assign_pstring(p, sizeof p, text.data(), static_cast<uint32_t>(text.size()));
  EXPECT_EQ(p[0], 255);
}

TEST(string_value_test, clear_string_by_fill_code) {
  char s[4];
  std::memset(s, '#', sizeof s);
  clear_string(s, 3, kFillHighest);
  EXPECT_EQ(bytes(s, 4), "\xFF\xFF\xFF#");
  clear_string(s, 3, kFillLowest);
  EXPECT_EQ(bytes(s, 4), std::string("\0\0\0#", 4));
  clear_string(s, 3, kFillOrdinary);
  EXPECT_EQ(bytes(s, 4), "   #");
  std::memset(s, '#', sizeof s);
  fill_spaces(s, 2);
  EXPECT_EQ(bytes(s, 4), "  ##");
}

TEST(string_value_test, clear_cstring_by_fill_code) {
  char s[5];
  std::memset(s, '#', sizeof s);
  clear_cstring(s, 4, kFillHighest);
  EXPECT_EQ(bytes(s, 5), std::string("\xFF\xFF\xFF\0#", 5));
  std::memset(s, '#', sizeof s);
  clear_cstring(s, 4, kFillLowest);
  EXPECT_EQ(bytes(s, 5), std::string("\0####", 5));
  clear_cstring(s, 4, kFillOrdinary);
  EXPECT_EQ(s[0], '\0');
}

TEST(string_value_test, clear_pstring_by_fill_code) {
  unsigned char p[5] = {2, 'a', 'b', 'c', '#'};
  clear_pstring(p, 4, kFillOrdinary);
  EXPECT_EQ(bytes(p, 5), std::string("\0abc#", 5));  // text bytes untouched
  clear_pstring(p, 4, kFillLowest);
  EXPECT_EQ(bytes(p, 5), std::string("\3\0\0\0#", 5));
  clear_pstring(p, 4, kFillHighest);
  EXPECT_EQ(bytes(p, 5), std::string("\3\xFF\xFF\xFF#", 5));
}

TEST(string_value_test, typed_clear_of_numbers_dates_and_times) {
  int16_t s = 5;
  clear_typed(&s, TYPE_SHORT, 0, kFillLowest);
  EXPECT_EQ(s, -32768);
  uint32_t u = 5;
  clear_typed(&u, TYPE_ULONG, 0, kFillHighest);
  EXPECT_EQ(u, 4294967295u);
  double r = 1;
  clear_typed(&r, TYPE_REAL, 0, kFillHighest);
  EXPECT_EQ(r, 1.7976931348623101e308);
  float f = 1;
  clear_typed(&f, TYPE_SREAL, 0, kFillLowest);
  EXPECT_EQ(f, -std::numeric_limits<float>::max());
  uint8_t date[4] = {1, 2, 3, 4};
  clear_typed(date, TYPE_DATE, 0, kFillHighest);
  EXPECT_EQ(bytes(date, 4), "\xFF\xFF\xFF\xFF");
  clear_typed(date, TYPE_DATE, 0, kFillLowest);
  EXPECT_EQ(bytes(date, 4), std::string(4, '\0'));
  uint8_t time[4] = {};
  clear_typed(time, TYPE_TIME, 0, kFillHighest);
  EXPECT_EQ(time[0], 99);  // hundredths first
  EXPECT_EQ(time[3], 23);  // hours last
  char text[3];
  clear_typed(text, TYPE_STRING, 3, kFillOrdinary);
  EXPECT_EQ(bytes(text, 3), "   ");
}

TEST(string_value_test, typed_clear_of_unknown_code_is_string_stack_error) {
  life_test::RuntimeErrorCapture capture;
  uint32_t value = 7;
  clear_typed(&value, 99, 0, kFillOrdinary);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_NE(capture.boxes()[0].text.find("String Stack Error"), std::string::npos);
  EXPECT_EQ(value, 7u);
}

}  // namespace
