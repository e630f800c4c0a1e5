#include "evaluator/evaluate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evaluator/regex.h"
#include "evaluator_test_support.h"
#include "runtime/date_time.h"
#include "services/heap.h"

namespace {

using eval_test::evaluate;
using eval_test::invalid;

// What the recording procedure received, in the order it popped them: the
// first entry is the one it found on top of the stack.
std::vector<std::vector<std::string>>& calls() {
  static std::vector<std::vector<std::string>> all;
  return all;
}

template <int Arguments>
std::int32_t record() {
  std::vector<std::string> received;
  for (int i = 0; i < Arguments; ++i) received.push_back(eval_test::pop_text());
  calls().push_back(received);
  return 7;
}

// Pops its 13 arguments only after running the evaluation nested inside.
std::int32_t nested() {
  std::string inner = eval_test::evaluate("1 + 1");
  for (int i = 0; i < 13; ++i) rt::string_stack().discard();
  return inner == "2" ? 1 : 0;
}

// Takes two arguments but leaves them and adds junk.
std::int32_t careless() {
  rt::string_stack().push_borrowed("junk", 4);
  return 5;
}

struct evaluate_fixture {
  eval_test::clean_runtime runtime;
  evaluate_fixture() {
    calls().clear();
    eval::PUSHSCOPE(0);
    eval_test::bind("MakeEMLAttachmentFileSW", &record<13>, 13, 6);
  }
};

TEST(evaluate_test, thirteen_argument_call_with_two_arguments_fills_the_rest_empty) {
  evaluate_fixture f;
  EXPECT_EQ(evaluate("MakeEMLAttachmentFileSW('a','b')"), "7");
  EXPECT_EQ(eval_test::error_code(), 0);
  ASSERT_EQ(calls().size(), 1u);
  std::vector<std::string> expected(13);
  expected[0] = "a";
  expected[1] = "b";
  EXPECT_EQ(calls()[0], expected);
  EXPECT_EQ(rt::string_stack().depth(), 0u);
}

TEST(evaluate_test, thirteen_quoted_arguments_arrive_exactly_first_on_top) {
  evaluate_fixture f;
  std::string text = "MakeEMLAttachmentFileSW(";
  std::vector<std::string> expected;
  for (int i = 1; i <= 13; ++i) {
    std::string value = "arg " + std::to_string(i) + " it's, (x) ";
    expected.push_back(value);
    std::string quoted;
    for (char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    text += (i > 1 ? " , '" : "'") + quoted + "'";
  }
  text += ")";
  EXPECT_EQ(evaluate(text), "7");
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0], expected);
}

TEST(evaluate_test, fourteenth_argument_is_invalid_and_calls_nothing) {
  evaluate_fixture f;
  std::string text = "MakeEMLAttachmentFileSW('1'";
  for (int i = 2; i <= 14; ++i) text += ",'" + std::to_string(i) + "'";
  EXPECT_TRUE(invalid(text + ")"));
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(rt::string_stack().depth(), 0u);
}

TEST(evaluate_test, procedure_names_ignore_case) {
  evaluate_fixture f;
  EXPECT_EQ(evaluate("makeemlattachmentfilesw('x')"), "7");
  EXPECT_EQ(evaluate("MAKEEMLATTACHMENTFILESW()"), "7");
  EXPECT_EQ(calls().size(), 2u);
}

TEST(evaluate_test, call_text_errors_leave_800_and_call_nothing) {
  evaluate_fixture f;
  for (const char* text : {"MakeEMLAttachmentFileSX('a')", "MakeEMLAttachmentFileSW('a)",
                           "MakeEMLAttachmentFileSW('a'", "MakeEMLAttachmentFileSW('a') x",
                           "MakeEMLAttachmentFileSW", "MakeEMLAttachmentFileSW('a',,'b')", ""}) {
    EXPECT_TRUE(invalid(text)) << text;
    EXPECT_EQ(svc::error_state().message().substr(0, 31), "Invalid expression for EVALUATE");
  }
  EXPECT_TRUE(calls().empty());
}

