#include "evaluator/regex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// -1 when the pattern does not compile, else 1 for a match and 0 for none.
int search(const std::string& pattern, const std::string& value, bool ignore_case = false) {
  eval::regex_program program;
  if (!program.compile(pattern.data(), pattern.size(), ignore_case)) return -1;
  return program.search(value.data(), value.size()) ? 1 : 0;
}

TEST(regex_test, literal_matches_anywhere_unless_anchored) {
  EXPECT_EQ(search("bc", "abcd"), 1);
  EXPECT_EQ(search("^bc", "abcd"), 0);
  EXPECT_EQ(search("^ab", "abcd"), 1);
  EXPECT_EQ(search("cd$", "abcd"), 1);
  EXPECT_EQ(search("bc$", "abcd"), 0);
  EXPECT_EQ(search("^abcd$", "abcd"), 1);
  EXPECT_EQ(search("^$", ""), 1);
  EXPECT_EQ(search("", "anything"), 1);
  EXPECT_EQ(search("x", ""), 0);
}

TEST(regex_test, any_byte_and_classes) {
  EXPECT_EQ(search("a.c", "abc"), 1);
  EXPECT_EQ(search("a.c", "ac"), 0);
  EXPECT_EQ(search("^[a-c]+$", "abccba"), 1);
  EXPECT_EQ(search("^[a-c]+$", "abcd"), 0);
  EXPECT_EQ(search("^[^0-9]*$", "abc"), 1);
  EXPECT_EQ(search("^[^0-9]*$", "ab1"), 0);
  EXPECT_EQ(search("[]x]", "]"), 1);
  EXPECT_EQ(search("[a-]", "-"), 1);
  EXPECT_EQ(search("[\\]]", "]"), 1);
  EXPECT_EQ(search("^[\\d.]+$", "12.5"), 1);
  EXPECT_EQ(search("\\d\\s\\w", "1 x"), 1);
  EXPECT_EQ(search("^\\D+$", "a1"), 0);
  EXPECT_EQ(search("^\\S\\W$", "a!"), 1);
  EXPECT_EQ(search("^[\\d-z]+$", "1-z"), 1);  // a named class is no range bound: '-' is literal
}

TEST(regex_test, repetition_forms) {
  EXPECT_EQ(search("^ab?c$", "ac"), 1);
  EXPECT_EQ(search("^ab?c$", "abbc"), 0);
  EXPECT_EQ(search("^ab*c$", "abbbc"), 1);
  EXPECT_EQ(search("^ab+c$", "ac"), 0);
  EXPECT_EQ(search("^ab{2,3}c$", "abc"), 0);
  EXPECT_EQ(search("^ab{2,3}c$", "abbc"), 1);
  EXPECT_EQ(search("^ab{2,3}c$", "abbbc"), 1);
  EXPECT_EQ(search("^ab{2,3}c$", "abbbbc"), 0);
  EXPECT_EQ(search("^ab{2}c$", "abbc"), 1);
  EXPECT_EQ(search("^ab{2,}c$", "abbbbbbc"), 1);
  EXPECT_EQ(search("^ab{0}c$", "ac"), 1);
}

TEST(regex_test, alternation_splits_the_whole_pattern) {
  EXPECT_EQ(search("^cat|dog$", "cats"), 1);
  EXPECT_EQ(search("^cat|dog$", "hotdog"), 1);
  EXPECT_EQ(search("^cat|dog$", "hotdogs"), 0);
  EXPECT_EQ(search("a||b", "zzz"), 1);  // an empty alternative matches
}

TEST(regex_test, escapes_and_ordinary_parentheses) {
  EXPECT_EQ(search("a\\.b", "a.b"), 1);
  EXPECT_EQ(search("a\\.b", "axb"), 0);
  EXPECT_EQ(search("\\*", "*"), 1);
  EXPECT_EQ(search("(a)", "(a)"), 1);
  EXPECT_EQ(search("(a)", "a"), 0);
  EXPECT_EQ(search("a}", "a}"), 1);
}

TEST(regex_test, malformed_patterns_do_not_compile) {
  for (const char* bad :
       {"*a", "a**", "a+?", "[abc", "a\\", "a{2", "a{3,2}", "a{x}", "a{256}", "^*", "[z-a]", "|+"})
    EXPECT_EQ(search(bad, "a"), -1) << bad;
}

TEST(regex_test, case_flag_folds_literals_and_classes) {
  EXPECT_EQ(search("^abc$", "ABC", true), 1);
  EXPECT_EQ(search("^[a-c]+$", "CbA", true), 1);
  EXPECT_EQ(search("^[^a]$", "A", true), 0);
  EXPECT_EQ(search("^[^a]$", "A", false), 1);
  EXPECT_EQ(search("^abc$", "ABC", false), 0);
}

TEST(regex_test, nested_optional_repeats_stay_linear) {
  // The classic pattern that makes backtracking engines take 2^n steps.
  std::string pattern, value(30, 'a');
  for (int i = 0; i < 30; ++i) pattern += "a?";
  for (int i = 0; i < 30; ++i) pattern += "a";
  EXPECT_EQ(search("^" + pattern + "$", value), 1);
  EXPECT_EQ(search("^" + pattern + "$", value + "b"), 0);
  EXPECT_EQ(search(".*.*.*.*.*.*.*.*x", std::string(5000, 'y')), 0);
}

TEST(regex_test, program_size_is_bounded) {
  std::string big;
  for (int i = 0; i < 100; ++i) big += "a{0,255}";
  EXPECT_EQ(search(big, "a"), -1);
}

TEST(regex_test, value_bytes_past_a_nul_are_seen) {
  std::string value("a\0b", 3);
  EXPECT_EQ(search("a.b", value), 1);
}

}  // namespace
