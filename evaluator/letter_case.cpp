#include "evaluator/letter_case.h"

#include "runtime/locale.h"

namespace eval {

unsigned char upper_byte(unsigned char c) {
  return rt::locale().to_upper(c);
}
unsigned char lower_byte(unsigned char c) {
  return rt::locale().to_lower(c);
}
bool is_letter(unsigned char c) {
  std::uint8_t cls = rt::locale().char_class(c);
  return cls == rt::kClassUpper || cls == rt::kClassLower;
}
bool is_digit(unsigned char c) {
  return rt::locale().char_class(c) == rt::kClassDigit;
}

}  // namespace eval