TEST(evaluate_test, pending_error_is_cleared_first) {
  eval_test::clean_runtime runtime;
  svc::error_state().post(svc::err::file_not_found);
  EXPECT_EQ(evaluate("1"), "1");
  EXPECT_EQ(eval_test::error_code(), 0);
}

TEST(evaluate_test, string_constants) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(evaluate("'It''s'"), "It's");
  EXPECT_EQ(evaluate("''''"), "'");
  EXPECT_EQ(evaluate("''"), "");
  EXPECT_EQ(eval_test::error_code(), 0);
  EXPECT_TRUE(invalid("'abc"));
  EXPECT_EQ(evaluate("'a value longer than the inline area of an entry'"),
            "a value longer than the inline area of an entry");
  EXPECT_EQ(evaluate("'trailing  '  "), "trailing  ");
}

TEST(evaluate_test, number_constants) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(evaluate("1.5E2"), "150");
  EXPECT_EQ(evaluate("1.5e-2"), "0.015");
  EXPECT_EQ(evaluate("2.5E+1"), "25");
  EXPECT_EQ(evaluate(".5"), "0.5");
  EXPECT_EQ(evaluate("0.1"), "0.1");
  EXPECT_TRUE(invalid("1."));
  EXPECT_TRUE(invalid("1.5E"));
  EXPECT_EQ(evaluate("2147483647"), "2147483647");
  EXPECT_TRUE(invalid("2147483648"));  // no silent wrap
  EXPECT_TRUE(invalid("99999999999999999999"));
  EXPECT_EQ(evaluate("-2147483647 - 1"), "-2147483648");
  EXPECT_EQ(evaluate("12345678901.5"), "12345678901.5");
}

TEST(evaluate_test, comparisons_by_operand_class) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(evaluate("1 < 2"), "1");
  EXPECT_EQ(evaluate("2 < 1"), "0");
  EXPECT_EQ(evaluate("'abc' = 'abc  '"), "1");
  EXPECT_EQ(evaluate("'10' < '9'"), "1");
  EXPECT_EQ(evaluate("10 < 9.5"), "0");
  EXPECT_EQ(evaluate("'10' < 9"), "0");  // mixed classes compare as reals
  EXPECT_EQ(evaluate("2147483647 > -2147483647"), "1");
}

TEST(evaluate_test, joined_comparison_operators) {
  eval_test::clean_runtime runtime;
  struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"1 <> 2", "1"}, {"1 <> 1", "0"}, {"1 <= 1", "1"}, {"2 <= 1", "0"},  {"1 >= 1", "1"},
      {"1 >= 2", "0"}, {"1 =< 1", "1"}, {"2 =< 1", "0"}, {"2 => 1", "1"},  {"1 => 2", "0"},
      {"1 ~= 2", "1"}, {"1 ~= 1", "0"}, {"2 ~< 1", "1"}, {"1 ~< 2", "0"},  {"1 ~> 2", "1"},
      {"2 ~> 1", "0"}, {"1 = 1", "1"},  {"1 > 1", "0"},  {"1 < = 1", "1"}, {"'b' ~< 'a'", "1"},
  };
  for (const auto& c : cases) EXPECT_EQ(evaluate(c.text), c.value) << c.text;
  EXPECT_TRUE(invalid("1 ~ 2"));
  EXPECT_TRUE(invalid("1 < 2 < 3"));
  EXPECT_TRUE(invalid("1 <> > 2"));
}

