#include "runtime/decimal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace rt;

class decimal_test : public testing::Test {
 protected:
  void SetUp() override { decimal_accumulator().reset(); }
  void TearDown() override { decimal_accumulator().reset(); }

  static std::string text(const Decimal& d) {
    char out[80];
    return std::string(out, decimal_to_text(d, out));
  }
  static std::string parse(const char* s) {
    return text(decimal_from_text(s, static_cast<uint32_t>(std::strlen(s))));
  }
  static std::string top_text() { return text(decimal_accumulator().top()); }
};

TEST_F(decimal_test, text_to_decimal_rules) {
  EXPECT_EQ(parse("  -12,5"), "-12.5");
  EXPECT_EQ(parse("1.5e2"), "150");
  EXPECT_EQ(parse("+3"), "0");
  EXPECT_EQ(parse("12abc"), "12");
  EXPECT_EQ(parse(""), "0");
  EXPECT_EQ(parse("-"), "0");
  EXPECT_EQ(parse("2.5E-1"), "0.25");
  EXPECT_EQ(parse("007.50"), "7.5");
}

TEST_F(decimal_test, zero_is_canonical) {
  Decimal z = decimal_from_text("-0.000", 6);
  EXPECT_EQ(z.sign, 0);
  EXPECT_EQ(z.low, 32);
  EXPECT_EQ(z.high, 32);
  EXPECT_TRUE(decimal_is_zero(z));
}

TEST_F(decimal_test, text_reads_at_most_99_bytes_and_drops_far_digits) {
  std::string long_text = "1" + std::string(98, '0') + "5";
  Decimal d = decimal_from_text(long_text.data(), static_cast<uint32_t>(long_text.size()));
  // 99 digits read, only the lowest 32 integer places held: all zeros.
  EXPECT_TRUE(decimal_is_zero(d));
  std::string fraction = "0." + std::string(40, '0') + "1";
  EXPECT_EQ(parse(fraction.c_str()), "0");
  EXPECT_EQ(parse("1e-32"), "0." + std::string(31, '0') + "1");
  EXPECT_EQ(parse("1e-33"), "0");
  EXPECT_EQ(parse("1e999999999999"), "0");
}

TEST_F(decimal_test, power_cases) {
  auto& acc = decimal_accumulator();
  acc.push_integer(16);
  acc.power(3);
  EXPECT_EQ(acc.pop_integer(), 4096);
  acc.push_integer(16);
  acc.power(-2);
  EXPECT_EQ(top_text(), "0.00390625");
  acc.pop();
  acc.push_integer(0);
  acc.power(0);
  EXPECT_EQ(acc.pop_integer(), 1);
  acc.push_integer(-2);
  acc.power(3);
  EXPECT_EQ(acc.pop_integer(), -8);
  acc.push_integer(-2);
  acc.power(2);
  EXPECT_EQ(acc.pop_integer(), 4);
}

TEST_F(decimal_test, division_rounds_half_up_at_31st_place) {
  auto& acc = decimal_accumulator();
  acc.push_integer(7);
  acc.push_integer(0);
  acc.divide();
  EXPECT_EQ(top_text(), "0");
  acc.pop();
  acc.push_integer(1);
  acc.push_integer(3);
  acc.divide();
  EXPECT_EQ(top_text(), "0." + std::string(31, '3'));
  acc.pop();
  acc.push_integer(2);
  acc.push_integer(3);
  acc.divide();
  EXPECT_EQ(top_text(), "0." + std::string(30, '6') + "7");
  acc.pop();
  acc.push_integer(-1);
  acc.push_integer(8);
  acc.divide();
  EXPECT_EQ(top_text(), "-0.125");
  acc.pop();
  // A dropped digit of exactly 5 rounds up.
  acc.push_text(("0." + std::string(30, '0') + "3").c_str());
  acc.push_integer(2);
  acc.divide();
  EXPECT_EQ(top_text(), "0." + std::string(30, '0') + "2");
  acc.pop();
  // The carry runs upward through nines.
  acc.push_text("0.99999999999999999999999999999999");
  acc.push_integer(1);
  acc.divide();
  EXPECT_EQ(top_text(), "1");
}

