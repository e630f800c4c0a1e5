// A compiled expression: a tree of nodes on the runtime heap, built by the
// parser and freed after its one evaluation.
#pragma once

#include <cstdint>

#include "evaluator/names_table.h"

namespace eval {

enum class node_kind : std::uint8_t { constant, unary, binary, call, variable, slice };

// The deepest tree the evaluator builds. Evaluation and freeing recurse over
// the tree, so its depth (not only the parser's nesting) must stay bounded.
inline constexpr std::uint32_t max_tree_depth = 200;

struct node {
  node_kind kind;
  value_class result;
  // Operator code of a unary or binary node; function code of a call.
  std::uint8_t code;
  std::uint32_t depth;  // 1 for a leaf
  // Constant values: `integer` or `real` by class, or `text` and `length`
  // (heap copy) for a string or picture.
  std::int32_t integer;
  double real;
  char* text;
  std::uint32_t length;
  // Operands of a unary (left only) or binary node; start and end of a slice.
  node* left;
  node* right;
  // Calls: the argument slots (null for an absent argument), their number
  // (the callee's maximum) and how many the text supplied.
  node** args;
  std::uint32_t arg_slots;
  std::uint32_t arg_count;
  bound_procedure procedure;
  // Variable references and slices: a copy of the bound variable, so that a
  // procedure that binds the name again while the tree runs changes nothing.
  variable_ref variable;
};

// Strings and picture constants are texts; the other classes are numbers.
inline bool is_text_class(value_class c) {
  return c == value_class::string || c == value_class::picture;
}

// Node constructors; each gives null when no memory is left or the tree
// would grow deeper than max_tree_depth (an operand that is null gives null,
// the operand being freed).
node* make_integer(std::int32_t value);
node* make_real(double value);
// Copies the text; doubled quotes are expected to be undone by the caller.
node* make_text(const char* text, std::uint32_t length, value_class result);
node* make_unary(std::uint8_t code, node* operand);
node* make_binary(std::uint8_t code, node* left, node* right);
node* make_call(const name_entry& callee);
node* make_variable(const variable_ref& variable, value_class result);
// `target` must be a variable node of a string; it becomes the slice node.
// A null `end` makes a one-byte subscript.
node* make_slice(node* target, node* start, node* end);
// Stores argument `index` of a call (the call's depth grows); false (the
// argument freed) when the tree would be too deep.
bool set_argument(node& call, std::uint32_t index, node* argument);

// Frees a tree and everything it owns; null does nothing.
void free_tree(node* root);

// The result class of a binary node over operands of the given classes.
value_class binary_class(std::uint8_t code, value_class left, value_class right);

}  // namespace eval
