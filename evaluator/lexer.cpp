#include "evaluator/lexer.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "evaluator/builtin_table.h"
#include "evaluator/letter_case.h"
#include "services/error_state.h"

namespace eval {
namespace {

// The bytes that are operators by themselves.
struct operator_byte {
  char c;
  std::uint8_t code;
};
constexpr operator_byte operator_bytes[] = {
    {'^', op_power}, {'*', op_multiply}, {'/', op_divide}, {'%', op_remainder},
    {'+', op_add},   {'-', op_subtract}, {'&', op_concat}, {'=', op_equal},
    {'<', op_less},  {'>', op_greater},  {'~', op_not},    {',', op_comma},
    {':', op_colon},
};
static_assert(sizeof operator_bytes / sizeof operator_bytes[0] == 13);

// Exponents beyond this only push a constant to infinity or zero.
constexpr int exponent_cap = 1000;

bool is_digit_byte(char c) {
  return c >= '0' && c <= '9';
}
bool starts_name(unsigned char c) {
  return c == '_' || c == '?' || is_letter(c);
}
bool continues_name(unsigned char c) {
  return c == '_' || c == ':' || is_letter(c) || is_digit(c);
}

}  // namespace

std::uint8_t operator_of(char c) {
  for (const operator_byte& entry : operator_bytes)
    if (entry.c == c) return entry.code;
  return 0;
}

std::size_t undouble_quotes(const char* text, std::size_t length, char* out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < length; ++i) {
    out[n++] = text[i];
    if (text[i] == '\'' && i + 1 < length && text[i + 1] == '\'') ++i;
  }
  return n;
}

void lexer::advance() {
  current_ = token{};
  while (cursor_ < end_ && (*cursor_ == ' ' || *cursor_ == '\t')) ++cursor_;
  if (cursor_ >= end_ || *cursor_ == '\0') {
    current_.kind = token_kind::end;
    return;
  }
  char c = *cursor_;
  if (starts_name(static_cast<unsigned char>(c))) return read_name();
  if (is_digit_byte(c) || c == '.') return read_number();
  if (c == '\'') return read_string();
  if (c == '@') return read_picture();
  ++cursor_;
  switch (c) {
    case '(':
      current_.kind = token_kind::open_paren;
      return;
    case ')':
      current_.kind = token_kind::close_paren;
      return;
    case '[':
      current_.kind = token_kind::open_bracket;
      return;
    case ']':
      current_.kind = token_kind::close_bracket;
      return;
    default:
      break;
  }
  current_.code = operator_of(c);
  current_.kind = current_.code != 0 ? token_kind::op : token_kind::error;
}

// A name runs over letters, digits, '_' and ':' with one trailing '#', '$'
// or '"'. A name too long for the 100-byte name buffer is refused, as is one
// that no scope binds (error 801).
void lexer::read_name() {
  const char* start = cursor_++;
  while (cursor_ < end_ && continues_name(static_cast<unsigned char>(*cursor_))) ++cursor_;
  if (cursor_ < end_ && (*cursor_ == '#' || *cursor_ == '$' || *cursor_ == '"')) ++cursor_;
  std::size_t length = static_cast<std::size_t>(cursor_ - start);
  if (length > max_name_length) return fail();
  const name_entry* entry = names().find(start, length);
  if (entry == nullptr) {
    char detail[max_name_length + 3] = " (";
    std::memcpy(detail + 2, start, length);
    detail[length + 2] = ')';
    svc::error_state().post(svc::err::no_bind_on_variable, {detail, length + 3});
    return fail();
  }
  current_.text = start;
  current_.length = length;
  current_.entry = entry;
  switch (entry->kind) {
    case entry_kind::word_operator:
      current_.kind = token_kind::op;
      current_.code = entry->code;
      break;
    case entry_kind::function:
      current_.kind = token_kind::function;
      break;
    case entry_kind::variable:
      current_.kind = token_kind::variable;
      break;
  }
}

