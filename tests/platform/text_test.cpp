#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace plat;

namespace {

unsigned char to_oem(unsigned char c) {
  char in = static_cast<char>(c), out = 0;
  CharToOemBuffA(&in, &out, 1);
  return static_cast<unsigned char>(out);
}

unsigned char to_ansi(unsigned char c) {
  char in = static_cast<char>(c), out = 0;
  OemToCharBuffA(&in, &out, 1);
  return static_cast<unsigned char>(out);
}

unsigned char upper(unsigned char c) {
  return static_cast<unsigned char>(
      reinterpret_cast<uintptr_t>(CharUpperA(reinterpret_cast<LPSTR>(uintptr_t{c}))));
}

unsigned char lower(unsigned char c) {
  return static_cast<unsigned char>(
      reinterpret_cast<uintptr_t>(CharLowerA(reinterpret_cast<LPSTR>(uintptr_t{c}))));
}

int compare(const char* a, const char* b) {
  return lstrcmpA(a, b);
}

}  // namespace

TEST(text_test, ansi_and_oem_convert_the_letters_both_ways) {
  EXPECT_EQ(to_oem(0xE9), 0x82);  // é
  EXPECT_EQ(to_oem(0xC7), 0x80);  // Ç
  EXPECT_EQ(to_oem(0xFC), 0x81);  // ü
  EXPECT_EQ(to_oem(0xA3), 0x9C);  // £
  EXPECT_EQ(to_oem(0xDF), 0xE1);  // ß
  EXPECT_EQ(to_oem('A'), 'A');
  EXPECT_EQ(to_ansi(0x82), 0xE9);
  EXPECT_EQ(to_ansi(0x9C), 0xA3);
  EXPECT_EQ(to_ansi(0xE1), 0xDF);
  EXPECT_EQ(to_ansi(0xFF), 0xA0);  // no-break space
  // Every letter that both code pages hold comes back unchanged.
  for (unsigned c = 0xC0; c <= 0xFF; ++c) {
    unsigned char oem = to_oem(static_cast<unsigned char>(c));
    if (oem >= 0x80) {
      EXPECT_EQ(to_ansi(oem), c) << std::hex << c;
    }
  }
}

TEST(text_test, characters_missing_in_oem_take_a_look_alike) {
  EXPECT_EQ(to_oem(0xC0), 'A');   // À
  EXPECT_EQ(to_oem(0xF5), 'o');   // õ
  EXPECT_EQ(to_oem(0x9C), 'o');   // œ
  EXPECT_EQ(to_oem(0x93), '"');   // left double quote
  EXPECT_EQ(to_oem(0xA7), 0x15);  // section sign
  EXPECT_EQ(to_oem(0x81), '?');   // undefined in 1252
  EXPECT_EQ(to_ansi(0xC4), '-');  // box drawing
  EXPECT_EQ(to_ansi(0xDA), '+');
}

TEST(text_test, text_forms_convert_to_the_terminating_nul_in_place) {
  char text[] = "caf\xE9";
  ASSERT_TRUE(CharToOemA(text, text));
  EXPECT_STREQ(text, "caf\x82");
  ASSERT_TRUE(OemToCharA(text, text));
  EXPECT_STREQ(text, "caf\xE9");
}

TEST(text_test, case_follows_the_1252_pairs) {
  EXPECT_EQ(upper(0xE9), 0xC9);  // é É
  EXPECT_EQ(upper(0x9C), 0x8C);  // œ Œ
  EXPECT_EQ(upper(0x9A), 0x8A);  // š Š
  EXPECT_EQ(upper(0xFF), 0x9F);  // ÿ Ÿ
  EXPECT_EQ(upper(0xDF), 0xDF);  // ß has no capital
  EXPECT_EQ(upper(0xF7), 0xF7);  // ÷ is no letter
  EXPECT_EQ(lower(0x8C), 0x9C);
  EXPECT_EQ(lower(0xD7), 0xD7);  // ×
  char text[] =
      "Stra\xDF"
      "e \xE9t\xE9";
  EXPECT_EQ(CharUpperA(text), text);
  EXPECT_STREQ(text,
               "STRA\xDF"
               "E \xC9T\xC9");
  EXPECT_EQ(CharLowerBuffA(text, 4), 4u);
  EXPECT_STREQ(text,
               "stra\xDF"
               "E \xC9T\xC9");
}

