#include "evaluator/names_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "evaluator/builtin_table.h"
#include "evaluator_test_support.h"
#include "services/heap.h"
#include "tests/services/runtime_error_capture.h"

namespace {

using eval_test::evaluate;
using eval_test::invalid;

std::int32_t one() {
  return 1;
}
std::int32_t two() {
  return 2;
}

const eval::name_entry* find(const std::string& name) {
  return eval::names().find(name.data(), name.size());
}

TEST(names_table_test, builtins_enter_an_empty_table_in_their_order) {
  eval_test::clean_runtime runtime;
  eval::names().ensure_builtins();
  const eval::name_entry* root = eval::names().current_table();
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->name, "INT");
  EXPECT_STREQ(root->left->name, "CENTER");
  EXPECT_STREQ(root->right->name, "RANDOM");  // the first row after INT in order
  for (const eval::builtin_row& row : eval::builtin_rows()) {
    const eval::name_entry* entry = find(row.name);
    ASSERT_NE(entry, nullptr) << row.name;
    EXPECT_EQ(entry->kind, row.kind);
    EXPECT_EQ(entry->code, row.code);
    EXPECT_EQ(entry->max_args, row.max_args);
  }
  EXPECT_EQ(find("and")->kind, eval::entry_kind::word_operator);
  EXPECT_EQ(find("Choose")->max_args, 25u);
  EXPECT_EQ(find("MATCH")->result, eval::value_class::integer);
}

TEST(names_table_test, binding_fills_builtins_first_and_folds_case) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Proc", &one, 2, rt::TYPE_REAL);
  const eval::name_entry* entry = find("pRoC");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->name, "PROC");
  EXPECT_EQ(entry->result, eval::value_class::real);
  EXPECT_EQ(entry->max_args, 2u);
  EXPECT_EQ(entry->code, eval::bound_call);
  EXPECT_NE(find("SUB"), nullptr);
  EXPECT_EQ(rt::string_stack().depth(), 0u);  // the name was popped
}

TEST(names_table_test, return_type_codes_choose_the_result_class) {
  eval_test::clean_runtime runtime;
  eval_test::bind("A", &one, 0, rt::TYPE_LONG);
  eval_test::bind("B", &one, 0, rt::TYPE_REAL);
  eval_test::bind("C", &one, 0, rt::TYPE_SHORT);
  EXPECT_EQ(find("A")->result, eval::value_class::integer);
  EXPECT_EQ(find("B")->result, eval::value_class::real);
  EXPECT_EQ(find("C")->result, eval::value_class::string);
}

TEST(names_table_test, rebinding_replaces_the_entry) {
  eval_test::clean_runtime runtime;
  eval_test::bind("P", &one, 0);
  EXPECT_EQ(evaluate("P()"), "1");
  eval_test::bind("p", &two, 0);
  EXPECT_EQ(evaluate("P()"), "2");
  std::int32_t value = 42;
  eval_test::bind("P", &value, rt::TYPE_LONG);
  EXPECT_EQ(find("P")->kind, eval::entry_kind::variable);
  EXPECT_EQ(evaluate("P"), "42");
  eval_test::bind("P", &one, 0);  // the variable reference is released
  EXPECT_EQ(find("P")->variable, nullptr);
  EXPECT_EQ(evaluate("P()"), "1");
}

TEST(names_table_test, variable_names_are_cut_after_their_name_characters) {
  eval_test::clean_runtime runtime;
  std::int32_t value = 5;
  eval_test::bind("Total$ and more", &value, rt::TYPE_LONG);
  EXPECT_NE(find("TOTAL$"), nullptr);
  eval_test::bind("Rec:Field#x", &value, rt::TYPE_LONG);
  EXPECT_NE(find("REC:FIELD#"), nullptr);
  eval_test::bind("Q_1\"\"", &value, rt::TYPE_LONG);
  EXPECT_NE(find("Q_1\""), nullptr);
  EXPECT_EQ(find("Q_1\"\""), nullptr);
  EXPECT_EQ(evaluate("rec:field# + total$"), "10");
}

