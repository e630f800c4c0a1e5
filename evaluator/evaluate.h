// The expression evaluator as the program sees it: BIND makes a procedure or
// variable callable by name, PUSHSCOPE and POPSCOPE nest the names, and
// EVALUATE compiles a text expression, runs it and leaves its value on the
// string stack. This is how the program's command line is run: it binds its
// message procedure and evaluates the call text it was given.
#pragma once

#include <cstdint>

#include "evaluator/expression_tree.h"
#include "evaluator/names_table.h"

namespace eval {

// BIND(name, procedure, argument count, return type): the name is popped from
// the string stack. A call passes every argument as a string, the first on
// top of the stack; the procedure pops them and returns an integer.
void BIND(bound_procedure procedure, std::int32_t argument_count, std::int32_t return_type);
// BIND(name, variable): the name is popped from the string stack.
void BIND(const variable_ref& variable);

// Opens a scope; a zero argument hides the names bound outside it.
void PUSHSCOPE(std::int32_t keep_outer_names);
// Closes the innermost scope; with none open this is runtime error 802.
void POPSCOPE();

// Pops the expression text, compiles and evaluates it, and pushes its value
// as a string. A text that does not compile, or whose evaluation cannot be
// carried out, pushes the empty string and sets error 800; nothing is called.
void EVALUATE();

// Tree evaluation in the three modes (used by EVALUATE and the built-ins).
void push_string(const node& n);
std::int32_t integer_value(const node& n);
double real_value(const node& n);
// A string is true when it is not blank, a number when it is not zero.
bool truth_value(const node& n);

// Marks the running evaluation as failed: EVALUATE then discards its value
// and reports error 800.
void fail_evaluation();

// Frees every names table and scope and empties the pattern cache. Used
// between tests.
void reset_evaluator();

}  // namespace eval