TEST(text_test, character_classes_follow_1252) {
  EXPECT_TRUE(IsCharAlphaA('\xE9'));
  EXPECT_TRUE(IsCharLowerA('\xE9'));
  EXPECT_TRUE(IsCharUpperA('\xC9'));
  EXPECT_TRUE(IsCharLowerA('\xDF'));
  EXPECT_FALSE(IsCharUpperA('\xDF'));
  EXPECT_TRUE(IsCharAlphaA('\xAA'));  // ª: a letter without case
  EXPECT_FALSE(IsCharLowerA('\xAA'));
  EXPECT_FALSE(IsCharAlphaA('\xD7'));
  EXPECT_FALSE(IsCharAlphaA('1'));
  EXPECT_TRUE(IsCharAlphaNumericA('1'));
  EXPECT_FALSE(IsCharAlphaNumericA('-'));
}

TEST(text_test, comparison_puts_punctuation_then_digits_then_letters_lower_case_first) {
  EXPECT_LT(compare("!", "0"), 0);
  EXPECT_LT(compare("9", "a"), 0);
  EXPECT_LT(compare("a", "A"), 0);
  EXPECT_LT(compare("A", "b"), 0);            // case weighs only after the letters
  EXPECT_LT(compare("a", "\xE1"), 0);         // a before á
  EXPECT_LT(compare("\xE1", "b"), 0);         // á before b
  EXPECT_LT(compare("ETE", "\xE9t\xE9"), 0);  // accents weigh before case
  EXPECT_LT(compare("coop", "co-op"), 0);     // the hyphen weighs last
  EXPECT_LT(compare("co-op", "cop"), 0);
  EXPECT_EQ(compare("abc", "abc"), 0);
  EXPECT_LT(compare("ab", "abc"), 0);
  EXPECT_EQ(lstrcmpiA("Stra\xDF"
                      "e",
                      "STRA\xDF"
                      "E"),
            0);
  EXPECT_LT(compare(nullptr, "a"), 0);
  EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(text_test, one_character_comparison_orders_every_ansi_byte) {
  std::vector<int> bytes;
  for (int c = 1; c < 255; ++c) bytes.push_back(c);
  std::stable_sort(bytes.begin(), bytes.end(), [](int a, int b) {
    char x[2] = {char(a), 0}, y[2] = {char(b), 0};
    return lstrcmpA(x, y) < 0;
  });
  auto position = [&](int c) { return std::find(bytes.begin(), bytes.end(), c) - bytes.begin(); };
  EXPECT_LT(position(' '), position('!'));
  EXPECT_LT(position('0'), position('1'));
  EXPECT_LT(position('z'), position(0xB5));  // µ after the letters
  EXPECT_LT(position('e'), position('E'));
  EXPECT_LT(position('E'), position(0xE9));
  EXPECT_LT(position(0xE9), position(0xC9));
  EXPECT_LT(position(0xC9), position('f'));
  EXPECT_LT(position('o'), position(0x9C));  // œ after the o's
  EXPECT_LT(position(0x9C), position('p'));
}

TEST(text_test, mul_div_rounds_half_away_from_zero_and_flags_overflow) {
  EXPECT_EQ(MulDiv(10, 3, 4), 8);  // 7.5
  EXPECT_EQ(MulDiv(-10, 3, 4), -8);
  EXPECT_EQ(MulDiv(10, 3, -4), -8);
  EXPECT_EQ(MulDiv(7, 1, 3), 2);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);  // does not fit 32 bits
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);  // 64-bit middle
}
