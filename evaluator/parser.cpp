#include "evaluator/parser.h"

#include <initializer_list>

#include "evaluator/builtin_table.h"
#include "evaluator/lexer.h"
#include "services/heap.h"

namespace eval {
namespace {

// Two operator tokens in a row that read as one comparison.
struct joined_comparison {
  std::uint8_t first;
  std::uint8_t second;
  std::uint8_t joined;
};
constexpr joined_comparison joins[] = {
    {op_less, op_greater, op_not_equal},      {op_less, op_equal, op_less_equal},
    {op_greater, op_equal, op_greater_equal}, {op_equal, op_less, op_less_equal},
    {op_equal, op_greater, op_greater_equal}, {op_not, op_equal, op_not_equal},
    {op_not, op_less, op_greater_equal},      {op_not, op_greater, op_less_equal},
};

std::uint8_t join(std::uint8_t first, std::uint8_t second) {
  for (const joined_comparison& j : joins)
    if (j.first == first && j.second == second) return j.joined;
  return 0;
}

bool starts_comparison(std::uint8_t code) {
  return (code >= op_equal && code <= op_greater_equal) || code == op_not;
}

class parser {
 public:
  parser(const char* text, std::size_t length) : lex_(text, length) { lex_.advance(); }

  node* whole() {
    node* root = expression();
    if (root != nullptr && (tok().kind != token_kind::end || !lex_.at_end())) {
      free_tree(root);
      return nullptr;
    }
    return root;
  }

 private:
  const token& tok() const { return lex_.current(); }
  bool at_operator(std::uint8_t code) const {
    return tok().kind == token_kind::op && tok().code == code;
  }
  bool at_any_of(std::initializer_list<std::uint8_t> codes) const {
    if (tok().kind != token_kind::op) return false;
    for (std::uint8_t code : codes)
      if (tok().code == code) return true;
    return false;
  }

  // Left-associative chain: operand {op operand} for the given operators.
  node* chain(node* (parser::*operand)(), std::initializer_list<std::uint8_t> codes) {
    node* left = (this->*operand)();
    while (left != nullptr && at_any_of(codes)) {
      std::uint8_t code = tok().code;
      lex_.advance();
      left = make_binary(code, left, (this->*operand)());
    }
    return left;
  }

  // expression -> conjunction {(OR | XOR) conjunction}; it stops quietly at
  // ',' or ':', and any other operator here is an error.
  node* expression() {
    if (nesting_ >= max_nesting) return nullptr;
    ++nesting_;
    node* result = chain(&parser::conjunction, {op_or, op_xor});
    --nesting_;
    if (result != nullptr && tok().kind == token_kind::op && !at_any_of({op_comma, op_colon})) {
      free_tree(result);
      return nullptr;
    }
    return result;
  }

  // conjunction -> negation {AND negation}
  node* conjunction() { return chain(&parser::negation, {op_and}); }

  // negation -> {NOT | '~'} comparison; an even count cancels out.
  node* negation() {
    unsigned count = 0;
    for (; at_operator(op_not); lex_.advance()) ++count;
    node* operand = comparison();
    return count % 2 == 1 ? make_unary(op_not, operand) : operand;
  }

  // comparison -> concatenation [relop concatenation], where a relop may be
  // two operator tokens joined into one (<>, <=, >=, ~=, ~<, ~>).
  node* comparison() {
    node* left = concatenation();
    if (left == nullptr || tok().kind != token_kind::op || !starts_comparison(tok().code))
      return left;
    std::uint8_t code = tok().code;
    lex_.advance();
    if (tok().kind == token_kind::op) {
      if (std::uint8_t joined = join(code, tok().code)) {
        code = joined;
        lex_.advance();
      }
    }
    if (code == op_not) {  // '~' alone compares nothing
      free_tree(left);
      return nullptr;
    }
    return make_binary(code, left, concatenation());
  }

  // concatenation -> sum {'&' sum}
  node* concatenation() { return chain(&parser::sum, {op_concat}); }

  // sum -> product {('+' | '-') product}
  node* sum() { return chain(&parser::product, {op_add, op_subtract}); }