TEST(evaluate_test, every_precedence_level) {
  eval_test::clean_runtime runtime;
  struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"1 OR 0 AND 0", "1"},  // AND binds tighter than OR
      {"1 XOR 1", "0"},
      {"1 XOR 0 XOR 1", "0"},
      {"0 or 1", "1"},
      {"NOT 1 = 2", "1"},  // NOT applies to the comparison
      {"NOT NOT 1", "1"},
      {"~~1", "1"},
      {"~ ~ ~ 0", "1"},
      {"'a' & 1 + 2", "a3"},  // + binds tighter than &
      {"1 + 2 & 3", "33"},
      {"1 + 2 * 3", "7"},
      {"(1 + 2) * 3", "9"},
      {"8 - 2 - 1", "5"},
      {"2 * 3 ^ 2", "18"},
      {"2^3^2", "64"},  // left-associative
      {"-2 ^ 2", "4"},
      {"- -3", "3"},
      {"--3", "3"},
      {"-+-+3", "3"},
      {"+3", "3"},
      {"7 % 4", "3"},
      {"1 + 7 % 4", "4"},  // % binds like * and /
      {"10 - 7 % 4", "7"},
      {"7 / 2", "3.5"},
      {"((((1))))", "1"},
      {"1 = 1 AND 2 = 2", "1"},
      {"'x' = 'x' OR 1 = 2", "1"},
      {"'a' = 'a' & 'b'", "0"},  // & binds tighter than =
  };
  for (const auto& c : cases) EXPECT_EQ(evaluate(c.text), c.value) << c.text;
  for (const char* bad : {"1 +", "* 2", "(1", "1)", "1 2", "()", "1 , 2", "1 : 2", "- * 2", "2 ^",
                          "NOT", "1 AND", "- NOT 1"})
    EXPECT_TRUE(invalid(bad)) << bad;
}

TEST(evaluate_test, today_needs_its_parentheses) {
  eval_test::clean_runtime runtime;
  EXPECT_TRUE(invalid("TODAY"));
  EXPECT_EQ(evaluate("TODAY()"), std::to_string(rt::TODAY()));
  EXPECT_TRUE(invalid("TODAY(1)"));
}

TEST(evaluate_test, whole_text_must_be_consumed) {
  eval_test::clean_runtime runtime;
  EXPECT_TRUE(invalid(std::string("1\0+2", 4)));
  EXPECT_TRUE(invalid("'a' 'b'"));
  EXPECT_TRUE(invalid("1 $"));
  EXPECT_EQ(evaluate("  1 + 2\t"), "3");
}

TEST(evaluate_test, deep_nesting_fails_cleanly) {
  eval_test::clean_runtime runtime;
  EXPECT_TRUE(invalid(std::string(5000, '(') + "1" + std::string(5000, ')')));
  EXPECT_TRUE(invalid("LEN(" + std::string(3000, '(') + "'x'" + std::string(3000, ')') + ")"));
  std::string sum = "1";
  for (int i = 0; i < 1000; ++i) sum += "+1";
  EXPECT_TRUE(invalid(sum));
  EXPECT_EQ(evaluate(std::string(100001, '-') + "3"), "-3");  // signs are counted, not nested
  std::string nots;
  for (int i = 0; i < 10000; ++i) nots += "~";
  EXPECT_EQ(evaluate(nots + "0"), "0");
  EXPECT_EQ(evaluate(std::string(40, '(') + "2" + std::string(40, ')')), "2");
  std::string short_sum = "1";
  for (int i = 0; i < 100; ++i) short_sum += "+1";
  EXPECT_EQ(evaluate(short_sum), "101");
}

TEST(evaluate_test, nested_evaluation_inside_a_bound_procedure) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Nested", &nested, 13);
  EXPECT_EQ(evaluate("Nested('a')"), "1");
  EXPECT_EQ(eval_test::error_code(), 0);
  EXPECT_EQ(rt::string_stack().depth(), 0u);
}

TEST(evaluate_test, entries_a_procedure_leaves_behind_are_dropped) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Careless", &careless, 2);
  EXPECT_EQ(evaluate("'<' & Careless('a', 'b') & '>'"), "<5>");
  EXPECT_EQ(rt::string_stack().depth(), 0u);
}

