#include "runtime/picture_format.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/date_time.h"
#include "runtime/string_stack.h"

namespace {

using namespace rt;

std::string format(const std::string& value, const char* picture) {
  char out[kFormatWidthMax];
  return std::string(out, format_text(value, compile_picture(picture), out));
}

std::string format_date(int32_t serial, const char* picture) {
  return format(std::to_string(serial), picture);
}

std::string deformat(const std::string& text, const char* picture) {
  char out[kFormatWidthMax];
  return std::string(out, deformat_text(text, compile_picture(picture), out, sizeof out));
}

// The serial of a whole second (00:00:00 is serial 1, not "no time").
int32_t time_of(int h, int m, int s = 0) { return h * 360000 + m * 6000 + s * 100 + 1; }

// Two-digit years are placed as in 2024.
class picture_format_test : public ::testing::Test {
 protected:
  void SetUp() override { date_clock().set_current_year(2024); }
  void TearDown() override { date_clock().reset(); }
};

TEST_F(picture_format_test, dates_through_the_standard_layouts) {
  const int32_t july5 = DATE(7, 5, 2024);
  EXPECT_EQ(format_date(july5, "@D1"), " 7/05/24");
  EXPECT_EQ(format_date(july5, "@D2"), " 7/05/2024");
  EXPECT_EQ(format_date(july5, "@D10"), "2024/07/05");
  EXPECT_EQ(format_date(july5, "@D3"), "JUL  5,2024");
  EXPECT_EQ(format_date(july5, "@D01"), "07/05/24");
  EXPECT_EQ(format_date(july5, "@D1-"), " 7-05-24");
  EXPECT_EQ(format_date(july5, "@D5"), " 5/07/24");
  EXPECT_EQ(format_date(july5, "@D7"), " 5 JUL 24");
  EXPECT_EQ(format_date(july5, "@D8"), " 5 JUL 2024");
  EXPECT_EQ(format_date(july5, "@D11"), "240705");
  EXPECT_EQ(format_date(july5, "@D12"), "20240705");
  EXPECT_EQ(format_date(july5, "@D13"), " 7/24");
  EXPECT_EQ(format_date(july5, "@D16"), "2024/07");
  EXPECT_EQ(format_date(DATE(1, 1, 2000), "@D1"), " 1/01/00");
  EXPECT_EQ(format_date(DATE(12, 25, 1999), "@D1"), "12/25/99");
}

TEST_F(picture_format_test, long_month_names_move_the_rest_left_and_keep_case) {
  EXPECT_EQ(format_date(DATE(7, 5, 2024), "@D4"), "July  5, 2024        ");
  EXPECT_EQ(format_date(DATE(9, 30, 2024), "@D4"), "September 30, 2024   ");
  EXPECT_EQ(format_date(DATE(5, 1, 2024), "@D3"), "MAY  1,2024");
}

TEST_F(picture_format_test, blank_and_invalid_dates) {
  EXPECT_EQ(format_date(0, "@D1B"), "        ");
  EXPECT_EQ(format_date(-1, "@D1B"), "        ");
  EXPECT_EQ(format_date(0, "@D1"), "  /  /  ");
  EXPECT_EQ(format_date(kLastDateSerial + 1, "@D3"), "      ,    ");
  EXPECT_EQ(format("not a number", "@D1"), "  /  /  ");
  EXPECT_EQ(format(" 72687 ", "@D10"), "2000/01/01");
}

TEST_F(picture_format_test, times_with_and_without_am_pm) {
  EXPECT_EQ(format_date(time_of(13, 5), "@T3"), " 1:05PM");
  EXPECT_EQ(format_date(time_of(0, 30), "@T3"), "12:30AM");
  EXPECT_EQ(format_date(time_of(12, 0), "@T3"), "12:00PM");
  EXPECT_EQ(format_date(time_of(11, 59, 59), "@T6"), "11:59:59AM");
  EXPECT_EQ(format_date(time_of(13, 5), "@T1"), "13:05");
  EXPECT_EQ(format_date(time_of(9, 5, 7), "@T4"), " 9:05:07");
  EXPECT_EQ(format_date(time_of(9, 5, 7), "@T05"), "090507");
  EXPECT_EQ(format_date(time_of(9, 5), "@T2"), " 905");
  EXPECT_EQ(format_date(0, "@T1B"), "     ");
  EXPECT_EQ(format_date(0, "@T3"), "  :    ");
}

TEST_F(picture_format_test, system_time_layouts_use_the_profile_am_pm) {
  const std::string shown = format_date(time_of(13, 5), "@T7");
  ASSERT_EQ(shown.size(), locale().short_time_layout().count);
  if (locale().intl().time_format == 0) {
    EXPECT_NE(shown.find(locale().intl().s2359), std::string::npos) << shown;
  }
  EXPECT_EQ(deformat(shown, "@T7"), std::to_string(time_of(13, 5)));
  const std::string long_shown = format_date(time_of(13, 5, 9), "@T8");
  EXPECT_EQ(deformat(long_shown, "@T8"), std::to_string(time_of(13, 5, 9)));
}

TEST_F(picture_format_test, system_date_layouts_round_trip) {
  for (const char* picture : {"@D17", "@D18"}) {
    const int32_t serial = DATE(7, 5, 2024);
    EXPECT_EQ(deformat(format_date(serial, picture), picture), std::to_string(serial)) << picture;
  }
}

TEST_F(picture_format_test, string_pictures_copy_into_their_width) {
  EXPECT_EQ(format("abcdefg", "@S5"), "abcde");
  EXPECT_EQ(format("ab", "@S5"), "ab   ");
  EXPECT_EQ(format("", "@S3"), "   ");
  EXPECT_EQ(format("x", ""), "x" + std::string(254, ' '));
  EXPECT_EQ(format("x", "@D99"), "");
}

TEST_F(picture_format_test, deformat_reads_dates_back) {
  const std::string july5 = std::to_string(DATE(7, 5, 2024));
  EXPECT_EQ(deformat(" 7/05/24", "@D1"), july5);
  EXPECT_EQ(deformat("7/5/24", "@D1"), july5);  // fewer digits than the picture
  EXPECT_EQ(deformat("7/5/2024", "@D2"), july5);
  EXPECT_EQ(deformat("JUL  5,2024", "@D3"), july5);
  EXPECT_EQ(deformat("jul 5,2024", "@D3"), july5);
  EXPECT_EQ(deformat("July 5, 2024", "@D4"), july5);
  EXPECT_EQ(deformat("2024/07/05", "@D10"), july5);
  EXPECT_EQ(deformat(" 7/24", "@D13"), std::to_string(DATE(7, 1, 2024)));
  EXPECT_EQ(deformat("  /  /  ", "@D1"), "0");
  EXPECT_EQ(deformat("", "@D1"), "0");
  EXPECT_EQ(deformat("13/45/24", "@D1"), std::to_string(DATE(13, 45, 2024)));
  EXPECT_EQ(deformat("XYZ  5,2024", "@D3"), "0");
}

TEST_F(picture_format_test, deformat_completes_two_digit_years_with_the_picture_window) {
  EXPECT_EQ(deformat(" 7/05/44", "@D1"), std::to_string(DATE(7, 5, 2044)));
  EXPECT_EQ(deformat(" 7/05/45", "@D1"), std::to_string(DATE(7, 5, 1945)));
  EXPECT_EQ(deformat(" 7/05/45", "@D1<10"), std::to_string(DATE(7, 5, 2045)));
  EXPECT_EQ(deformat(" 7/05/30", "@D1>5"), std::to_string(DATE(7, 5, 2030)));
  EXPECT_EQ(deformat(" 7/05/31", "@D1>5"), std::to_string(DATE(7, 5, 1931)));
}

TEST_F(picture_format_test, deformat_reads_times_back) {
  EXPECT_EQ(deformat(" 1:05PM", "@T3"), std::to_string(time_of(13, 5)));
  EXPECT_EQ(deformat("12:30AM", "@T3"), std::to_string(time_of(0, 30)));
  EXPECT_EQ(deformat("12:30PM", "@T3"), std::to_string(time_of(12, 30)));
  EXPECT_EQ(deformat("12:00AM", "@T3"), "1");
  EXPECT_EQ(deformat("13:05", "@T1"), std::to_string(time_of(13, 5)));
  EXPECT_EQ(deformat("9:05:07", "@T4"), std::to_string(time_of(9, 5, 7)));
  EXPECT_EQ(deformat("00:00", "@T1"), "0");
  EXPECT_EQ(deformat("24:00", "@T1"), "-1");
  EXPECT_EQ(deformat("10:60", "@T1"), "-1");
}

TEST_F(picture_format_test, deformat_string_picture_keeps_number_characters) {
  EXPECT_EQ(deformat("-1.5e+3x.2", "@S10"), "-1.5e+32");
  EXPECT_EQ(deformat("$ 1,234.50", "@S10"), "1234.50");
  EXPECT_EQ(deformat("1-2", "@S10"), "12");
  EXPECT_EQ(deformat("abc", "@D99"), "");
}

// FORMAT then DEFORMAT gives the serial back for every layout that shows the
// day, the month and a four-digit year, with every fill mark and separator.
TEST_F(picture_format_test, format_then_deformat_round_trips) {
  const char* pictures[] = {"@D2",  "@D3",   "@D4",  "@D6",  "@D8",   "@D10",  "@D12",
                            "@D02", "@D_3",  "@D*4", "@D6-", "@D8.",  "@D10_", "@D02`",
                            "@D2B", "@D06v", "@D*2", "@D3-", "@D4_",  "@D12<5"};
  for (const char* picture : pictures) {
    for (int32_t serial = kFirstDateSerial; serial <= kLastDateSerial; serial += 997) {
      const std::string shown = format_date(serial, picture);
      ASSERT_EQ(deformat(shown, picture), std::to_string(serial)) << picture << " '" << shown << "'";
    }
  }
}

TEST_F(picture_format_test, format_and_deformat_on_the_string_stack) {
  StringStack& stack = string_stack();
  stack.reset();
  const std::string serial = std::to_string(DATE(7, 5, 2024));
  stack.push_borrowed(serial.data(), static_cast<uint32_t>(serial.size()));
  stack.push_borrowed("@D1", 3);
  FORMAT();
  ASSERT_EQ(stack.depth(), 1u);
  EXPECT_EQ(std::string(stack.peek().text, stack.peek().length), " 7/05/24");
  stack.push_borrowed("@D1", 3);
  DEFORMAT();
  ASSERT_EQ(stack.depth(), 1u);
  EXPECT_EQ(std::string(stack.peek().text, stack.peek().length), serial);
  stack.reset();

  const std::string long_text = "1" + std::string(1000, 'x') + "2";
  stack.push_borrowed(long_text.data(), static_cast<uint32_t>(long_text.size()));
  stack.push_borrowed("@S10", 4);
  DEFORMAT();
  ASSERT_EQ(stack.depth(), 1u);
  EXPECT_EQ(std::string(stack.peek().text, stack.peek().length), "12");
  stack.reset();
}

}  // namespace
