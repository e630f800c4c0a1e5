#include "evaluator/soundex.h"

#include "evaluator/letter_case.h"

namespace eval {
namespace {

// Digit of each letter A to Z; 0 means the letter adds no digit.
constexpr char letter_digits[] = "01230120022455012623010202";
static_assert(sizeof letter_digits - 1 == 26, "one digit per letter A to Z");

char digit_of(unsigned char upper) {
  return upper >= 'A' && upper <= 'Z' ? letter_digits[upper - 'A'] : '0';
}

}  // namespace

// The digit remembered is that of the first letter only, so a later letter
// with that digit is always skipped while repeats among later letters are
// written again (ACCA gives A220).
sound_code sound_code_of(const char* text, std::size_t length) {
  sound_code code{' ', '0', '0', '0'};
  std::size_t i = 0;
  while (i < length && !is_letter(static_cast<unsigned char>(text[i]))) ++i;
  if (i == length) return {'!', '0', '0', '0'};
  unsigned char first = upper_byte(static_cast<unsigned char>(text[i]));
  code[0] = static_cast<char>(first);
  char first_digit = digit_of(first);
  std::size_t place = 1;
  for (++i; i < length && place < code.size(); ++i) {
    char digit = digit_of(upper_byte(static_cast<unsigned char>(text[i])));
    if (digit == '0' || digit == first_digit) continue;
    code[place++] = digit;
  }
  return code;
}

}  // namespace eval
