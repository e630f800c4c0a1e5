// Letter classes and case of single bytes as the evaluator sees them: through
// the locale's character-class and case-partner tables, so that accented
// letters a deployment declares count as letters and fold like A to Z.
#pragma once

namespace eval {

unsigned char upper_byte(unsigned char c);
unsigned char lower_byte(unsigned char c);
bool is_letter(unsigned char c);
bool is_digit(unsigned char c);

}  // namespace eval
