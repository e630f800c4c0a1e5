#include "runtime/picture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace rt;

// The picture's tokens written back as a form: each code as a letter, each
// literal as itself (M month, D day, Y year, N month letter, H hour, I minute,
// S second, P AM/PM, '_' a space token).
std::string form_of(const CompiledPicture& p) {
  std::string form;
  for (uint32_t i = 0; i < p.count(); ++i) {
    switch (p.tokens[i].code) {
      case LAYOUT_MONTH_DIGIT: form += 'M'; break;
      case LAYOUT_DAY_DIGIT: form += 'D'; break;
      case LAYOUT_YEAR_DIGIT: form += 'Y'; break;
      case LAYOUT_MONTH_LETTER: form += 'N'; break;
      case LAYOUT_HOUR_DIGIT: form += 'H'; break;
      case LAYOUT_MINUTE_DIGIT: form += 'I'; break;
      case LAYOUT_SECOND_DIGIT: form += 'S'; break;
      case LAYOUT_AMPM: form += 'P'; break;
      case LAYOUT_SPACE: form += '_'; break;
      default: form += p.tokens[i].ch; break;
    }
  }
  return form;
}

std::string fills_of(const CompiledPicture& p) {
  std::string fills;
  for (uint32_t i = 0; i < p.count(); ++i) fills += p.tokens[i].ch;
  return fills;
}

TEST(picture_test, header_word_holds_kind_blank_flag_and_count) {
  const CompiledPicture date = compile_picture("@D2");
  EXPECT_EQ(date.header, 2 | (10 << 7));
  const CompiledPicture blank_time = compile_picture("@T3B");
  EXPECT_EQ(blank_time.header, 3 | 0x40 | (7 << 7));
  const CompiledPicture text = compile_picture("@s255b");
  EXPECT_EQ(text.header, 5 | 0x40 | (255 << 7));
  EXPECT_EQ(text.count(), 255u);
  EXPECT_TRUE(text.blank_when_zero());
}

TEST(picture_test, standard_date_layouts) {
  const char* expected[] = {
      "MM/DD/YY",   "MM/DD/YYYY",  "NNN_DD,YYYY", "NNNNNNNNNNNN_DD,_YYYY", "DD/MM/YY", "DD/MM/YYYY",
      "DD_NNN_YY",  "DD_NNN_YYYY", "YY/MM/DD",    "YYYY/MM/DD",            "YYMMDD",   "YYYYMMDD",
      "MM/YY",      "MM/YYYY",     "YY/MM",       "YYYY/MM",
  };
  for (int layout = 1; layout <= 16; ++layout) {
    const CompiledPicture p = compile_picture("@D" + std::to_string(layout));
    ASSERT_EQ(p.kind(), PictureKind::date) << layout;
    EXPECT_EQ(p.layout, layout);
    EXPECT_EQ(form_of(p), expected[layout - 1]) << layout;
  }
  // Upper-case letters of a form are space-filled, lower-case zero-filled.
  EXPECT_EQ(fills_of(compile_picture("D1")), " 0/00/00");
  EXPECT_EQ(fills_of(compile_picture("D3")), "     0,0000");
}

TEST(picture_test, standard_time_layouts) {
  const char* expected[] = {"HH:II", "HHII", "HH:IIPP", "HH:II:SS", "HHIISS", "HH:II:SSPP"};
  for (int layout = 1; layout <= 6; ++layout) {
    const CompiledPicture p = compile_picture("T" + std::to_string(layout));
    ASSERT_EQ(p.kind(), PictureKind::time) << layout;
    EXPECT_EQ(form_of(p), expected[layout - 1]) << layout;
  }
  EXPECT_EQ(fills_of(compile_picture("T1")), " 0:00");
}

