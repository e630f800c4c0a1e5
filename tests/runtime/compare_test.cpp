#include "runtime/compare.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/locale.h"

namespace {

using namespace rt;

class compare_test : public testing::Test {
 protected:
  void SetUp() override { locale().reset(); }
  void TearDown() override { locale().reset(); }

  static int32_t cmp(const std::string& a, const std::string& b) {
    return collate_texts(a.data(), static_cast<uint32_t>(a.size()), b.data(),
                         static_cast<uint32_t>(b.size()));
  }
  static int32_t cmp_nocase(const std::string& a, const std::string& b) {
    return collate_texts_nocase(a.data(), static_cast<uint32_t>(a.size()), b.data(),
                                static_cast<uint32_t>(b.size()));
  }
};

TEST_F(compare_test, result_is_difference_of_weights_at_first_difference) {
  EXPECT_EQ(cmp("abc", "abc   "), 0);
  EXPECT_EQ(cmp("abc", "abd"), 'c' - 'd');
  EXPECT_EQ(cmp("abc ", "ab"), 'c' - ' ');
  // A shorter text reads as spaces, so a control byte sorts below its end.
  EXPECT_EQ(cmp("ab", std::string("ab\t")), ' ' - '\t');
  EXPECT_EQ(cmp("", ""), 0);
}

TEST_F(compare_test, collating_sequence_reorders_letters) {
  locale().apply_collating_sequence("BA", 2, false);
  EXPECT_EQ(locale().weight('B'), 65);
  EXPECT_EQ(locale().weight('A'), 66);
  EXPECT_LT(cmp("B", "A"), 0);
  EXPECT_EQ(cmp("C", "C"), 0);
}

TEST_F(compare_test, equal_bytes_are_skipped_and_weights_decide_later) {
  locale().apply_collating_sequence("ba", 2, false);
  EXPECT_GT(cmp("xa", "xb"), 0);
  EXPECT_EQ(cmp("xa", "xa"), 0);
}

TEST_F(compare_test, digraphs_expand_before_weighing) {
  locale().set_digraphs(
      "\xC6"
      "AE",
      1);  // the ligature sorts as "AE"
  EXPECT_TRUE(locale().digraphs_in_use());
  EXPECT_LT(cmp("\xC6", "B"), 0);
  EXPECT_GT(cmp("\xC6", "@"), 0);
  EXPECT_EQ(cmp("\xC6x", "Ax"), 0);  // the expansions agree on what both have
  locale().set_digraphs(
      "\xC6"
      "AE"
      "\x8C"
      "OE",
      2);
  EXPECT_LT(cmp("\xC6", "\x8C"), 0);
  // Without the digraph the ligature's byte value (0xC6) is above every letter.
  locale().set_digraphs("", 0);
  EXPECT_GT(cmp("\xC6", "B"), 0);
}

TEST_F(compare_test, nocase_folds_common_prefix_only) {
  EXPECT_EQ(cmp_nocase("ABC", "abc"), 0);
  EXPECT_EQ(cmp_nocase("abc", "abc  "), 0);
  EXPECT_LT(cmp_nocase("abc", "ABD"), 0);
  EXPECT_EQ(cmp_nocase("ab", "abc"), ' ' - 'c');  // the tail byte as it is
}

}  // namespace
