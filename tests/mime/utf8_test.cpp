#include "mime/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Utf8Case {
  const char* name;
  std::string bytes;
  char32_t code_point;  // of the first character
  uint32_t length;      // 0: not UTF-8
};

TEST(utf8_test, decodes_each_well_formed_shape_and_refuses_the_rest) {
  const Utf8Case cases[] = {
      {"ascii", "A", U'A', 1},
      {"two bytes", "\xC3\xA9", U'\u00E9', 2},
      {"three bytes", "\xE4\xB8\xAD", U'\u4E2D', 3},
      {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4},
      {"highest", "\xF4\x8F\xBF\xBF", U'\U0010FFFF', 4},
      {"stray continuation", "\x80", 0, 0},
      {"overlong two", "\xC0\xAF", 0, 0},
      {"overlong three", "\xE0\x80\xAF", 0, 0},
      {"surrogate", "\xED\xA0\x80", 0, 0},
      {"past U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
      {"cut off", "\xE4\xB8", 0, 0},
      {"bad continuation", "\xE4\x41\xAD", 0, 0},
      {"lead F5", "\xF5\x80\x80\x80", 0, 0},
  };
  for (const Utf8Case& c : cases) {
    const mime::Utf8Char got = mime::decode_utf8(c.bytes, 0);
    EXPECT_EQ(got.length, c.length) << c.name;
    if (c.length != 0) {
      EXPECT_EQ(got.code_point, c.code_point) << c.name;
    }
  }
}

TEST(utf8_test, first_invalid_names_the_offset) {
  EXPECT_EQ(mime::first_invalid_utf8("Gr\xC3\xBC\xC3\x9F" "e"), std::string_view::npos);
  EXPECT_EQ(mime::first_invalid_utf8("ab\xFF" "c"), 2u);
  EXPECT_EQ(mime::first_invalid_utf8("\xE4\xB8\xAD\xE4\xB8"), 3u);
}

TEST(utf8_test, code_points_are_appended_in_their_shortest_form) {
  const struct {
    char32_t code_point;
    const char* bytes;
  } cases[] = {
      {U'A', "A"},
      {U'\u007F', "\x7F"},
      {U'\u0080', "\xC2\x80"},
      {U'\u00E9', "\xC3\xA9"},
      {U'\u07FF', "\xDF\xBF"},
      {U'\u0800', "\xE0\xA0\x80"},
      {U'\u20AC', "\xE2\x82\xAC"},
      {U'\uFFFD', "\xEF\xBF\xBD"},
      {U'\U00010000', "\xF0\x90\x80\x80"},
      {U'\U0010FFFF', "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    mime::append_utf8(out, c.code_point);
    EXPECT_EQ(out, std::string("x") + c.bytes) << static_cast<uint32_t>(c.code_point);
  }
}

}  // namespace