// Digits form a 32-bit integer constant; with a '.' and at least one digit
// after it they form a real, with an optional exponent. An integer that does
// not fit in 32 bits is refused rather than wrapped.
void lexer::read_number() {
  std::uint64_t integer = 0;
  double value = 0;
  while (cursor_ < end_ && is_digit_byte(*cursor_)) {
    int digit = *cursor_++ - '0';
    if (integer <= INT32_MAX) integer = integer * 10 + static_cast<std::uint64_t>(digit);
    value = value * 10 + digit;
  }
  if (cursor_ >= end_ || *cursor_ != '.') {
    if (integer > INT32_MAX) return fail();
    current_.kind = token_kind::integer;
    current_.integer = static_cast<std::int32_t>(integer);
    return;
  }
  ++cursor_;
  if (!read_fraction(value) || !std::isfinite(value)) return fail();
  current_.kind = token_kind::real;
  current_.real = value;
}

// After the point: digits (at least one), then an optional exponent. The
// digits extend `value`; the count of fraction digits, less the exponent,
// is the power of ten that divides it.
bool lexer::read_fraction(double& value) {
  int count = 0;
  if (cursor_ >= end_ || !is_digit_byte(*cursor_)) return false;
  while (cursor_ < end_ && is_digit_byte(*cursor_)) {
    value = value * 10 + (*cursor_++ - '0');
    if (count < exponent_cap) ++count;
  }
  if (cursor_ < end_ && (*cursor_ == 'E' || *cursor_ == 'e')) {
    ++cursor_;
    bool negative = cursor_ < end_ && *cursor_ == '-';
    if (cursor_ < end_ && (*cursor_ == '-' || *cursor_ == '+')) ++cursor_;
    if (cursor_ >= end_ || !is_digit_byte(*cursor_)) return false;
    int exponent = 0;
    while (cursor_ < end_ && is_digit_byte(*cursor_)) {
      if (exponent < exponent_cap) exponent = exponent * 10 + (*cursor_ - '0');
      ++cursor_;
    }
    count += negative ? exponent : -exponent;
  }
  value = count >= 0 ? value / std::pow(10.0, count) : value * std::pow(10.0, -count);
  return true;
}

// A quoted constant: two quotes in a row stand for one; the text must close.
void lexer::read_string() {
  const char* start = ++cursor_;
  for (;;) {
    if (cursor_ >= end_ || *cursor_ == '\0') return fail();
    if (*cursor_ == '\'') {
      if (cursor_ + 1 < end_ && cursor_[1] == '\'') {
        cursor_ += 2;
        continue;
      }
      break;
    }
    ++cursor_;
  }
  current_.kind = token_kind::string;
  current_.text = start;
  current_.length = static_cast<std::size_t>(cursor_ - start);
  ++cursor_;  // the closing quote
}

// A picture runs to a space, comma or ')' outside parentheses and outside a
// '~' quoted part of an @N picture, or to the closing letter of an @P...P
// picture (with a final B after it).
void lexer::read_picture() {
  const char* start = cursor_++;
  char kind =
      cursor_ < end_ ? static_cast<char>(upper_byte(static_cast<unsigned char>(*cursor_))) : 0;
  int depth = 0;
  bool quoted = false;
  for (const char* first = cursor_; cursor_ < end_ && *cursor_ != '\0'; ++cursor_) {
    char c = *cursor_;
    if (kind == 'P' && cursor_ != first && (c == 'P' || c == 'p')) {
      ++cursor_;
      if (cursor_ < end_ && (*cursor_ == 'B' || *cursor_ == 'b')) ++cursor_;
      break;
    }
    if (kind == 'N' && c == '~') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    if (c == ')') {
      if (depth == 0) break;
      --depth;
    }
    if ((c == ' ' || c == ',') && depth == 0) break;
  }
  current_.kind = token_kind::picture;
  current_.text = start;
  current_.length = static_cast<std::size_t>(cursor_ - start);
}

}  // namespace eval