TEST(evaluate_test, arguments_that_cannot_fit_the_stack_call_nothing) {
  evaluate_fixture f;
  for (int i = 0; i < 25; ++i) rt::string_stack().push_borrowed("x", 1);
  rt::string_stack().push_borrowed("MakeEMLAttachmentFileSW('a')", 28);
  eval::EVALUATE();
  EXPECT_EQ(eval_test::pop_text(), "");
  EXPECT_EQ(eval_test::error_code(), svc::err::invalid_expression);
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(rt::string_stack().depth(), 25u);
}

TEST(evaluate_test, bound_procedure_result_in_three_modes) {
  evaluate_fixture f;
  EXPECT_EQ(evaluate("MakeEMLAttachmentFileSW()"), "7");
  EXPECT_EQ(evaluate("BAND(MakeEMLAttachmentFileSW(), 3)"), "3");
  EXPECT_EQ(evaluate("MakeEMLAttachmentFileSW() / 2"), "3.5");
  EXPECT_EQ(calls().size(), 3u);
}

TEST(evaluate_test, bound_procedure_result_classes_follow_the_return_type) {
  eval_test::clean_runtime runtime;
  eval_test::bind("AsLong", &record<0>, 0, rt::TYPE_LONG);
  eval_test::bind("AsReal", &record<0>, 0, rt::TYPE_REAL);
  eval_test::bind("AsText", &record<0>, 0, rt::TYPE_STRING);
  // A string result compares by collation with a string; an integer as a number.
  EXPECT_EQ(evaluate("AsText() = '7  '"), "1");
  EXPECT_EQ(evaluate("AsLong() = '7  '"), "1");
  EXPECT_EQ(evaluate("AsText() < '10'"), "0");
  EXPECT_EQ(evaluate("AsLong() < '10'"), "1");
  EXPECT_EQ(evaluate("AsReal() < 7.5"), "1");
}

}  // namespace

namespace {

// Each kind of node read in the three modes: as text (EVALUATE itself), as an
// integer (an operand of BAND) and as a real (an operand of a division).
TEST(evaluate_test, every_node_kind_in_three_modes) {
  eval_test::clean_runtime runtime;
  struct {
    const char* text;
    const char* as_string;
    const char* as_integer;
    const char* as_real;
  } cases[] = {
      {"'12.5'", "12.5", "12", "12.5"},
      {"7", "7", "7", "7"},
      {"2.75", "2.75", "2", "2.75"},
      {"-2.5", "-2.5", "-2", "-2.5"},
      {"-7", "-7", "-7", "-7"},
      {"NOT 0", "1", "1", "1"},
      {"NOT 'x'", "0", "0", "0"},
      {"7 / 2", "3.5", "3", "3.5"},
      {"-7 / 2", "-3.5", "-3", "-3.5"},
      {"'1' & '5'", "15", "15", "15"},
      {"2 < 3", "1", "1", "1"},
      {"1 AND 0", "0", "0", "0"},
      {"SUB('123', 2)", "23", "23", "23"},
      {"LEN('abc')", "3", "3", "3"},
      {"SQRT(6.25)", "2.5", "2", "2.5"},
      {"2 ^ 10", "1024", "1024", "1024"},
      {"10 % 4", "2", "2", "2"},
      {"5.5 % 2", "1.5", "1", "1.5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(evaluate(c.text), c.as_string) << c.text;
    EXPECT_EQ(evaluate(std::string("BAND(") + c.text + ", -1)"), c.as_integer) << c.text;
    EXPECT_EQ(evaluate(std::string("(") + c.text + ") / 1"), c.as_real) << c.text;
  }
}

TEST(evaluate_test, arithmetic_never_fails) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(evaluate("1 / 0"), "0");
  EXPECT_EQ(evaluate("5 % 0"), "0");
  EXPECT_EQ(evaluate("(-8) ^ 0.5"), "0");
  EXPECT_EQ(evaluate("10 ^ 400"), "0");
  EXPECT_EQ(evaluate("BAND(-(-2147483647 - 1), -1)"), "-2147483648");  // wraps, no overflow trap
  EXPECT_EQ(evaluate("2147483647 + 1"), "2147483648");
  EXPECT_EQ(eval_test::error_code(), 0);
}

TEST(evaluate_test, truth_of_strings_and_numbers) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(evaluate("'  ' OR 0"), "0");
  EXPECT_EQ(evaluate("' x' AND 0.5"), "1");
  EXPECT_EQ(evaluate("NOT ''"), "1");
  EXPECT_EQ(evaluate("'0' AND 1"), "1");  // a string is true when not blank
  EXPECT_EQ(evaluate("0.0 XOR 2"), "1");
}

