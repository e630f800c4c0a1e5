#include "evaluator/soundex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string code_of(const std::string& text) {
  eval::sound_code code = eval::sound_code_of(text.data(), text.size());
  return std::string(code.begin(), code.end());
}

TEST(soundex_test, codes_of_the_language) {
  EXPECT_EQ(code_of("Robert"), "R130");
  EXPECT_EQ(code_of("Rupert"), "R130");
  EXPECT_EQ(code_of("Ashcraft"), "A226");
  EXPECT_EQ(code_of("ACCA"), "A220");
  EXPECT_EQ(code_of("12345"), "!000");
  EXPECT_EQ(code_of(""), "!000");
}

TEST(soundex_test, leading_non_letters_are_skipped_and_case_ignored) {
  EXPECT_EQ(code_of("  9robert"), "R130");
  EXPECT_EQ(code_of("lee"), "L000");
  EXPECT_EQ(code_of("Tymczak"), "T522");
}

TEST(soundex_test, later_letters_with_the_first_digit_are_skipped) {
  // P and F share the digit 1 with the first letter B.
  EXPECT_EQ(code_of("Bpfd"), "B300");
  // Neighbours with the same digit are written again.
  EXPECT_EQ(code_of("Adddd"), "A333");
}

}  // namespace
