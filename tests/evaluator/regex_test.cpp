#include "evaluator/regex.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace {

// -1 when the pattern does not compile, else 1 for a match and 0 for none.
int search(const std::string& pattern, const std::string& value, bool ignore_case = false) {
  eval::regex_program program;
  if (!program.compile(pattern.data(), pattern.size(), ignore_case)) return -1;
  return program.search(value.data(), value.size()) ? 1 : 0;
}

// One search of a table: the pattern, the value searched and whether it matches.
struct SearchCase {
  const char* pattern;
  const char* value;
  bool matches;
};

constexpr bool ignoring_case = true;
constexpr bool keeping_case = false;

// Runs each search of the table; a failure names the pattern and the value.
void expect_searches(std::span<const SearchCase> cases, bool ignore_case = keeping_case) {
  for (const SearchCase& c : cases)
    EXPECT_EQ(search(c.pattern, c.value, ignore_case), c.matches ? 1 : 0)
        << "/" << c.pattern << "/ on \"" << c.value << '"';
}

TEST(regex_test, literal_matches_anywhere_unless_anchored) {
  const SearchCase searches[] = {
      {"bc", "abcd", true},  {"^bc", "abcd", false}, {"^ab", "abcd", true},
      {"cd$", "abcd", true}, {"bc$", "abcd", false}, {"^abcd$", "abcd", true},
      {"^$", "", true},      {"", "anything", true}, {"x", "", false},
  };
  expect_searches(searches);
}

TEST(regex_test, any_byte_and_classes) {
  const SearchCase searches[] = {
      {"a.c", "abc", true},        {"a.c", "ac", false},        {"^[a-c]+$", "abccba", true},
      {"^[a-c]+$", "abcd", false}, {"^[^0-9]*$", "abc", true},  {"^[^0-9]*$", "ab1", false},
      {"[]x]", "]", true},         {"[a-]", "-", true},         {"[\\]]", "]", true},
      {"^[\\d.]+$", "12.5", true}, {"\\d\\s\\w", "1 x", true},  {"^\\D+$", "a1", false},
      {"^\\S\\W$", "a!", true},    {"^[\\d-z]+$", "1-z", true},  // a named class is no range bound:
                                                                 // '-' is literal
  };
  expect_searches(searches);
}

TEST(regex_test, repetition_forms) {
  const SearchCase searches[] = {
      {"^ab?c$", "ac", true},        {"^ab?c$", "abbc", false},
      {"^ab*c$", "abbbc", true},     {"^ab+c$", "ac", false},
      {"^ab{2,3}c$", "abc", false},  {"^ab{2,3}c$", "abbc", true},
      {"^ab{2,3}c$", "abbbc", true}, {"^ab{2,3}c$", "abbbbc", false},
      {"^ab{2}c$", "abbc", true},    {"^ab{2,}c$", "abbbbbbc", true},
      {"^ab{0}c$", "ac", true},
  };
  expect_searches(searches);
}

TEST(regex_test, alternation_splits_the_whole_pattern) {
  const SearchCase searches[] = {
      {"^cat|dog$", "cats", true},
      {"^cat|dog$", "hotdog", true},
      {"^cat|dog$", "hotdogs", false},
      {"a||b", "zzz", true},  // an empty alternative matches
  };
  expect_searches(searches);
}

TEST(regex_test, escapes_and_ordinary_parentheses) {
  const SearchCase searches[] = {
      {"a\\.b", "a.b", true}, {"a\\.b", "axb", false}, {"\\*", "*", true},
      {"(a)", "(a)", true},   {"(a)", "a", false},     {"a}", "a}", true},
  };
  expect_searches(searches);
}

TEST(regex_test, malformed_patterns_do_not_compile) {
  for (const char* bad :
       {"*a", "a**", "a+?", "[abc", "a\\", "a{2", "a{3,2}", "a{x}", "a{256}", "^*", "[z-a]", "|+"})
    EXPECT_EQ(search(bad, "a"), -1) << bad;
}

TEST(regex_test, case_flag_folds_literals_and_classes) {
  const SearchCase folded[] = {
      {"^abc$", "ABC", true},
      {"^[a-c]+$", "CbA", true},
      {"^[^a]$", "A", false},
  };
  expect_searches(folded, ignoring_case);
  const SearchCase kept[] = {
      {"^[^a]$", "A", true},
      {"^abc$", "ABC", false},
  };
  expect_searches(kept, keeping_case);
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
