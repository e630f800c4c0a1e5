#include "evaluator/expression_tree.h"

#include <cstring>

#include "evaluator/builtin_table.h"
#include "services/heap.h"

namespace eval {
namespace {

node* new_node(node_kind kind, value_class result) {
  auto* n = static_cast<node*>(svc::allocate_zeroed(1, sizeof(node)));
  if (n == nullptr) return nullptr;
  n->kind = kind;
  n->result = result;
  n->depth = 1;
  return n;
}

std::uint32_t depth_above(const node* a, const node* b = nullptr) {
  std::uint32_t deepest = a->depth;
  if (b != nullptr && b->depth > deepest) deepest = b->depth;
  return deepest + 1;
}

}  // namespace

node* make_integer(std::int32_t value) {
  node* n = new_node(node_kind::constant, value_class::integer);
  if (n != nullptr) n->integer = value;
  return n;
}

node* make_real(double value) {
  node* n = new_node(node_kind::constant, value_class::real);
  if (n != nullptr) n->real = value;
  return n;
}

node* make_text(const char* text, std::uint32_t length, value_class result) {
  node* n = new_node(node_kind::constant, result);
  if (n == nullptr || length == 0) return n;
  n->text = static_cast<char*>(svc::allocate(length));
  if (n->text == nullptr) {
    svc::release(n);
    return nullptr;
  }
  std::memcpy(n->text, text, length);
  n->length = length;
  return n;
}

value_class binary_class(std::uint8_t code, value_class left, value_class right) {
  switch (code) {
    case op_concat:
      return value_class::string;
    case op_add:
    case op_subtract:
    case op_multiply:
    case op_remainder:
      return left == value_class::integer && right == value_class::integer ? value_class::integer
                                                                           : value_class::real;
    case op_divide:
    case op_power:
      return value_class::real;
    default:  // comparisons and truth operators
      return value_class::integer;
  }
}

node* make_unary(std::uint8_t code, node* operand) {
  if (operand == nullptr) return nullptr;
  value_class result = value_class::integer;
  if (code == op_negate && operand->result != value_class::integer) result = value_class::real;
  node* n = operand->depth < max_tree_depth ? new_node(node_kind::unary, result) : nullptr;
  if (n == nullptr) {
    free_tree(operand);
    return nullptr;
  }
  n->code = code;
  n->left = operand;
  n->depth = depth_above(operand);
  return n;
}

node* make_binary(std::uint8_t code, node* left, node* right) {
  node* n = nullptr;
  if (left != nullptr && right != nullptr && depth_above(left, right) <= max_tree_depth)
    n = new_node(node_kind::binary, binary_class(code, left->result, right->result));
  if (n == nullptr) {
    free_tree(left);
    free_tree(right);
    return nullptr;
  }
  n->code = code;
  n->left = left;
  n->right = right;
  n->depth = depth_above(left, right);
  return n;
}

node* make_call(const name_entry& callee) {
  node* n = new_node(node_kind::call, callee.result);
  if (n == nullptr) return nullptr;
  n->code = callee.code;
  n->procedure = callee.procedure;
  n->arg_slots = callee.max_args;
  if (callee.max_args > 0) {
    n->args = static_cast<node**>(svc::allocate_zeroed(callee.max_args, sizeof(node*)));
    if (n->args == nullptr) {
      svc::release(n);
      return nullptr;
    }
  }
  return n;
}

bool set_argument(node& call, std::uint32_t index, node* argument) {
  if (argument == nullptr || index >= call.arg_slots || argument->depth >= max_tree_depth) {
    free_tree(argument);
    return false;
  }
  call.args[index] = argument;
  if (index + 1 > call.arg_count) call.arg_count = index + 1;
  if (argument->depth + 1 > call.depth) call.depth = argument->depth + 1;
  return true;
}

node* make_variable(const variable_ref& variable, value_class result) {
  node* n = new_node(node_kind::variable, result);
  if (n != nullptr) n->variable = variable;
  return n;
}

node* make_slice(node* target, node* start, node* end) {
  bool ok = target != nullptr && start != nullptr && is_text_class(target->result) &&
            depth_above(start, end) <= max_tree_depth;
  if (!ok) {
    free_tree(target);
    free_tree(start);
    free_tree(end);
    return nullptr;
  }
  target->kind = node_kind::slice;
  target->result = value_class::string;
  target->left = start;
  target->right = end;
  target->depth = depth_above(start, end);
  return target;
}

void free_tree(node* root) {
  if (root == nullptr) return;
  free_tree(root->left);
  free_tree(root->right);
  for (std::uint32_t i = 0; i < root->arg_slots && root->args != nullptr; ++i)
    free_tree(root->args[i]);
  svc::release(root->args);
  svc::release(root->text);
  svc::release(root);
}

}  // namespace eval