TEST_F(decimal_test, division_of_large_values_keeps_integer_digits) {
  auto& acc = decimal_accumulator();
  acc.push_text("123456789012345678901234567890");
  acc.push_integer(10);
  acc.divide();
  EXPECT_EQ(top_text(), "12345678901234567890123456789");
  acc.pop();
  acc.push_integer(255);
  acc.push_integer(16);
  acc.divide();
  EXPECT_EQ(acc.pop_integer(), 15);
}

TEST_F(decimal_test, reverse_divide_swap_and_duplicate) {
  auto& acc = decimal_accumulator();
  acc.push_integer(4);
  acc.push_integer(2);
  acc.reverse_divide();
  EXPECT_EQ(top_text(), "0.5");
  acc.pop();
  acc.push_integer(1);
  acc.push_integer(2);
  acc.swap();
  EXPECT_EQ(acc.pop_integer(), 1);
  acc.duplicate();
  acc.multiply();
  EXPECT_EQ(acc.pop_integer(), 4);
  EXPECT_EQ(acc.depth(), 0u);
}

TEST_F(decimal_test, multiplication_drops_digits_out_of_range) {
  auto& acc = decimal_accumulator();
  acc.push_text("0.5");
  acc.push_text("-0.25");
  acc.multiply();
  EXPECT_EQ(top_text(), "-0.125");
  acc.pop();
  acc.push_text("1e-20");
  acc.push_text("1e-20");
  acc.multiply();
  EXPECT_EQ(top_text(), "0");
  acc.pop();
  acc.push_text("1e20");
  acc.push_text("1e20");
  acc.multiply();
  EXPECT_EQ(top_text(), "0");  // 10^40 leaves only zero digits in range
}

TEST_F(decimal_test, pop_integer_cuts_toward_zero_and_wraps) {
  auto& acc = decimal_accumulator();
  acc.push_text("12.9");
  EXPECT_EQ(acc.pop_integer(), 12);
  acc.push_text("-12.9");
  EXPECT_EQ(acc.pop_integer(), -12);
  acc.push_text("4294967297");
  EXPECT_EQ(acc.pop_integer(), 1);
  acc.push_unsigned(4294967295u);
  EXPECT_EQ(acc.pop_integer(), -1);
  acc.push_integer(-2147483647 - 1);
  EXPECT_EQ(acc.pop_integer(), -2147483647 - 1);
}

TEST_F(decimal_test, real_round_trips) {
  auto& acc = decimal_accumulator();
  acc.push_text("0.1");
  EXPECT_EQ(acc.pop_real(), 0.1);
  acc.push_real(0.1);
  EXPECT_EQ(top_text(), "0.1");
  EXPECT_EQ(acc.pop_real(), 0.1);
  acc.push_real(-1234.5678);
  EXPECT_EQ(top_text(), "-1234.5678");
  acc.pop();
  acc.push_real(1e40);
  EXPECT_EQ(top_text(), "0");
  acc.pop();
  acc.push_text("12345678901234567890");
  EXPECT_EQ(acc.pop_real(), 12345678901234560000.0);  // 16 digits gathered
}

TEST_F(decimal_test, accumulator_ignores_overflow_and_underflow_of_its_stack) {
  auto& acc = decimal_accumulator();
  for (int i = 0; i < 11; ++i) acc.push_integer(i);
  EXPECT_EQ(acc.depth(), 10u);
  EXPECT_EQ(acc.pop_integer(), 9);
  acc.reset();
  EXPECT_EQ(acc.pop_integer(), 0);
  acc.divide();
  acc.multiply();
  acc.swap();
  EXPECT_EQ(acc.depth(), 0u);
}

}  // namespace
