#include "evaluator/match.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "evaluator/regex.h"
#include "services/heap.h"

namespace {

std::int32_t match(const std::string& value, const std::string& pattern, std::int32_t mode) {
  return eval::match_texts(value.data(), value.size(), pattern.data(), pattern.size(), mode);
}

// The wildcard procedure exactly as the language defines it, written as the
// plain recursion: slow on many stars, but the meaning the fast walk must keep.
bool reference_full(const std::string& v, std::size_t vi, const std::string& p, std::size_t pi) {
  if (pi == p.size()) return vi == v.size();
  if (p[pi] == '?') return vi < v.size() && reference_full(v, vi + 1, p, pi + 1);
  if (p[pi] != '*') return vi < v.size() && v[vi] == p[pi] && reference_full(v, vi + 1, p, pi + 1);
  if (pi + 1 == p.size()) return true;
  for (std::size_t start = vi; start < v.size(); ++start)
    if (reference_full(v, start, p, pi + 1)) return true;
  return false;
}

bool reference_wildcard(const std::string& v, const std::string& p) {
  if (!p.empty() && p[0] == '*') {
    if (p.size() == 1) return true;
    std::size_t vi = v.size();
    std::size_t pi = p.size() - 1;
    for (; pi > 0; --pi) {
      if (p[pi] == '*') break;
      if (vi == 0) return false;
      --vi;
      if (p[pi] != '?' && p[pi] != v[vi]) return false;
    }
    if (pi == 0) return true;
  }
  return reference_full(v, 0, p, 0);
}

TEST(match_test, wildcard_cases_of_the_language) {
  EXPECT_EQ(match("abc", "a*c", 1), 1);
  EXPECT_EQ(match("abc", "a?c", 1), 1);
  EXPECT_EQ(match("abc", "a*b", 1), 0);
  EXPECT_EQ(match("abc", "*c", 1), 1);
  EXPECT_EQ(match("abc", "*b*c", 1), 1);
  EXPECT_EQ(match("a", "a*", 1), 1);
  EXPECT_EQ(match("a", "a**", 1), 0);
  EXPECT_EQ(match("ab", "a**", 1), 1);
  EXPECT_EQ(match("", "*", 1), 1);
  EXPECT_EQ(match("", "", 1), 1);
  EXPECT_EQ(match("", "**", 1), 0);
  EXPECT_EQ(match("ab", "**ab", 1), 1);
  EXPECT_EQ(match("abc", "abc?", 1), 0);
}

TEST(match_test, wildcard_case_flag_folds_through_upper_case) {
  EXPECT_EQ(match("ABC", "a?c", 1 | 16), 1);
  EXPECT_EQ(match("ABC", "a?c", 1), 0);
  EXPECT_EQ(match("xABC", "*b?", 1 | 16), 1);
}

TEST(match_test, wildcard_agrees_with_the_plain_recursion_on_random_texts) {
  std::mt19937 random(12345);
  const char value_bytes[] = "ab";
  const char pattern_bytes[] = "ab*?";
  for (int round = 0; round < 20000; ++round) {
    std::string v, p;
    for (int n = random() % 7; n > 0; --n) v += value_bytes[random() % 2];
    for (int n = random() % 7; n > 0; --n) p += pattern_bytes[random() % 4];
    ASSERT_EQ(match(v, p, 1), reference_wildcard(v, p) ? 1 : 0)
        << "value " << v << " pattern " << p;
  }
}

TEST(match_test, many_stars_do_not_explode) {
  std::string value(4000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "a*";
  pattern += "b";
  EXPECT_EQ(match(value, pattern, 1), 0);
  EXPECT_EQ(match(value + "b", pattern, 1), 1);
}

TEST(match_test, exact_compares_length_then_bytes) {
  EXPECT_EQ(match("abc", "abc", 0), 1);
  EXPECT_EQ(match("abc", "ab", 0), 0);
  EXPECT_EQ(match("abc", "ABC", 0), 0);
  EXPECT_EQ(match("abc", "ABC", 16), 1);
  EXPECT_EQ(match("", "", 0), 1);
  EXPECT_EQ(match("a*c", "abc", 0), 0);
}

TEST(match_test, sound_alike_codes_decide) {
  EXPECT_EQ(match("Robert", "Rupert", 3), 1);
  EXPECT_EQ(match("Robert", "Rubin", 3), 0);
  EXPECT_EQ(match("123", "4567", 3), 1);
  EXPECT_EQ(match("123", "A", 3), 0);
}

TEST(match_test, unknown_kinds_answer_zero) {
  for (int kind = 4; kind < 16; ++kind) {
    EXPECT_EQ(match("a", "a", kind), 0) << kind;
    EXPECT_EQ(match("a", "a", kind | 16), 0) << kind;
  }
  EXPECT_EQ(match("a", "a", 32), 1);  // bits above the case flag do not change the kind
}

TEST(match_test, regular_expressions_run_through_the_cache) {
  eval::regex_cache& cache = eval::the_regex_cache();
  cache.reset();
  EXPECT_EQ(match("hello world", "o w", 2), 1);
  EXPECT_EQ(match("hello there", "o w", 2), 0);
  EXPECT_EQ(cache.compilations(), 1u);
  EXPECT_EQ(match("HELLO", "^hel+o$", 2), 0);
  EXPECT_EQ(match("HELLO", "^hel+o$", 2 | 16), 1);
  EXPECT_EQ(match("hello", "^hel+o$", 2 | 16), 1);
  EXPECT_EQ(cache.compilations(), 3u);  // a new case flag compiles again
}

TEST(match_test, cache_reset_returns_every_block) {
  eval::regex_cache& cache = eval::the_regex_cache();
  cache.reset();
  std::uint32_t before = svc::process_heap().validate().allocated_blocks;
  EXPECT_EQ(match("abcdef", "c[d-e]+f$", 2), 1);
  EXPECT_GT(svc::process_heap().validate().allocated_blocks, before);
  cache.reset();
  EXPECT_EQ(svc::process_heap().validate().allocated_blocks, before);
}

TEST(match_test, regex_compilation_without_memory_matches_nothing_and_recovers) {
  eval::the_regex_cache().reset();
  {
    svc::HeapFailureGuard guard(1);
    EXPECT_EQ(match("abc", "b", 2), 0);
  }
  EXPECT_EQ(match("abc", "b", 2), 1);
  {
    svc::HeapFailureGuard guard(1);
    EXPECT_EQ(match("abc", "a*c", 1), 0);  // the wildcard rewrite needs a block too
  }
  eval::the_regex_cache().reset();
}

}  // namespace
