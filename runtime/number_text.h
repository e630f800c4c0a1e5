// Conversions between integers, reals and text, and the clearing of numeric
// variables with fill codes.
#pragma once

#include <cstdint>

namespace rt {

// Room for any text that format_integer or format_real writes.
constexpr uint32_t kNumberTextCapacity = 32;
// Text to real reads at most this many bytes of the clipped text.
constexpr uint32_t kRealTextLimit = 39;

// Decimal digits with '-' for negatives. Returns the length (no NUL).
uint32_t format_integer(int32_t value, char* out);
// Decimal digits of an unsigned value. Returns the length (no NUL).
uint32_t format_unsigned(uint32_t value, char* out);
// 14 significant digits; fixed notation for decimal exponents -5 to 13,
// otherwise d.ddde+XX; trailing fraction zeros and a bare point removed.
// Returns the length (no NUL).
uint32_t format_real(double value, char* out);

// The number of leading bytes of text[0..length) that form a number by the
// strtod rules: white space, sign, digits with an optional point, optional
// exponent. 0 when there is no number.
uint32_t real_text_extent(const char* text, uint32_t length);
// Text to real: at most the first 39 bytes after trailing spaces are cut;
// a text that is not a number gives 0.
double text_to_real(const char* text, uint32_t length);

// Cut toward zero, except that a value within 2^-50 (relative) of the next
// integer away from zero becomes that integer. Out-of-range values saturate.
int32_t real_to_integer(double value);
// fmod; a divisor of 0 gives 0.
double real_remainder(double dividend, double divisor);

// Clears a numeric variable of data-type code 1, 2, 3, 6, 7, 8, 9, 13 or 14
// by fill code. Returns false for any other code (nothing written).
bool clear_numeric(void* dest, int32_t type_code, int32_t fill);

}  // namespace rt
