#include "runtime/string_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "runtime/number_text.h"
#include "runtime/string_stack.h"
#include "tests/services/runtime_error_capture.h"

namespace {

using namespace rt;

std::string bytes(const void* p, size_t n) {
  return std::string(static_cast<const char*>(p), n);
}

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

std::string pop_text() {
  HeapString h = string_stack().pop_into_heap();
  std::string s = h.text == nullptr ? "" : std::string(h.text, h.length);
  release_heap_string(h);
  return s;
}

TEST(string_value_test, typed_values_are_pushed_as_text) {
  string_stack().reset();
  uint8_t b = 200;
  push_typed(&b, TYPE_BYTE, 0);
  EXPECT_EQ(pop_text(), "200");
  int16_t s = -5;
  push_typed(&s, TYPE_SHORT, 0);
  EXPECT_EQ(pop_text(), "-5");
  uint32_t u = 4294967295u;
  push_typed(&u, TYPE_ULONG, 0);
  EXPECT_EQ(pop_text(), "4294967295");
  double r = 2.5;
  push_typed(&r, TYPE_REAL, 0);
  EXPECT_EQ(pop_text(), "2.5");
  uint8_t date[4] = {1, 1, 0xD0, 0x07};  // 1 January 2000
  push_typed(date, TYPE_DATE, 0);
  EXPECT_EQ(pop_text(), "72687");
  char fixed[4] = {'a', 'b', ' ', ' '};
  push_typed(fixed, TYPE_STRING, 4);
  EXPECT_EQ(pop_text(), "ab  ");
  char c[4] = {'x', 'y', 'z', 'w'};  // no NUL inside the declared size
  push_typed(c, TYPE_CSTRING, 4);
  EXPECT_EQ(pop_text(), "xyzw");
  unsigned char p[3] = {200, 'a', 'b'};  // a length byte beyond the size
  push_typed(p, TYPE_PSTRING, 3);
  EXPECT_EQ(pop_text(), "ab");
  EXPECT_EQ(string_stack().depth(), 0u);
}

TEST(string_value_test, typed_push_of_unknown_code_is_string_stack_error) {
  life_test::RuntimeErrorCapture capture;
  uint32_t value = 7;
  push_typed(&value, 42, 4);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_NE(capture.boxes()[0].text.find("String Stack Error"), std::string::npos);
  string_stack().reset();
}

}  // namespace
