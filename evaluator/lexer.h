// The lexer of expressions: one token at a time from a NUL-terminated work
// buffer. Names are looked up as they are read, so a token already says
// whether a name is a word operator, a function or a variable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "evaluator/names_table.h"

namespace eval {

enum class token_kind : std::uint8_t {
  op,  // `code` holds the operator code (word operators included)
  open_paren,
  close_paren,
  open_bracket,
  close_bracket,
  integer,   // `integer`
  real,      // `real`
  string,    // `text`/`length` inside the buffer, doubled quotes not yet undone
  picture,   // `text`/`length` inside the buffer, the '@' included
  function,  // `entry`: a built-in or bound procedure
  variable,  // `entry`: a bound variable
  end,
  error,
};

struct token {
  token_kind kind = token_kind::end;
  std::uint8_t code = 0;
  std::int32_t integer = 0;
  double real = 0;
  const char* text = nullptr;
  std::size_t length = 0;
  const name_entry* entry = nullptr;
};

class lexer {
 public:
  // `text` must stay valid and end with a NUL at text[length].
  lexer(const char* text, std::size_t length) : cursor_(text), end_(text + length) {}

  // Reads the next token into current().
  void advance();
  const token& current() const { return current_; }
  // True when the cursor has reached the end of the buffer.
  bool at_end() const { return cursor_ >= end_; }

 private:
  void read_name();
  void read_number();
  bool read_fraction(double& value);
  void read_string();
  void read_picture();
  void fail() { current_.kind = token_kind::error; }

  const char* cursor_;
  const char* end_;
  token current_;
};

// The operator code of a one-byte operator, or 0 for any other byte.
std::uint8_t operator_of(char c);

// Copies a quoted constant's text with each doubled quote made single;
// returns the new length. `out` holds at least `length` bytes.
std::size_t undouble_quotes(const char* text, std::size_t length, char* out);

}  // namespace eval