  // product -> power {('*' | '/' | '%') power}
  node* product() { return chain(&parser::power, {op_multiply, op_divide, op_remainder}); }

  // power -> signed {'^' signed}   (left-associative: 2^3^2 is 64)
  node* power() { return chain(&parser::signed_operand, {op_power}); }

  // signed -> {'-' | '+'} primary; an odd count of '-' negates.
  node* signed_operand() {
    unsigned minus = 0;
    for (; at_any_of({op_add, op_subtract}); lex_.advance())
      if (tok().code == op_subtract) ++minus;
    if (tok().kind == token_kind::op) return nullptr;  // no other operator starts an operand
    node* operand = primary();
    return minus % 2 == 1 ? make_unary(op_negate, operand) : operand;
  }

  // primary -> '(' expression ')' | constant | picture | variable [subscript]
  //          | function '(' [expression {',' expression}] ')'
  node* primary() {
    const token t = tok();
    switch (t.kind) {
      case token_kind::open_paren:
        return parenthesised();
      case token_kind::integer:
        lex_.advance();
        return make_integer(t.integer);
      case token_kind::real:
        lex_.advance();
        return make_real(t.real);
      case token_kind::string:
        lex_.advance();
        return string_constant(t);
      case token_kind::picture:
        lex_.advance();
        return make_text(t.text, static_cast<std::uint32_t>(t.length), value_class::picture);
      case token_kind::variable:
        lex_.advance();
        return variable_reference(*t.entry);
      case token_kind::function:
        lex_.advance();
        return call(*t.entry);
      default:
        return nullptr;
    }
  }

  node* parenthesised() {
    lex_.advance();
    node* inner = expression();
    if (inner == nullptr || tok().kind != token_kind::close_paren) {
      free_tree(inner);
      return nullptr;
    }
    lex_.advance();
    return inner;
  }

  static node* string_constant(const token& t) {
    node* n = make_text(t.text, static_cast<std::uint32_t>(t.length), value_class::string);
    if (n != nullptr && n->text != nullptr)
      n->length = static_cast<std::uint32_t>(undouble_quotes(n->text, n->length, n->text));
    return n;
  }

  // subscript -> '[' expression [':' expression] ']': one byte of a bound
  // string, or the bytes from start to end. Bound variables carry no array
  // dimensions, so a list of subscripts has nothing to index and fails.
  node* variable_reference(const name_entry& entry) {
    node* target = make_variable(*entry.variable, entry.result);
    if (target == nullptr || tok().kind != token_kind::open_bracket) return target;
    lex_.advance();
    node* start = expression();
    node* end = nullptr;
    bool ok = start != nullptr;
    if (ok && at_operator(op_colon)) {
      lex_.advance();
      end = expression();
      ok = end != nullptr;
    }
    if (!ok || tok().kind != token_kind::close_bracket) {
      free_tree(target);
      free_tree(start);
      free_tree(end);
      return nullptr;
    }
    lex_.advance();
    return make_slice(target, start, end);
  }

  // A call must have its parentheses; it may supply fewer arguments than the
  // callee takes (the rest stay empty) but never more.
  node* call(const name_entry& callee) {
    if (tok().kind != token_kind::open_paren) return nullptr;
    lex_.advance();
    node* n = make_call(callee);
    if (n == nullptr) return nullptr;
    if (tok().kind == token_kind::close_paren) {
      lex_.advance();
      return n;
    }
    for (std::uint32_t index = 0;; ++index) {
      if (index >= n->arg_slots || !set_argument(*n, index, expression())) break;
      if (at_operator(op_comma)) {
        lex_.advance();
        continue;
      }
      if (tok().kind != token_kind::close_paren) break;
      lex_.advance();
      return n;
    }
    free_tree(n);
    return nullptr;
  }

  lexer lex_;
  unsigned nesting_ = 0;
};

}  // namespace

node* compile(const char* text, std::size_t length) {
  names().ensure_builtins();
  parser p(text, length);
  return p.whole();
}

}  // namespace eval
