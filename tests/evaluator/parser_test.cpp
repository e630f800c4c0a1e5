#include "evaluator/parser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "evaluator/builtin_table.h"
#include "evaluator_test_support.h"
#include "services/heap.h"

namespace {

struct tree_deleter {
  void operator()(eval::node* n) const { eval::free_tree(n); }
};
using tree = std::unique_ptr<eval::node, tree_deleter>;

tree compile(const std::string& text) {
  return tree(eval::compile(text.c_str(), text.size()));
}

TEST(parser_test, node_kinds_and_classes) {
  eval_test::clean_runtime runtime;
  struct {
    const char* text;
    eval::node_kind kind;
    eval::value_class result;
  } cases[] = {
      {"1", eval::node_kind::constant, eval::value_class::integer},
      {"1.5", eval::node_kind::constant, eval::value_class::real},
      {"'a'", eval::node_kind::constant, eval::value_class::string},
      {"@D1", eval::node_kind::constant, eval::value_class::picture},
      {"-1", eval::node_kind::unary, eval::value_class::integer},
      {"-'1'", eval::node_kind::unary, eval::value_class::real},
      {"NOT 'a'", eval::node_kind::unary, eval::value_class::integer},
      {"1 + 2", eval::node_kind::binary, eval::value_class::integer},
      {"1 + 2.5", eval::node_kind::binary, eval::value_class::real},
      {"'1' + 2", eval::node_kind::binary, eval::value_class::real},
      {"4 / 2", eval::node_kind::binary, eval::value_class::real},
      {"2 ^ 2", eval::node_kind::binary, eval::value_class::real},
      {"7 % 2", eval::node_kind::binary, eval::value_class::integer},
      {"1 & 2", eval::node_kind::binary, eval::value_class::string},
      {"'a' < 'b'", eval::node_kind::binary, eval::value_class::integer},
      {"1 OR 'a'", eval::node_kind::binary, eval::value_class::integer},
      {"LEN('a')", eval::node_kind::call, eval::value_class::integer},
      {"SQRT(2)", eval::node_kind::call, eval::value_class::real},
      {"SUB('a')", eval::node_kind::call, eval::value_class::string},
  };
  for (const auto& c : cases) {
    tree t = compile(c.text);
    ASSERT_NE(t, nullptr) << c.text;
    EXPECT_EQ(t->kind, c.kind) << c.text;
    EXPECT_EQ(t->result, c.result) << c.text;
  }
}

TEST(parser_test, chains_are_left_associative) {
  eval_test::clean_runtime runtime;
  for (const char* text :
       {"8 - 2 - 1", "2 ^ 3 ^ 2", "1 & 2 & 3", "1 AND 2 AND 3", "1 OR 2 XOR 3", "8 / 2 * 3"}) {
    tree t = compile(text);
    ASSERT_NE(t, nullptr) << text;
    EXPECT_EQ(t->left->kind, eval::node_kind::binary) << text;
    EXPECT_EQ(t->right->kind, eval::node_kind::constant) << text;
  }
}

TEST(parser_test, joins_make_one_comparison_node) {
  eval_test::clean_runtime runtime;
  struct {
    const char* text;
    std::uint8_t code;
  } cases[] = {
      {"1 < > 2", eval::op_not_equal},    {"1 <= 2", eval::op_less_equal},
      {"1 >= 2", eval::op_greater_equal}, {"1 =< 2", eval::op_less_equal},
      {"1 => 2", eval::op_greater_equal}, {"1 ~= 2", eval::op_not_equal},
      {"1 ~< 2", eval::op_greater_equal}, {"1 ~> 2", eval::op_less_equal},
      {"1 = -2", eval::op_equal},         {"1 < -2", eval::op_less},
  };
  for (const auto& c : cases) {
    tree t = compile(c.text);
    ASSERT_NE(t, nullptr) << c.text;
    EXPECT_EQ(t->code, c.code) << c.text;
    EXPECT_EQ(t->right->depth <= 2, true) << c.text;
  }
}

TEST(parser_test, calls_keep_absent_argument_slots_empty) {
  eval_test::clean_runtime runtime;
  tree t = compile("SUB('abc', 2)");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->arg_slots, 3u);
  EXPECT_EQ(t->arg_count, 2u);
  EXPECT_NE(t->args[1], nullptr);
  EXPECT_EQ(t->args[2], nullptr);
  EXPECT_EQ(compile("SUB('a', 1, 2, 3)"), nullptr);
  EXPECT_EQ(compile("SUB('a' 1)"), nullptr);
  EXPECT_EQ(compile("SUB('a',)"), nullptr);
  EXPECT_EQ(compile("SUB(,'a')"), nullptr);
  EXPECT_NE(compile("CLOCK()"), nullptr);
  EXPECT_EQ(compile("CLOCK(1)"), nullptr);
}

TEST(parser_test, nesting_limit_is_exact) {
  eval_test::clean_runtime runtime;
  unsigned inner = eval::max_nesting - 1;  // the whole text is the first level
  EXPECT_NE(compile(std::string(inner, '(') + "1" + std::string(inner, ')')), nullptr);
  EXPECT_EQ(compile(std::string(inner + 1, '(') + "1" + std::string(inner + 1, ')')), nullptr);
}

TEST(parser_test, tree_depth_limit_is_exact) {
  eval_test::clean_runtime runtime;
  std::string sum = "1";
  for (std::uint32_t i = 1; i < eval::max_tree_depth; ++i) sum += "+1";  // depth 200
  tree t = compile(sum);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->depth, eval::max_tree_depth);
  EXPECT_EQ(compile(sum + "+1"), nullptr);
}

TEST(parser_test, failure_under_memory_exhaustion_frees_what_was_built) {
  eval_test::clean_runtime runtime;
  eval::names().ensure_builtins();
  const std::string text = "SUB('abc' & 'def', 1 + 2, LEN('xy'))";
  bool succeeded = false;
  for (std::uint32_t nth = 1; nth < 40; ++nth) {
    svc::HeapFailureGuard guard(nth);
    tree t = compile(text);
    if (nth == 1) {
      EXPECT_EQ(t, nullptr);
    }
    if (succeeded) {
      EXPECT_NE(t, nullptr) << nth;
    }
    succeeded = succeeded || t != nullptr;
  }
  EXPECT_TRUE(succeeded);
}

}  // namespace
