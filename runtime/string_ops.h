// The string primitives of the language, working on the process-wide string
// stack. Operands are pushed left to right, so a binary operation finds its
// left operand one below the top. Each primitive consumes its operands and
// leaves its result on the stack or returns it. None of them fails: a failed
// allocation gives an empty string and indexes out of range give a shorter
// result; no byte outside the operands is read or written.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace rt {

// The length of a text without its trailing spaces (0x20 only): the
// runtime's fixed-length strings are padded with them.
// Fields are mostly padding (a call text has room for 10,000 bytes), so the
// padding is passed over eight bytes at a time.
template <class Length>
constexpr Length clipped_length(const char* text, Length length) {
  if (!std::is_constant_evaluated()) {
    constexpr uint64_t eight_spaces = 0x2020202020202020;
    uint64_t word = eight_spaces;
    while (length >= 8 && (std::memcpy(&word, text + length - 8, 8), word == eight_spaces)) length -= 8;
  }
  while (length > 0 && text[length - 1] == ' ') --length;
  return length;
}
constexpr std::string_view clipped_text(std::string_view text) {
  return text.substr(0, clipped_length(text.data(), text.size()));
}

// left & right (right on top); the result is pushed owned.
void concat();
// The same with the operands in the other order (left on top).
void concat_reversed();

// Collating comparison of left (below) and right (top); both popped.
// Negative, 0 or positive; trailing spaces never decide.
int32_t compare();
// The same, with lower-case letters folded to upper case first.
int32_t compare_nocase();

// Removes trailing spaces (0x20 only) from the top entry; no copy.
void clip();
// Pops the top entry and returns its length.
uint32_t len();

// The optional length of LEFT, RIGHT and CENTER: -1 when omitted.
constexpr int32_t kLengthOmitted = -1;
// LEFT(s [, n]): leading spaces removed, then the length set to n (default
// the length s had).
void left(int32_t n = kLengthOmitted);
// RIGHT(s [, n]): s clipped and right-aligned in n bytes.
void right(int32_t n = kLengthOmitted);
// CENTER(s [, n]): the trimmed content centred in n bytes, an odd spare
// space going to the left.
void center(int32_t n = kLengthOmitted);
// Shortens the top to n bytes, or extends it with spaces into an owned block.
void set_length(uint32_t n);
// SUB(s, start, length): start from 1 (negative counts from the end);
// a negative length takes everything to the end.
void sub(int32_t start, int32_t length);
// ALL(s, n): n bytes repeating s. An empty s gives n spaces.
void all(uint32_t n);

// Case conversion by the locale's tables.
void upper();
void lower();
void upper_cstring(char* text);
void lower_cstring(char* text);
void upper_counted(char* text, uint32_t length);
void lower_counted(char* text, uint32_t length);

// INSTRING(substring, string, step, start): the substring was pushed first,
// the string is on top; both popped. Returns the 1-based position (the
// step-slot number when step > 1) or 0. Step 0 means the substring's length.
int32_t instring(uint32_t step, int32_t start);
// The same search over two texts in memory, for callers off the stack.
int32_t instring_text(const char* sub, uint32_t sub_length, const char* text, uint32_t text_length,
                      uint32_t step, int32_t start);

// INLIST(value, item1, ..., itemN): the value was pushed first and the items
// after it; all popped. Returns the 1-based number of the first item equal to
// the value by the collating comparison, or 0.
int32_t inlist(uint32_t item_count);

// NUMERIC(s): 1 when the clipped text (first 39 bytes) is a whole number
// by the strtod rules, else 0. Pops s.
int32_t numeric();

// A string used as a condition: true when its clipped length is not 0.
// Pops it.
bool truth();

// Text to number, popping the value: a real from the clipped first 39
// bytes, an integer through the decimal accumulator (first 99 bytes).
double pop_real();
int32_t pop_integer();
// Pushes the value (first 99 bytes) onto the decimal accumulator.
void pop_to_decimal();

}  // namespace rt
