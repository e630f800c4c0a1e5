#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "runtime/string_value.h"

namespace {

using namespace rt;

std::string real_text(double v) {
  char out[kNumberTextCapacity];
  return std::string(out, format_real(v, out));
}

std::string integer_text(int32_t v) {
  char out[kNumberTextCapacity];
  return std::string(out, format_integer(v, out));
}

double to_real(const std::string& s) {
  return text_to_real(s.data(), static_cast<uint32_t>(s.size()));
}

TEST(number_text_test, integer_text_has_no_padding) {
  EXPECT_EQ(integer_text(0), "0");
  EXPECT_EQ(integer_text(-7), "-7");
  EXPECT_EQ(integer_text(2147483647), "2147483647");
  EXPECT_EQ(integer_text(-2147483647 - 1), "-2147483648");
  char out[kNumberTextCapacity];
  EXPECT_EQ(std::string(out, format_unsigned(4294967295u, out)), "4294967295");
  EXPECT_EQ(std::string(out, format_unsigned(0, out)), "0");
}

TEST(number_text_test, real_text_in_fixed_notation) {
  EXPECT_EQ(real_text(5.0), "5");
  EXPECT_EQ(real_text(0.1), "0.1");
  EXPECT_EQ(real_text(-2.5), "-2.5");
  EXPECT_EQ(real_text(0.0), "0");
  EXPECT_EQ(real_text(1.0 / 3), "0.33333333333333");
  EXPECT_EQ(real_text(12345678901234.0), "12345678901234");  // exponent 13
  EXPECT_EQ(real_text(0.00001), "0.00001");                  // exponent -5
  EXPECT_EQ(real_text(100.0), "100");
  EXPECT_EQ(real_text(2.9999999999999996), "3");
}

TEST(number_text_test, real_text_in_exponent_notation) {
  EXPECT_EQ(real_text(123456789012345.0), "1.2345678901234e+14");  // 14 digits kept
  EXPECT_EQ(real_text(1e15), "1e+15");
  EXPECT_EQ(real_text(0.000001), "1e-06");
  EXPECT_EQ(real_text(-1.5e-300), "-1.5e-300");
  EXPECT_EQ(real_text(1.7976931348623157e308), "1.7976931348623e+308");
}

TEST(number_text_test, real_text_fits_its_capacity) {
  for (double v :
       {-1.2345678901234e-300, -0.000012345678901234, -12345678901234.5,
        std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::max()}) {
    char out[kNumberTextCapacity];
    EXPECT_LE(format_real(v, out), kNumberTextCapacity);
  }
}

TEST(number_text_test, text_to_real_follows_strtod_rules) {
  EXPECT_EQ(to_real("  12.5"), 12.5);
  EXPECT_EQ(to_real("-1e3"), -1000.0);
  EXPECT_EQ(to_real("+.5"), 0.5);
  EXPECT_EQ(to_real("1e"), 1.0);
  EXPECT_EQ(to_real("12abc"), 12.0);
  EXPECT_EQ(to_real("abc"), 0.0);
  EXPECT_EQ(to_real("0x10"), 0.0);  // no hexadecimal
  EXPECT_EQ(to_real("inf"), 0.0);   // no infinity words
  EXPECT_EQ(to_real("1,5"), 1.0);   // a comma is no decimal point here
}

TEST(number_text_test, text_to_real_reads_39_bytes_of_clipped_text) {
  std::string digits = std::string(39, '1') + "9";
  EXPECT_EQ(to_real(digits), std::strtod(std::string(39, '1').c_str(), nullptr));
  EXPECT_EQ(to_real("7" + std::string(50, ' ')), 7.0);
  EXPECT_EQ(real_text_extent(" -1.5e+3x", 9), 8u);
  EXPECT_EQ(real_text_extent("1e+", 3), 1u);
  EXPECT_EQ(real_text_extent("-", 1), 0u);
}

TEST(number_text_test, real_to_integer_closeness_rule) {
  EXPECT_EQ(real_to_integer(2.9999999999999996), 3);
  EXPECT_EQ(real_to_integer(-2.9999999999999996), -3);
  EXPECT_EQ(real_to_integer(2.5), 2);
  EXPECT_EQ(real_to_integer(-2.5), -2);
  EXPECT_EQ(real_to_integer(2.999), 2);
  EXPECT_EQ(real_to_integer(0.0), 0);
  EXPECT_EQ(real_to_integer(1e20), 2147483647);
  EXPECT_EQ(real_to_integer(-1e20), -2147483647 - 1);
  EXPECT_EQ(real_to_integer(std::nan("")), 0);
}

TEST(number_text_test, remainder_with_zero_divisor_is_zero) {
  EXPECT_EQ(real_remainder(7.5, 2.0), 1.5);
  EXPECT_EQ(real_remainder(-7.5, 2.0), -1.5);
  EXPECT_EQ(real_remainder(7.5, 0.0), 0.0);
}

TEST(number_text_test, clear_numeric_by_fill_code) {
  uint8_t b = 9;
  EXPECT_TRUE(clear_numeric(&b, TYPE_BYTE, kFillHighest));
  EXPECT_EQ(b, 255);
  int32_t l = 9;
  EXPECT_TRUE(clear_numeric(&l, TYPE_LONG, kFillLowest));
  EXPECT_EQ(l, -2147483647 - 1);
  EXPECT_TRUE(clear_numeric(&l, TYPE_LONG, kFillOrdinary));
  EXPECT_EQ(l, 0);
  uint16_t us = 9;
  EXPECT_TRUE(clear_numeric(&us, TYPE_USHORT, kFillLowest));
  EXPECT_EQ(us, 0);
  double r = 0;
  EXPECT_TRUE(clear_numeric(&r, TYPE_REAL, kFillLowest));
  EXPECT_EQ(r, -1.7976931348623101e308);
  EXPECT_LT(-r, std::numeric_limits<double>::max());
  float f = 0;
  EXPECT_TRUE(clear_numeric(&f, TYPE_SREAL, kFillHighest));
  EXPECT_EQ(f, std::numeric_limits<float>::max());
  uint8_t guard[3] = {7, 7, 7};
  EXPECT_FALSE(clear_numeric(guard, TYPE_STRING, kFillHighest));
  EXPECT_EQ(guard[0], 7);
}

}  // namespace
