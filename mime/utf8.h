// UTF-8, the text of options, body files and headers: one character at a time, with
// every malformed sequence (a stray continuation byte, a cut-off sequence, an
// overlong form, a surrogate, a value past U+10FFFF) told apart from text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mime {

struct Utf8Char {
  char32_t code_point = 0;
  uint32_t length = 0;  // bytes taken, 1 to 4; 0 when the bytes are not UTF-8
  bool valid() const { return length != 0; }
};

// The character that begins at `at` (which must lie inside `text`).
Utf8Char decode_utf8(std::string_view text, size_t at);

// The offset of the first byte that does not begin a well-formed character;
// npos when the whole text is UTF-8.
size_t first_invalid_utf8(std::string_view text);

// Checks a text that arrives in pieces, cut anywhere, and counts its lines
// (LF ends one), so that a refusal can name the line of the first malformed
// sequence. Holds at most the three bytes of a character cut by a piece.
class Utf8Check {
 public:
  // False from the first malformed sequence on.
  bool feed(std::string_view piece);
  // False when the text was malformed or ends inside a character.
  bool finish();
  // The line (from 1) of the first malformed sequence; until one comes, the
  // line being read.
  size_t line() const { return line_; }

 private:
  bool malformed();

  std::string held_;  // the start of a character cut off by the end of a piece
  size_t line_ = 1;
  bool malformed_ = false;
};

// Appends the UTF-8 bytes of a code point (at most U+10FFFF, no surrogate).
void append_utf8(std::string& out, char32_t code_point);

}  // namespace mime
