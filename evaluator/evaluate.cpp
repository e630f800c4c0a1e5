#include "evaluator/evaluate.h"

#include <cmath>
#include <cstring>

#include "evaluator/builtin_table.h"
#include "evaluator/builtins.h"
#include "evaluator/parser.h"
#include "evaluator/regex.h"
#include "runtime/date_time.h"
#include "runtime/number_text.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "services/runtime_error.h"

namespace eval {
namespace {

// Set when the running evaluation could not be carried out (see
// fail_evaluation); owned by EVALUATE, which saves it around nested runs.
bool evaluation_failed = false;

bool is_arithmetic(std::uint8_t code) {
  return code >= op_power && code <= op_subtract;
}

bool is_comparison(std::uint8_t code) {
  return code >= op_equal && code <= op_greater_equal;
}

rt::StringStack& stack() {
  return rt::string_stack();
}

// --- variables ---

template <class T>
T load(const void* address) {
  T value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

std::int64_t integer_variable(const variable_ref& v) {
  switch (v.type_code) {
    case rt::TYPE_BYTE:
      return load<std::uint8_t>(v.address);
    case rt::TYPE_SHORT:
      return load<std::int16_t>(v.address);
    case rt::TYPE_USHORT:
      return load<std::uint16_t>(v.address);
    case rt::TYPE_ULONG:
      return load<std::uint32_t>(v.address);
    case rt::TYPE_DATE:
      return rt::packed_date_to_serial(load<rt::PackedDate>(v.address));
    case rt::TYPE_TIME:
      return rt::packed_time_to_serial(load<rt::PackedTime>(v.address));
    default:
      return load<std::int32_t>(v.address);
  }
}

double real_variable(const variable_ref& v) {
  if (v.type_code == rt::TYPE_SREAL) return load<float>(v.address);
  return load<double>(v.address);
}

// Pushes a string variable's text borrowed from its storage.
void push_string_variable(const variable_ref& v) {
  auto* text = static_cast<char*>(v.address);
  if (v.type_code == rt::TYPE_CSTRING) {
    const void* nul = v.size > 0 ? std::memchr(text, '\0', v.size) : nullptr;
    std::uint32_t length = nul != nullptr
                               ? static_cast<std::uint32_t>(static_cast<const char*>(nul) - text)
                               : (v.size > 0 ? v.size - 1 : 0);
    stack().push_borrowed(text, length);
  } else if (v.type_code == rt::TYPE_PSTRING) {
    std::uint32_t length = v.size > 0 ? static_cast<unsigned char>(text[0]) : 0;
    if (length + 1 > v.size) length = v.size > 0 ? v.size - 1 : 0;
    stack().push_borrowed(text + 1, length);
  } else {
    stack().push_borrowed(text, v.size);
  }
}

void push_integer_text(std::int64_t value) {
  if (value >= INT32_MIN && value <= INT32_MAX)
    stack().push_integer(static_cast<std::int32_t>(value));
  else
    stack().push_real(static_cast<double>(value));
}

void push_variable(const node& n) {
  switch (n.result) {
    case value_class::integer:
      return push_integer_text(integer_variable(n.variable));
    case value_class::real:
      return stack().push_real(real_variable(n.variable));
    default:
      return push_string_variable(n.variable);
  }
}

// s[start] is one byte, s[start:end] the bytes from start to end (from 1).
// An end before the start gives the empty string.
void push_slice(const node& n) {
  push_string_variable(n.variable);
  std::int32_t start = integer_value(*n.left);
  std::int32_t end = n.right != nullptr ? integer_value(*n.right) : start;
  if (start < 1) start = 1;
  if (end < start) {
    stack().discard();
    stack().push_empty();
    return;
  }
  rt::sub(start, end - start + 1);
}

// --- calls ---

// Pushes every argument slot from the last to the first (an absent one as
// the empty string) so that the first argument ends on top, and calls the
// procedure. Entries the procedure leaves behind are dropped, so a careless
// procedure cannot shift the value of the expression.
std::int32_t call_procedure(const node& n) {
  std::uint32_t base = stack().depth();
  if (base + n.arg_slots > rt::kStackCapacity) {
    fail_evaluation();  // the arguments would not fit on the string stack
    return 0;
  }
  for (std::uint32_t i = n.arg_slots; i-- > 0;) {
    if (n.args[i] != nullptr)
      push_string(*n.args[i]);
    else
      stack().push_empty();
  }
  std::int32_t result = n.procedure();
  while (stack().depth() > base) stack().discard();
  return result;
}

// --- operators ---

// Arithmetic in double precision. Division and remainder by zero give 0, and
// so does a power without a real result, as the runtime's numbers never fail.
double arithmetic(std::uint8_t code, double left, double right) {
  switch (code) {
    case op_add:
      return left + right;
    case op_subtract:
      return left - right;
    case op_multiply:
      return left * right;
    case op_divide:
      return right == 0 ? 0.0 : left / right;
    case op_remainder:
      return rt::real_remainder(left, right);
    default:
      return finite_or_zero(std::pow(left, right));
  }
}

bool compare_result(std::uint8_t code, int order) {
  switch (code) {
    case op_equal:
      return order == 0;
    case op_not_equal:
      return order != 0;
    case op_less:
      return order < 0;
    case op_greater:
      return order > 0;
    case op_less_equal:
      return order <= 0;
    default:
      return order >= 0;
  }
}

// Integers compare as integers, texts by the collating comparison (trailing
// blanks ignored), anything else as reals.
bool comparison(const node& n) {
  const node& l = *n.left;
  const node& r = *n.right;
  int order = 0;
  if (l.result == value_class::integer && r.result == value_class::integer) {
    std::int32_t a = integer_value(l), b = integer_value(r);
    order = (a > b) - (a < b);
  } else if (is_text_class(l.result) && is_text_class(r.result)) {
    push_string(l);
    push_string(r);
    std::int32_t c = rt::compare();
    order = (c > 0) - (c < 0);
  } else {
    double a = real_value(l), b = real_value(r);
    order = (a > b) - (a < b);
  }
  return compare_result(n.code, order);
}

bool logical(const node& n) {
  bool a = truth_value(*n.left);
  bool b = truth_value(*n.right);
  if (n.code == op_and) return a && b;
  if (n.code == op_or) return a || b;
  return a != b;
}

// The value of a comparison, truth operator or NOT node: 1 or 0.
std::int32_t truth_node_value(const node& n) {
  if (n.kind == node_kind::unary) return truth_value(*n.left) ? 0 : 1;
  if (is_comparison(n.code)) return comparison(n) ? 1 : 0;
  return logical(n) ? 1 : 0;
}

double operator_real(const node& n) {
  if (n.kind == node_kind::unary)
    return n.code == op_negate ? -real_value(*n.left) : truth_node_value(n);
  if (is_arithmetic(n.code)) return arithmetic(n.code, real_value(*n.left), real_value(*n.right));
  if (n.code == op_concat) {
    push_string(n);
    return rt::pop_real();
  }
  return truth_node_value(n);
}

std::int32_t operator_integer(const node& n) {
  if (n.code == op_negate) {
    if (n.left->result == value_class::integer)
      return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(integer_value(*n.left)));
    return rt::real_to_integer(-real_value(*n.left));
  }
  if (n.kind == node_kind::binary && is_arithmetic(n.code))
    return rt::real_to_integer(operator_real(n));
  if (n.code == op_concat) {
    push_string(n);
    return rt::pop_integer();
  }
  return truth_node_value(n);
}

}  // namespace

void fail_evaluation() {
  evaluation_failed = true;
}

// --- the three modes ---

void push_string(const node& n) {
  switch (n.kind) {
    case node_kind::constant:
      if (n.result == value_class::integer) return stack().push_integer(n.integer);
      if (n.result == value_class::real) return stack().push_real(n.real);
      return stack().push_borrowed(n.text, n.length);
    case node_kind::variable:
      return push_variable(n);
    case node_kind::slice:
      return push_slice(n);
    case node_kind::call:
      if (n.code == bound_call) return stack().push_integer(call_procedure(n));
      if (is_text_class(n.result)) return builtin_string(n);
      if (n.result == value_class::integer) return stack().push_integer(builtin_integer(n));
      return stack().push_real(builtin_real(n));
    case node_kind::unary:
    case node_kind::binary:
      if (n.code == op_concat) {
        push_string(*n.left);
        push_string(*n.right);
        return rt::concat();
      }
      if (is_arithmetic(n.code)) return stack().push_real(operator_real(n));
      return stack().push_integer(truth_node_value(n));
  }
}

std::int32_t integer_value(const node& n) {
  switch (n.kind) {
    case node_kind::constant:
      if (n.result == value_class::integer) return n.integer;
      if (n.result == value_class::real) return rt::real_to_integer(n.real);
      break;
    case node_kind::variable:
      if (n.result == value_class::integer)
        return static_cast<std::int32_t>(integer_variable(n.variable));
      if (n.result == value_class::real) return rt::real_to_integer(real_variable(n.variable));
      break;
    case node_kind::call:
      if (n.code == bound_call) return call_procedure(n);
      if (n.result == value_class::integer) return builtin_integer(n);
      if (n.result == value_class::real) return rt::real_to_integer(builtin_real(n));
      break;
    case node_kind::unary:
    case node_kind::binary:
      return operator_integer(n);
    case node_kind::slice:
      break;
  }
  push_string(n);
  return rt::pop_integer();
}

double real_value(const node& n) {
  switch (n.kind) {
    case node_kind::constant:
      if (n.result == value_class::integer) return n.integer;
      if (n.result == value_class::real) return n.real;
      break;
    case node_kind::variable:
      if (n.result == value_class::integer)
        return static_cast<double>(integer_variable(n.variable));
      if (n.result == value_class::real) return real_variable(n.variable);
      break;
    case node_kind::call:
      if (n.code == bound_call) return call_procedure(n);
      if (n.result == value_class::integer) return builtin_integer(n);
      if (n.result == value_class::real) return builtin_real(n);
      break;
    case node_kind::unary:
    case node_kind::binary:
      return operator_real(n);
    case node_kind::slice:
      break;
  }
  push_string(n);
  return rt::pop_real();
}

bool truth_value(const node& n) {
  if (n.result == value_class::integer) return integer_value(n) != 0;
  if (n.result == value_class::real) return real_value(n) != 0;
  push_string(n);
  return rt::truth();
}

// --- the statements ---

void BIND(bound_procedure procedure, std::int32_t argument_count, std::int32_t return_type) {
  if (stack().empty()) return;
  stack().make_top_plain();
  const rt::StackEntry& name = stack().peek();
  names().bind_procedure(name.text, name.length, procedure,
                         argument_count > 0 ? static_cast<std::uint32_t>(argument_count) : 0,
                         return_type);
  stack().discard();
}

void BIND(const variable_ref& variable) {
  if (stack().empty()) return;
  stack().make_top_plain();
  const rt::StackEntry& name = stack().peek();
  names().bind_variable(name.text, name.length, variable);
  stack().discard();
}

void PUSHSCOPE(std::int32_t keep_outer_names) {
  names().push_scope(keep_outer_names != 0);
}

void POPSCOPE() {
  if (!names().pop_scope())
    svc::raise_runtime_error(svc::err::mismatched_scope, "Mismatched POPSCOPE");
}

namespace {

// Runs a compiled tree; true when its value is on top of the stack.
bool run(const node& tree) {
  bool outer_failed = evaluation_failed;
  evaluation_failed = false;
  std::uint32_t base = stack().depth();
  push_string(tree);
  bool ok = !evaluation_failed && stack().depth() == base + 1;
  evaluation_failed = outer_failed;
  if (ok) {
    stack().make_top_stable();  // the value may borrow from the tree
    return true;
  }
  while (stack().depth() > base) stack().discard();
  return false;
}

}  // namespace

void EVALUATE() {
  svc::ErrorState& errors = svc::error_state();
  if (errors.code() != 0) errors.clear();
  rt::clip();
  rt::HeapString expression = stack().pop_into_heap();
  auto* buffer = static_cast<char*>(svc::allocate(expression.length + 1));
  node* tree = nullptr;
  if (buffer != nullptr) {
    if (expression.length > 0) std::memcpy(buffer, expression.text, expression.length);
    buffer[expression.length] = '\0';
    tree = compile(buffer, expression.length);
  }
  rt::release_heap_string(expression);
  bool ok = tree != nullptr && run(*tree);
  free_tree(tree);
  if (!ok) {
    stack().push_empty();
    errors.post(svc::err::invalid_expression);
  }
  svc::release(buffer);
}

void reset_evaluator() {
  names().reset();
  the_regex_cache().reset();
  reset_builtins();
}

}  // namespace eval
