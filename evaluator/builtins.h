// The built-in functions of expressions. Each carries out the runtime
// operation of its name, evaluating its arguments in the mode that operation
// needs and passing the language's defaults for absent trailing arguments.
#pragma once

#include <cstdint>

#include "evaluator/expression_tree.h"

namespace eval {

// Runs a call node of a built-in of string, integer or real result class.
void builtin_string(const node& call);  // pushes the result
std::int32_t builtin_integer(const node& call);
double builtin_real(const node& call);

// Results of real arithmetic that are not finite (a square root of a negative
// number, a logarithm of 0, an overflowing power) become 0: the runtime's
// numbers never fail.
double finite_or_zero(double value);

// Forgets the RANDOM sequence, so that the next RANDOM seeds it again.
void reset_builtins();
// Seeds RANDOM with a fixed value (tests).
void seed_random(std::uint64_t seed);

}  // namespace eval
