#include "evaluator/builtins.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "evaluator/builtin_table.h"
#include "evaluator_test_support.h"
#include "runtime/date_time.h"

namespace {

using eval_test::evaluate;

struct expectation {
  std::string text;
  std::string value;
};

void expect_all(std::initializer_list<expectation> cases) {
  for (const expectation& c : cases) {
    EXPECT_EQ(evaluate(c.text), c.value) << c.text;
    EXPECT_EQ(eval_test::error_code(), 0) << c.text;
  }
}

int counted_calls = 0;
std::int32_t counted() {
  ++counted_calls;
  return 9;
}

TEST(builtins_test, string_operations_with_their_defaults) {
  eval_test::clean_runtime runtime;
  expect_all({
      {"SUB('abcdef', 2, 3)", "bcd"},
      {"SUB('abcdef', -2, 5)", "ef"},
      {"SUB('abcdef', 5)", "ef"},
      {"SUB('abcdef')", "abcdef"},
      {"SUB('abc', 9, 2)", ""},
      {"ALL('ab', 5)", "ababa"},
      {"LEN(ALL('x'))", "255"},
      {"ALL('x', -3)", ""},
      {"CENTER('ab', 5)", "  ab "},
      {"CENTER('abcdef', 3)", "cde"},
      {"CENTER(' ab ')", " ab "},
      {"LEFT('  ab', 6)", "ab    "},
      {"LEFT('  ab')", "ab  "},
      {"LEFT('  ab', -4)", "ab  "},
      {"RIGHT('ab  ', 5)", "   ab"},
      {"RIGHT('abcdef', 3)", "def"},
      {"RIGHT('ab  ')", "  ab"},
      {"CLIP('ab  ') & '|'", "ab|"},
      {"UPPER('AbC1')", "ABC1"},
      {"LOWER('AbC1')", "abc1"},
      {"LEN('abc')", "3"},
      {"LEN('')", "0"},
      {"LEN(CLIP('a  '))", "1"},
  });
}

TEST(builtins_test, character_codes) {
  eval_test::clean_runtime runtime;
  expect_all({
      {"CHR(65)", "A"},
      {"CHR(321)", "A"},  // low 8 bits
      {"LEN(CHR(0))", "1"},
      {"VAL('A')", "65"},
      {"VAL('')", "0"},
      {"VAL(CHR(200))", "200"},
      {"VAL('abc')", "97"},
  });
}

TEST(builtins_test, choose_picks_one_argument_and_evaluates_only_it) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Counted", &counted, 0);
  counted_calls = 0;
  expect_all({
      {"CHOOSE(2, 'a', 'b', 'c')", "b"},
      {"CHOOSE(3, 'a', 'b', 'c')", "c"},
      {"CHOOSE(5, 'a', 'b', 'c')", "c"},
      {"CHOOSE(0, 'a', 'b')", "b"},
      {"CHOOSE(-1, 'a', 'b')", "b"},
      {"CHOOSE(1)", ""},
      {"CHOOSE(1, 'a', Counted())", "a"},
  });
  EXPECT_EQ(counted_calls, 0);
  EXPECT_EQ(evaluate("CHOOSE(2, 'a', Counted())"), "9");
  EXPECT_EQ(counted_calls, 1);
}

TEST(builtins_test, searches_and_lists) {
  eval_test::clean_runtime runtime;
  expect_all({
      {"INSTRING('b', 'abcabc')", "2"},
      {"INSTRING('b', 'abcabc', 1, 3)", "5"},
      {"INSTRING('ab', 'xxabxxab', 2, 1)", "2"},
      {"INSTRING('', 'abc')", "0"},
      {"INSTRING('b', 'abc', 1, 0)", "0"},
      {"INLIST('b ', 'a', 'b', 'c')", "2"},
      {"INLIST('z', 'a', 'b')", "0"},
      {"INLIST('a')", "0"},
      {"NUMERIC('12.5')", "1"},
      {"NUMERIC(' 12.5')", "1"},
      {"NUMERIC('12a')", "0"},
      {"NUMERIC('  ')", "0"},
      {"NULL('')", "1"},
      {"NULL('   ')", "1"},
      {"NULL('x')", "0"},
      {"NULL(0)", "0"},
  });
}

TEST(builtins_test, inlist_of_many_items_needs_little_stack) {
  eval_test::clean_runtime runtime;
  std::string text = "INLIST('x'";
  for (int i = 0; i < 23; ++i) text += ", 'i" + std::to_string(i) + "'";
  text += ", 'x')";
  for (int i = 0; i < 20; ++i) rt::string_stack().push_borrowed("s", 1);
  EXPECT_EQ(evaluate(text), "24");
  EXPECT_EQ(rt::string_stack().depth(), 20u);
}

TEST(builtins_test, match_with_its_default_mode) {
  eval_test::clean_runtime runtime;
  expect_all({
      {"MATCH('abc', 'a*c')", "1"},
      {"MATCH('abc', 'a*b')", "0"},
      {"MATCH('ABC', 'a?c', 17)", "1"},
      {"MATCH('ABC', 'a?c')", "0"},
      {"MATCH('abc  ', 'abc', 0)", "1"},
      {"MATCH('abc', 'ab', 0)", "0"},
      {"MATCH('Robert', 'Rupert', 3)", "1"},
      {"MATCH('hello', '^h.*o$', 2)", "1"},
      {"MATCH('x', 'x', 4)", "0"},
  });
}