TEST(evaluate_test, numeric_variables_are_read_by_type) {
  eval_test::clean_runtime runtime;
  std::uint8_t byte = 200;
  std::int16_t short_value = -5;
  std::uint16_t ushort_value = 60000;
  std::int32_t long_value = 42;
  std::uint32_t ulong_value = 4000000000u;
  float sreal = 1.5f;
  double real = 2.25;
  eval_test::bind("B", &byte, rt::TYPE_BYTE);
  eval_test::bind("S", &short_value, rt::TYPE_SHORT);
  eval_test::bind("US", &ushort_value, rt::TYPE_USHORT);
  eval_test::bind("L", &long_value, rt::TYPE_LONG);
  eval_test::bind("UL", &ulong_value, rt::TYPE_ULONG);
  eval_test::bind("SR", &sreal, rt::TYPE_SREAL);
  eval_test::bind("R", &real, rt::TYPE_REAL);
  EXPECT_EQ(evaluate("B & ',' & S & ',' & US & ',' & L"), "200,-5,60000,42");
  EXPECT_EQ(evaluate("UL"), "4000000000");
  EXPECT_EQ(evaluate("UL / 2"), "2000000000");
  EXPECT_EQ(evaluate("SR * 2"), "3");
  EXPECT_EQ(evaluate("R"), "2.25");
  EXPECT_EQ(evaluate("INT(R)"), "2");
  EXPECT_EQ(evaluate("BAND(L, 15)"), "10");
  EXPECT_EQ(evaluate("L = 42 AND S < 0"), "1");
  long_value = 43;  // a reference, not a copy
  EXPECT_EQ(evaluate("L"), "43");
}

TEST(evaluate_test, date_and_time_variables_read_as_serials) {
  eval_test::clean_runtime runtime;
  rt::PackedDate date = rt::serial_to_packed_date(rt::DATE(7, 5, 2024));
  rt::PackedTime clock_time = rt::serial_to_packed_time(360001);
  eval_test::bind("D", &date, rt::TYPE_DATE);
  eval_test::bind("T", &clock_time, rt::TYPE_TIME);
  EXPECT_EQ(evaluate("D = DATE(7, 5, 2024)"), "1");
  EXPECT_EQ(evaluate("YEAR(D)"), "2024");
  EXPECT_EQ(evaluate("T"), "360001");
}

TEST(evaluate_test, string_variables_of_the_three_types) {
  eval_test::clean_runtime runtime;
  char fixed[10];
  rt::assign_string(fixed, sizeof fixed, "abc", 3);
  char cstring[6] = "hello";
  char full_cstring[4] = {'w', 'x', 'y', 'z'};  // no terminator within its size
  unsigned char pstring[8] = {3, 'a', 'b', 'c', 'd', 'e', 'f', 'g'};
  unsigned char bad_pstring[3] = {200, 'a', 'b'};
  eval_test::bind("F", fixed, rt::TYPE_STRING, sizeof fixed);
  eval_test::bind("C", cstring, rt::TYPE_CSTRING, sizeof cstring);
  eval_test::bind("W", full_cstring, rt::TYPE_CSTRING, sizeof full_cstring);
  eval_test::bind("P", pstring, rt::TYPE_PSTRING, sizeof pstring);
  eval_test::bind("Q", bad_pstring, rt::TYPE_PSTRING, sizeof bad_pstring);
  EXPECT_EQ(evaluate("F"), "abc       ");
  EXPECT_EQ(evaluate("LEN(F)"), "10");
  EXPECT_EQ(evaluate("F = 'abc'"), "1");
  EXPECT_EQ(evaluate("C"), "hello");
  EXPECT_EQ(evaluate("W"), "wxy");
  EXPECT_EQ(evaluate("P"), "abc");
  EXPECT_EQ(evaluate("Q"), "ab");  // a length byte past the size is cut
}