TEST(picture_test, system_layouts_come_from_the_locale) {
  const SystemLayout& short_date = locale().short_date_layout();
  const CompiledPicture p = compile_picture("@D17");
  ASSERT_EQ(p.kind(), PictureKind::date);
  ASSERT_EQ(p.count(), short_date.count);
  for (uint32_t i = 0; i < p.count(); ++i) {
    EXPECT_EQ(p.tokens[i].code, short_date.tokens[i].code);
    EXPECT_EQ(p.tokens[i].ch, short_date.tokens[i].ch);
  }
  EXPECT_EQ(compile_picture("@D18").count(), locale().long_date_layout().count);
  EXPECT_EQ(compile_picture("@T7").count(), locale().short_time_layout().count);
  EXPECT_EQ(compile_picture("@T8").count(), locale().long_time_layout().count);
}

TEST(picture_test, separator_replaces_literals_but_not_month_spaces) {
  EXPECT_EQ(fills_of(compile_picture("D1-")), " 0-00-00");
  EXPECT_EQ(fills_of(compile_picture("D1.")), " 0.00.00");
  EXPECT_EQ(fills_of(compile_picture("D1_")), " 0 00 00");
  EXPECT_EQ(fills_of(compile_picture("D1`")), " 0,00,00");
  EXPECT_EQ(fills_of(compile_picture("D1v")), " 0000000");
  EXPECT_EQ(form_of(compile_picture("D3-")), "NNN_DD-YYYY");
  EXPECT_EQ(form_of(compile_picture("T4.")), "HH.II.SS");
}

TEST(picture_test, fill_mark_fills_every_digit_and_letter_position) {
  EXPECT_EQ(fills_of(compile_picture("D01")), "00/00/00");
  EXPECT_EQ(fills_of(compile_picture("D_1")), "  /  /  ");
  EXPECT_EQ(fills_of(compile_picture("D*3")), "*** **,****");
  EXPECT_EQ(fills_of(compile_picture("T01")), "00:00");
  // "0" before a layout number is a fill mark; "10" is layout 10.
  EXPECT_EQ(compile_picture("D10").layout, 10);
  EXPECT_EQ(compile_picture("D010").layout, 10);
  EXPECT_EQ(fills_of(compile_picture("D010")), "0000/00/00");
}

TEST(picture_test, century_window_marks) {
  EXPECT_EQ(compile_picture("D1").window, 80);
  EXPECT_EQ(compile_picture("D1<50").window, 50);
  EXPECT_EQ(compile_picture("D1<").window, 80);
  EXPECT_EQ(compile_picture("D1>10").window, 89);
  EXPECT_EQ(compile_picture("D1>").window, 19);
  const CompiledPicture p = compile_picture("@D06<30-B");
  EXPECT_EQ(p.window, 30);
  EXPECT_TRUE(p.blank_when_zero());
  EXPECT_EQ(fills_of(p), "00-00-0000");
}

TEST(picture_test, malformed_pictures_are_invalid) {
  const char* bad[] = {"D",    "D0",  "D19",  "D1x",  "D1--",  "D1<100", "T0",   "T9",
                       "T1<5", "S",   "S0",   "S256", "S12a",  "X12",    "D1000",
                       "B",    "@B",  "D+1",  "T-",   "S-1",   "D1<5>5"};
  for (const char* text : bad) {
    const CompiledPicture p = compile_picture(text);
    EXPECT_FALSE(p.valid()) << text;
    EXPECT_EQ(p.count(), 0u) << text;
  }
}

TEST(picture_test, empty_picture_is_a_full_string_picture) {
  const CompiledPicture p = compile_picture("");
  EXPECT_EQ(p.kind(), PictureKind::string);
  EXPECT_EQ(p.count(), 255u);
}

TEST(picture_test, over_long_picture_text_is_cut) {
  std::string text = "D1" + std::string(400, '-');
  EXPECT_FALSE(compile_picture(text).valid());
  std::string padded = "S10" + std::string(300, ' ');
  EXPECT_FALSE(compile_picture(padded).valid());
}

}  // namespace
