#include "mime/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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

// The check's verdict and line for a text put in the given pieces.
std::pair<bool, size_t> checked(const std::vector<std::string>& pieces) {
  mime::Utf8Check check;
  bool ok = true;
  for (const std::string& piece : pieces) ok = check.feed(piece) && ok;
  ok = check.finish() && ok;
  return {ok, check.line()};
}

TEST(utf8_test, a_text_in_pieces_is_checked_line_by_line) {
  const struct {
    const char* name;
    std::vector<std::string> pieces;
    bool ok;
    size_t line;  // of the fault, or the last line
  } cases[] = {
      {"empty", {}, true, 1},
      {"lines", {"a\nb\n", "c"}, true, 3},
      {"character cut by a piece", {"a\n\xE4", "\xB8", "\xAD\n"}, true, 3},
      {"four bytes over four pieces", {"\xF0", "\x9F", "\x98", "\x80"}, true, 1},
      {"fault on line 2", {"ok\ncaf\xE9\n", "more\n"}, false, 2},
      {"cut character completed wrongly", {"x\n\xE4\xB8", "A\n"}, false, 2},
      {"line end inside a cut character", {"\xE4", "\nx"}, false, 1},
      {"ends inside a character", {"a\n\n\xE4\xB8"}, false, 3},
      {"stray continuation", {"\n\n\n\x80"}, false, 4},
      {"fault stays", {"\xFF", "\n\n"}, false, 1},
  };
  for (const auto& c : cases) {
    const auto [ok, line] = checked(c.pieces);
    EXPECT_EQ(ok, c.ok) << c.name;
    EXPECT_EQ(line, c.line) << c.name;
  }
}

// Wherever a text is cut in two, the check agrees with the whole text's.
TEST(utf8_test, every_cut_gives_the_verdict_of_the_whole) {
  const std::string texts[] = {"Gr\xC3\xBC\xC3\x9F" "e\n\xE4\xB8\xAD\xF0\x9F\x98\x80\n",
                               "ab\n\xE0\x80\xAF\n", "\xED\xA0\x80", "x\n\xF4\x90\x80\x80"};
  for (const std::string& text : texts) {
    const bool whole_ok = mime::first_invalid_utf8(text) == std::string_view::npos;
    const size_t fault = whole_ok ? text.size() : mime::first_invalid_utf8(text);
    const size_t line = 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + fault, '\n'));
    for (size_t cut = 0; cut <= text.size(); ++cut) {
      const auto got = checked({text.substr(0, cut), text.substr(cut)});
      EXPECT_EQ(got, std::make_pair(whole_ok, line)) << "cut at " << cut;
    }
  }
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
