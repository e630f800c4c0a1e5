// The parser of expressions: recursive descent over ten precedence levels,
// building a tree of left-associative nodes.
#pragma once

#include <cstddef>

#include "evaluator/expression_tree.h"

namespace eval {

// How deeply parentheses, call arguments and subscripts may nest. Deeper
// text fails to compile instead of exhausting the process stack.
inline constexpr unsigned max_nesting = 64;

// Compiles the NUL-terminated `text` (text[length] is the NUL) into a tree.
// Null when the text is not one whole expression: a syntax error, an unbound
// name, a wrong argument count, trailing text, too deep a nesting, or no
// memory.
node* compile(const char* text, std::size_t length);

}  // namespace eval
