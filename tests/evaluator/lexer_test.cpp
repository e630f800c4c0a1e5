#include "evaluator/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evaluator/builtin_table.h"
#include "evaluator_test_support.h"

namespace {

std::vector<eval::token> tokens_of(const std::string& text) {
  eval::names().ensure_builtins();
  eval::lexer lex(text.c_str(), text.size());
  std::vector<eval::token> out;
  for (;;) {
    lex.advance();
    out.push_back(lex.current());
    if (out.back().kind == eval::token_kind::end || out.back().kind == eval::token_kind::error)
      return out;
  }
}

// The first token of a text; its text pointer is only good for a text that
// outlives the call.
eval::token first_token(const std::string& text) {
  return tokens_of(text).front();
}

std::int32_t question_procedure() {
  return 0;
}

std::string text_of(const eval::token& t) {
  return std::string(t.text, t.length);
}

TEST(lexer_test, operators_and_brackets) {
  eval_test::clean_runtime runtime;
  auto tokens = tokens_of("+ - * / % ^ & = < > ~ , : ( ) [ ]");
  const std::uint8_t codes[] = {
      eval::op_add,   eval::op_subtract, eval::op_multiply, eval::op_divide, eval::op_remainder,
      eval::op_power, eval::op_concat,   eval::op_equal,    eval::op_less,   eval::op_greater,
      eval::op_not,   eval::op_comma,    eval::op_colon};
  ASSERT_EQ(tokens.size(), 18u);
  for (std::size_t i = 0; i < 13; ++i) {
    EXPECT_EQ(tokens[i].kind, eval::token_kind::op) << i;
    EXPECT_EQ(tokens[i].code, codes[i]) << i;
  }
  EXPECT_EQ(tokens[13].kind, eval::token_kind::open_paren);
  EXPECT_EQ(tokens[14].kind, eval::token_kind::close_paren);
  EXPECT_EQ(tokens[15].kind, eval::token_kind::open_bracket);
  EXPECT_EQ(tokens[16].kind, eval::token_kind::close_bracket);
  EXPECT_EQ(tokens[17].kind, eval::token_kind::end);
  EXPECT_EQ(first_token("$").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("\"").kind, eval::token_kind::error);
  EXPECT_EQ(first_token(" \t ").kind, eval::token_kind::end);
}

TEST(lexer_test, word_operators_and_names) {
  eval_test::clean_runtime runtime;
  auto tokens = tokens_of("and Or XOR not Len");
  EXPECT_EQ(tokens[0].code, eval::op_and);
  EXPECT_EQ(tokens[1].code, eval::op_or);
  EXPECT_EQ(tokens[2].code, eval::op_xor);
  EXPECT_EQ(tokens[3].code, eval::op_not);
  EXPECT_EQ(tokens[4].kind, eval::token_kind::function);
  EXPECT_EQ(tokens[4].entry->code, eval::fn_len);
}

TEST(lexer_test, unbound_name_is_error_801) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(first_token("Nowhere").kind, eval::token_kind::error);
  EXPECT_EQ(eval_test::error_code(), svc::err::no_bind_on_variable);
  EXPECT_EQ(svc::error_state().message().substr(0, 30), "No BIND on variable (Nowhere) ");
}

TEST(lexer_test, name_characters_and_trailing_marks) {
  eval_test::clean_runtime runtime;
  std::int32_t value = 0;
  eval_test::bind("Rec:Field$", &value, rt::TYPE_LONG);
  eval_test::bind("_x#", &value, rt::TYPE_LONG);
  eval_test::bind("?q", &question_procedure, 0);
  std::string text = "rec:field$+_X#*?Q";
  auto tokens = tokens_of(text);
  ASSERT_EQ(tokens.size(), 6u);
  EXPECT_EQ(tokens[0].kind, eval::token_kind::variable);
  EXPECT_EQ(text_of(tokens[0]), "rec:field$");
  EXPECT_EQ(text_of(tokens[2]), "_X#");
  EXPECT_EQ(text_of(tokens[4]), "?Q");
  EXPECT_EQ(tokens[4].kind, eval::token_kind::function);
  // '?' starts a name but does not continue one.
  EXPECT_EQ(tokens_of("_x#?q").size(), 3u);
}

