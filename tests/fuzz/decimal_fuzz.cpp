// Parses arbitrary text into decimals and runs the accumulator's arithmetic
// on it, checking the value invariants after every step: digits 0 to 9, the
// positions in use inside the 64 places, zero held canonically.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/decimal.h"
#include "runtime/number_text.h"

namespace {

void check(const rt::Decimal& d) {
  if (d.low > d.high || d.high >= rt::kDecimalDigits || d.sign > 1) std::abort();
  for (uint32_t i = 0; i < rt::kDecimalDigits; ++i) {
    if (d.digits[i] > 9) std::abort();
  }
  if (rt::decimal_is_zero(d) && (d.sign != 0 || d.low != 32 || d.high != 32)) std::abort();
  char text[80];
  if (rt::decimal_to_text(d, text) > 67) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  auto length = static_cast<uint32_t>(size);
  uint32_t half = length / 2;
  rt::Decimal a = rt::decimal_from_text(text, half);
  rt::Decimal b = rt::decimal_from_text(text + half, length - half);
  check(a);
  check(b);
  check(rt::decimal_multiply(a, b));
  check(rt::decimal_divide(a, b));
  int32_t exponent = size > 0 ? static_cast<int8_t>(data[0]) % 12 : 0;
  check(rt::decimal_power(a, exponent));
  double real = rt::decimal_to_real(a);
  check(rt::decimal_from_real(real));
  rt::decimal_to_integer(b);
  // Text to real and back to text stays within its buffer.
  char out[rt::kNumberTextCapacity];
  if (rt::format_real(rt::text_to_real(text, length), out) > rt::kNumberTextCapacity) std::abort();
  if (rt::real_text_extent(text, length) > length) std::abort();
  return 0;
}