TEST(builtins_test, numbers) {
  eval_test::clean_runtime runtime;
  expect_all({
      {"INT(2.7)", "2"},
      {"INT(-2.7)", "-2"},
      {"INT('3.9')", "3"},
      {"ABS(-2.5)", "2.5"},
      {"ABS(3)", "3"},
      {"ROUND(2.675, .01)", "2.68"},
      {"ROUND(1.005, .01)", "1.01"},  // 100.49999... in binary before the nudge
      {"ROUND(-1.005, .01)", "-1.01"},
      {"ROUND(2.5)", "3"},
      {"ROUND(-2.5)", "-3"},
      {"ROUND(1234, 100)", "1200"},
      {"ROUND(2.4, 0)", "2"},
      {"SQRT(16)", "4"},
      {"SQRT(-1)", "0"},
      {"LOG10(1000)", "3"},
      {"LOGE(1)", "0"},
      {"LOGE(0)", "0"},
      {"INT(LOGE(10) * 1000)", "2302"},
      {"SIN(0)", "0"},
      {"COS(0)", "1"},
      {"TAN(0)", "0"},
      {"INT(ASIN(1) * 1000000)", "1570796"},
      {"ACOS(1)", "0"},
      {"INT(ATAN(1) * 4000)", "3141"},
      {"INRANGE(5, 1, 10)", "1"},
      {"INRANGE(11, 1, 10)", "0"},
      {"INRANGE(1.5, 1, 2)", "1"},
      {"INRANGE(1, 1, 1)", "1"},
      {"MEMORY(0) >= 0", "1"},
  });
}

TEST(builtins_test, bit_operations) {
  eval_test::clean_runtime runtime;
  expect_all({
      {"BOR(5, 2)", "7"},
      {"BAND(6, 3)", "2"},
      {"BXOR(6, 3)", "5"},
      {"BSHIFT(1, 4)", "16"},
      {"BSHIFT(16, -4)", "1"},
      {"BSHIFT(-1, -28)", "15"},
      {"BSHIFT(1, 32)", "0"},
      {"BSHIFT(1, -32)", "0"},
      {"BSHIFT(1, 31)", "-2147483648"},
      {"BAND(-1, 255)", "255"},
  });
}

TEST(builtins_test, random_stays_within_its_bounds_and_covers_them) {
  eval_test::clean_runtime runtime;
  eval::seed_random(42);
  std::set<std::string> seen;
  for (int i = 0; i < 600; ++i) seen.insert(evaluate("RANDOM(1, 6)"));
  EXPECT_EQ(seen, (std::set<std::string>{"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(evaluate("RANDOM(5, 5)"), "5");
  for (int i = 0; i < 50; ++i) EXPECT_EQ(evaluate("INRANGE(RANDOM(6, 1), 1, 6)"), "1");
  EXPECT_EQ(evaluate("INRANGE(RANDOM(-2147483647, 2147483647), -2147483647, 2147483647)"), "1");
}

TEST(builtins_test, dates_and_times) {
  eval_test::clean_runtime runtime;
  rt::date_clock().set_current_year(2024);
  expect_all({
      {"DATE(1, 1, 2000)", "72687"},
      {"DATE(2, 29, 2023) = DATE(3, 1, 2023)", "1"},
      {"DATE(0, 1, 2020)", "-1"},
      {"DAY(DATE(7, 5, 2024))", "5"},
      {"MONTH(DATE(7, 5, 2024))", "7"},
      {"YEAR(DATE(7, 5, 2024))", "2024"},
      {"YEAR(3)", "0"},
      {"AGE(DATE(1, 1, 2024), DATE(2, 15, 2024))", "45 DAYS"},
      {"AGE(DATE(1, 1, 2024), DATE(7, 1, 2025))", "18 MOS"},
      {"AGE(TODAY() - 10)", "10 DAYS"},
      {"TODAY() = " + std::to_string(rt::TODAY()), "1"},
      {"INRANGE(CLOCK(), 1, 8640000)", "1"},
      {"FORMAT(DATE(7, 5, 2024), @D1)", " 7/05/24"},
      {"FORMAT(DATE(7, 5, 2024), '@D10')", "2024/07/05"},
      {"DEFORMAT('2024/07/05', @D10) = DATE(7, 5, 2024)", "1"},
      {"FORMAT('ab', @S4) & '|'", "ab  |"},
  });
  rt::date_clock().reset();
}

TEST(builtins_test, getini_gives_the_default_for_a_missing_entry) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(evaluate("GETINI('NoSection', 'NoEntry', 'fallback', '/nonexistent/none.ini')"),
            "fallback");
}

TEST(builtins_test, every_builtin_of_the_table_is_callable) {
  eval_test::clean_runtime runtime;
  for (const eval::builtin_row& row : eval::builtin_rows()) {
    if (row.kind != eval::entry_kind::function) continue;
    std::string text = std::string(row.name) + "(";
    for (int i = 0; i < row.max_args && i < 4; ++i) text += i == 0 ? "'1'" : ", '1'";
    evaluate(text + ")");
    EXPECT_EQ(eval_test::error_code(), 0) << text;
    EXPECT_EQ(rt::string_stack().depth(), 0u) << text;
  }
}

}  // namespace