TEST(evaluate_test, subscripts_and_slices_of_string_variables) {
  eval_test::clean_runtime runtime;
  char text[10];
  rt::assign_string(text, sizeof text, "abcdef", 6);
  char digits[5] = {'1', '2', '3', '4', '5'};
  std::int32_t number = 5;
  eval_test::bind("S", text, rt::TYPE_STRING, sizeof text);
  eval_test::bind("D", digits, rt::TYPE_STRING, sizeof digits);
  eval_test::bind("N", &number, rt::TYPE_LONG);
  EXPECT_EQ(evaluate("S[2 : 4]"), "bcd");
  EXPECT_EQ(evaluate("S[2]"), "b");
  EXPECT_EQ(evaluate("S[1 + 1]"), "b");
  EXPECT_EQ(evaluate("S[4:2]"), "");
  EXPECT_EQ(evaluate("S[0:2]"), "ab");
  EXPECT_EQ(evaluate("S[9:20]"), "  ");
  EXPECT_EQ(evaluate("S[N]"), "e");
  EXPECT_EQ(evaluate("D[2:3] + 1"), "24");
  EXPECT_EQ(evaluate("BAND(D[2:3], -1)"), "23");
  EXPECT_EQ(evaluate("D[2:3] / 2"), "11.5");
  EXPECT_TRUE(invalid("S[1,2]"));
  EXPECT_TRUE(invalid("N[1]"));
  EXPECT_TRUE(invalid("S[1"));
  EXPECT_TRUE(invalid("S[]"));
}

}  // namespace

namespace {

std::uint32_t allocated_blocks() {
  return svc::process_heap().validate().allocated_blocks;
}

TEST(evaluate_test, every_heap_block_comes_back) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Two", &record<2>, 2);
  eval::names().ensure_builtins();
  std::uint32_t before = allocated_blocks();
  const std::string deep(300, '(');
  const std::vector<std::string> texts = {"Two('a long argument of more than twenty bytes', 'b')",
                                          "SUB('abc' & 'def', 2) & LEN('x')",
                                          "'unterminated",
                                          "Two('a', 'b', 'c')",
                                          "Nowhere()",
                                          "MATCH('abc', '^a.c$', 2)",
                                          "MATCH('abc', 'a*', 1)",
                                          "CHOOSE(2, 'x' & 'y', 'z' & 'w')",
                                          "INLIST('b', 'a', 'b')",
                                          "ALL('ab', 1000)",
                                          "(((1)",
                                          deep};
  for (const std::string& text : texts) evaluate(text);
  calls().clear();
  eval::the_regex_cache().reset();
  EXPECT_EQ(allocated_blocks(), before);
}

// A primitive that finds no memory gives an empty string without an error,
// so a value may come out shortened; what must hold is that nothing crashes
// and no block stays taken.
TEST(evaluate_test, exhausted_heap_keeps_no_block) {
  eval_test::clean_runtime runtime;
  eval::names().ensure_builtins();
  std::uint32_t before = allocated_blocks();
  const std::string text = "SUB('abcdef' & 'a text longer than twenty bytes', 2, 4) & LEN('x')";
  for (std::uint32_t nth = 1; nth < 30; ++nth) {
    std::string value;
    {
      svc::HeapFailureGuard guard(nth);
      value = evaluate(text);
    }
    EXPECT_TRUE(value.empty() || value.back() == '1') << nth;
    EXPECT_EQ(allocated_blocks(), before) << nth;
  }
  EXPECT_EQ(evaluate(text), "bcde1");
}

}  // namespace
