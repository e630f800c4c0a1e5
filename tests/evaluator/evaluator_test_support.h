// Test helpers for the evaluator: a clean runtime around each test, and
// EVALUATE as a function from text to text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "evaluator/evaluate.h"
#include "runtime/decimal.h"
#include "runtime/locale.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace eval_test {

inline void reset_runtime() {
  eval::reset_evaluator();
  rt::string_stack().reset();
  rt::decimal_accumulator().reset();
  svc::error_state().reset();
  rt::locale().reset();
}

// Resets the process-wide state that the evaluator touches before and after
// a test.
struct clean_runtime {
  clean_runtime() { reset_runtime(); }
  ~clean_runtime() { reset_runtime(); }
};

inline std::string pop_text() {
  rt::HeapString s = rt::string_stack().pop_into_heap();
  std::string text(s.text != nullptr ? s.text : "", s.length);
  rt::release_heap_string(s);
  return text;
}

// EVALUATE of `expression`: the text it leaves on the stack.
inline std::string evaluate(const std::string& expression) {
  rt::string_stack().push_borrowed(expression.data(),
                                   static_cast<std::uint32_t>(expression.size()));
  eval::EVALUATE();
  return pop_text();
}

inline std::int32_t error_code() {
  return svc::error_state().code();
}

// True when the expression does not compile: empty value and error 800.
inline bool invalid(const std::string& expression) {
  return evaluate(expression).empty() && error_code() == svc::err::invalid_expression;
}

inline void bind(const std::string& name, eval::bound_procedure procedure, std::int32_t arguments,
                 std::int32_t return_type = rt::TYPE_LONG) {
  rt::string_stack().push_borrowed(name.data(), static_cast<std::uint32_t>(name.size()));
  eval::BIND(procedure, arguments, return_type);
}

inline void bind(const std::string& name, void* address, std::int32_t type_code,
                 std::uint32_t size = 0) {
  rt::string_stack().push_borrowed(name.data(), static_cast<std::uint32_t>(name.size()));
  eval::BIND(eval::variable_ref{address, type_code, size});
}

}  // namespace eval_test
