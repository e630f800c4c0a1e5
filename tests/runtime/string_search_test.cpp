#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/string_ops.h"
#include "runtime/string_stack.h"

namespace {

using rt::instring_text;

int32_t find_at(const std::string& sub, const std::string& text, uint32_t step, int32_t start) {
  return instring_text(sub.data(), static_cast<uint32_t>(sub.size()), text.data(),
                       static_cast<uint32_t>(text.size()), step, start);
}

// The plain definition: candidates every `step` bytes from start-1, the
// match's offset div step + 1.
int32_t naive(const std::string& sub, const std::string& text, uint32_t step, int32_t start) {
  if (sub.empty() || start < 1 || sub.size() > text.size()) return 0;
  if (step == 0) step = static_cast<uint32_t>(sub.size());
  for (size_t at = static_cast<size_t>(start - 1); at + sub.size() <= text.size(); at += step) {
    if (text.compare(at, sub.size(), sub) == 0) return static_cast<int32_t>(at / step + 1);
  }
  return 0;
}

TEST(string_search_test, listed_cases) {
  EXPECT_EQ(find_at("b", "abcabc", 1, 1), 2);
  EXPECT_EQ(find_at("b", "abcabc", 1, 3), 5);
  EXPECT_EQ(find_at("ab", "xxabxxab", 2, 1), 2);
  EXPECT_EQ(find_at("", "abc", 1, 1), 0);
  EXPECT_EQ(find_at("a", "abc", 1, 0), 0);
  EXPECT_EQ(find_at("a", "abc", 1, -3), 0);
  EXPECT_EQ(find_at("abcd", "abc", 1, 1), 0);
  EXPECT_EQ(find_at("c", "abc", 1, 4), 0);
  EXPECT_EQ(find_at("bc", "abcbc", 0, 1), 0);  // step = substring length: slots "ab", "cb"
  EXPECT_EQ(find_at("cb", "abcbc", 0, 1), 2);
}

TEST(string_search_test, stack_form_pops_both_operands) {
  auto& stack = rt::string_stack();
  stack.reset();
  stack.push_borrowed("b", 1);
  stack.push_borrowed("abcabc", 6);
  EXPECT_EQ(rt::instring(1, 3), 5);
  EXPECT_EQ(stack.depth(), 0u);
}

TEST(string_search_test, skip_table_search_finds_matches_near_both_ends) {
  std::string text(1000, 'a');
  text.replace(0, 6, "needle");
  EXPECT_EQ(find_at("needle", text, 1, 1), 1);
  EXPECT_EQ(find_at("needle", text, 1, 2), 0);
  text.replace(994, 6, "needle");
  EXPECT_EQ(find_at("needle", text, 1, 2), 995);
  // A substring longer than the table's 255 limit.
  std::string long_sub = std::string(300, 'b') + "c";
  std::string hay = std::string(500, 'b') + "c" + std::string(100, 'd');
  EXPECT_EQ(find_at(long_sub, hay, 1, 1), 201);
}

// Over many random inputs from a small alphabet (so that partial matches are
// frequent), every path agrees with the plain definition.
TEST(string_search_test, all_paths_agree_with_naive_search) {
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    int alphabet = 2 + static_cast<int>(random() % 3);
    auto make = [&](size_t n) {
      std::string s(n, 'a');
      for (char& c : s) c = static_cast<char>('a' + random() % alphabet);
      return s;
    };
    std::string text = make(random() % 2 == 0 ? random() % 40 : 257 + random() % 1200);
    std::string sub = make(1 + random() % 12);
    if (random() % 3 == 0 && text.size() > sub.size()) {
      sub = text.substr(random() % (text.size() - sub.size()), sub.size());
    }
    uint32_t step = random() % 4 == 0 ? random() % 4 : 1;
    int32_t start = 1 + static_cast<int32_t>(random() % (text.size() + 3));
    ASSERT_EQ(find_at(sub, text, step, start), naive(sub, text, step, start))
        << "sub=" << sub << " step=" << step << " start=" << start << " len=" << text.size();
  }
}

}  // namespace