TEST(lexer_test, names_longer_than_the_buffer_are_errors) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(first_token(std::string(100, 'A')).kind, eval::token_kind::error);
  EXPECT_EQ(first_token(std::string(100000, 'A')).kind, eval::token_kind::error);
}

TEST(lexer_test, integer_constants_and_overflow) {
  eval_test::clean_runtime runtime;
  EXPECT_EQ(first_token("0").integer, 0);
  EXPECT_EQ(first_token("2147483647").integer, 2147483647);
  EXPECT_EQ(first_token("2147483647").kind, eval::token_kind::integer);
  EXPECT_EQ(first_token("2147483648").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("4294967296").kind, eval::token_kind::error);
  EXPECT_EQ(first_token(std::string(50, '9')).kind, eval::token_kind::error);
  EXPECT_EQ(first_token("007").integer, 7);
}

TEST(lexer_test, real_constants) {
  eval_test::clean_runtime runtime;
  EXPECT_DOUBLE_EQ(first_token("1.5E2").real, 150.0);
  EXPECT_DOUBLE_EQ(first_token("1.5e-2").real, 0.015);
  EXPECT_DOUBLE_EQ(first_token("2.5E+1").real, 25.0);
  EXPECT_DOUBLE_EQ(first_token(".5").real, 0.5);
  EXPECT_DOUBLE_EQ(first_token("0.1").real, 0.1);
  EXPECT_DOUBLE_EQ(first_token("12345678901.25").real, 12345678901.25);
  EXPECT_EQ(first_token("1.").kind, eval::token_kind::error);
  EXPECT_EQ(first_token(".").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("1.5e").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("1.5e+").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("1.5e99999").kind, eval::token_kind::error);  // not finite
  EXPECT_DOUBLE_EQ(first_token("1.5e-99999").real, 0.0);
  // An exponent needs the point: 1E5 is the integer 1 and then a name.
  auto tokens = tokens_of("1E5");
  EXPECT_EQ(tokens[0].kind, eval::token_kind::integer);
  EXPECT_EQ(tokens[1].kind, eval::token_kind::error);
}

TEST(lexer_test, string_constants) {
  eval_test::clean_runtime runtime;
  std::string source = "'It''s' x";
  eval::token t = first_token(source);
  EXPECT_EQ(t.kind, eval::token_kind::string);
  EXPECT_EQ(text_of(t), "It''s");
  char out[16];
  EXPECT_EQ(std::string(out, eval::undouble_quotes(t.text, t.length, out)), "It's");
  EXPECT_EQ(first_token("'abc").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("'abc''").kind, eval::token_kind::error);
  EXPECT_EQ(first_token("''").length, 0u);
  EXPECT_EQ(first_token(std::string("'a\0b'", 5)).kind, eval::token_kind::error);
}

TEST(lexer_test, picture_constants_and_their_ends) {
  eval_test::clean_runtime runtime;
  struct {
    const char* text;
    const char* picture;
  } cases[] = {
      {"@D1 x", "@D1"},
      {"@D1,x", "@D1"},
      {"@D1)", "@D1"},
      {"@n(1,2) x", "@n(1,2)"},
      {"@N~a b,~ x", "@N~a b,~"},
      {"@N~a)~)", "@N~a)~"},
      {"@P(###)###-####P,", "@P(###)###-####P"},
      {"@P(###) ###P", "@P(###)"},  // a space at depth zero ends even an @P picture
      {"@p<#>pB)", "@p<#>pB"},
      {"@D17B", "@D17B"},
      {"@", "@"},
  };
  for (const auto& c : cases) {
    std::string source = c.text;
    eval::token t = first_token(source);
    EXPECT_EQ(t.kind, eval::token_kind::picture) << c.text;
    EXPECT_EQ(text_of(t), c.picture) << c.text;
  }
}

}  // namespace
