#include "evaluator/letter_case.h"

namespace eval {

unsigned char upper_byte(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
unsigned char lower_byte(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }
bool is_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace eval