TEST(names_table_test, names_longer_than_the_buffer_are_not_bound) {
  eval_test::clean_runtime runtime;
  std::string longest(eval::max_name_length, 'N');
  eval_test::bind(longest, &one, 0);
  EXPECT_EQ(evaluate(longest + "()"), "1");
  std::string too_long(eval::max_name_length + 1, 'M');
  eval_test::bind(too_long, &two, 0);
  EXPECT_EQ(find(too_long), nullptr);
  EXPECT_EQ(find(too_long.substr(0, eval::max_name_length)), nullptr);
  EXPECT_TRUE(invalid(too_long + "()"));
  eval_test::bind("", &two, 0);
  eval_test::bind("   ", &two, 0);
  EXPECT_EQ(rt::string_stack().depth(), 0u);
}

TEST(names_table_test, variables_of_unreadable_types_are_not_bound) {
  eval_test::clean_runtime runtime;
  double value = 1;
  eval_test::bind("B4", &value, rt::TYPE_BFLOAT4);
  eval_test::bind("NOWHERE", static_cast<void*>(nullptr), rt::TYPE_LONG);
  EXPECT_EQ(find("B4"), nullptr);
  EXPECT_EQ(find("NOWHERE"), nullptr);
}

TEST(names_table_test, hiding_scope_keeps_builtins_only) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Outer", &one, 0);
  eval::PUSHSCOPE(0);
  EXPECT_TRUE(invalid("Outer()"));
  EXPECT_EQ(evaluate("LEN('abc')"), "3");
  eval_test::bind("Inner", &two, 0);
  EXPECT_EQ(evaluate("Inner()"), "2");
  eval::POPSCOPE();
  EXPECT_EQ(evaluate("Outer()"), "1");
  EXPECT_TRUE(invalid("Inner()"));
}

TEST(names_table_test, keeping_scope_sees_outer_names_and_shadows_them) {
  eval_test::clean_runtime runtime;
  eval_test::bind("Outer", &one, 0);
  eval::PUSHSCOPE(1);
  EXPECT_EQ(evaluate("Outer()"), "1");
  eval_test::bind("Outer", &two, 0);
  EXPECT_EQ(evaluate("Outer()"), "2");
  eval::PUSHSCOPE(0);
  EXPECT_TRUE(invalid("Outer()"));
  eval::PUSHSCOPE(1);  // a keeping scope inside a hiding one still stops there
  EXPECT_TRUE(invalid("Outer()"));
  EXPECT_EQ(eval::names().open_scopes(), 3u);
  eval::POPSCOPE();
  eval::POPSCOPE();
  eval::POPSCOPE();
  EXPECT_EQ(evaluate("Outer()"), "1");
}

TEST(names_table_test, popscope_without_a_scope_is_runtime_error_802) {
  eval_test::clean_runtime runtime;
  life_test::RuntimeErrorCapture capture;
  eval::POPSCOPE();
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].text,
            "Mismatched PUSHSCOPE/POPSCOPE : Mismatched POPSCOPE\nDo you want to GPF?");
  ASSERT_EQ(capture.exits().size(), 1u);
  EXPECT_EQ(capture.exits()[0], 2);
}

TEST(names_table_test, scope_opened_without_memory_is_still_closed_by_its_own_popscope) {
  eval_test::clean_runtime runtime;
  life_test::RuntimeErrorCapture capture;
  eval_test::bind("Outer", &one, 0);
  eval::PUSHSCOPE(0);
  {
    svc::HeapFailureGuard guard(1);
    eval::PUSHSCOPE(0);
  }
  EXPECT_EQ(eval::names().open_scopes(), 2u);
  eval::POPSCOPE();
  EXPECT_TRUE(invalid("Outer()"));  // still inside the first scope
  eval::POPSCOPE();
  EXPECT_EQ(evaluate("Outer()"), "1");
  EXPECT_TRUE(capture.boxes().empty());
}

TEST(names_table_test, many_names_in_sorted_order_free_without_deep_recursion) {
  eval_test::clean_runtime runtime;
  char name[16];
  for (int i = 0; i < 3000; ++i) {
    std::snprintf(name, sizeof name, "N%06d", i);
    eval_test::bind(name, &one, 0);
  }
  EXPECT_EQ(evaluate("N002999()"), "1");
  eval::names().reset();
  EXPECT_EQ(eval::names().current_table(), nullptr);
}

}  // namespace
