// The decimal accumulator: a process-wide stack of exact decimal numbers with
// 32 integer and 32 fraction digits, used to read numbers from text, raise
// them to powers and divide them. Operations never fail: division by zero,
// overflow beyond 10^32 and underflow below 10^-32 give zero or drop digits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

constexpr uint32_t kDecimalDigits = 64;
// Position of the units digit; position i weighs 10^(i - kUnitsPosition).
constexpr uint32_t kUnitsPosition = 32;
constexpr uint32_t kDecimalStackCapacity = 10;
// Text to decimal reads at most this many bytes.
constexpr uint32_t kDecimalTextLimit = 99;

// One accumulator entry. Layout, field by field (67 bytes):
//   0  digits  one digit 0..9 per byte, position i of weight 10^(i-32)
//  64  sign    1 negative, 0 positive or zero
//  65  low     lowest position in use
//  66  high    highest position in use
// Zero is held as low = high = 32, digit 0, sign 0.
struct Decimal {
  uint8_t digits[kDecimalDigits];
  uint8_t sign;
  uint8_t low;
  uint8_t high;
};
static_assert(offsetof(Decimal, sign) == 64);
static_assert(offsetof(Decimal, high) == 66);
static_assert(sizeof(Decimal) == 67);

class DecimalAccumulator {
 public:
  // Pushes onto a full accumulator are ignored; pops of an empty one give 0
  // and operations short of operands do nothing.
  void push_integer(int32_t value);
  void push_unsigned(uint32_t value);
  // Parses a C string (null gives 0): spaces, '-', digits, '.' or ',' and
  // fraction digits, then an optional exponent; '+' ends the number. At most
  // the first 99 bytes are read.
  void push_text(const char* text);
  // The same over a counted text (at most the first 99 of its bytes).
  void push_text(const char* text, uint32_t length);
  // A real with its 15 most significant digits.
  void push_real(double value);
  void push(const Decimal& value);

  // The fraction cut off, the magnitude taken modulo 2^32, the sign applied.
  int32_t pop_integer();
  // At most the 16 most significant digits.
  double pop_real();
  Decimal pop();

  // x^n on the top entry.
  void power(int32_t n);
  // Two top entries replaced by their product.
  void multiply();
  // a (below) / b (top), rounded half up at the 31st fraction place; b = 0
  // gives 0.
  void divide();
  // b / a: swap, then divide.
  void reverse_divide();
  void swap();
  void duplicate();

  uint32_t depth() const { return depth_; }
  const Decimal& top() const { return entries_[depth_ - 1]; }
  // Empties the accumulator. Used between tests.
  void reset() { depth_ = 0; }

 private:
  Decimal entries_[kDecimalStackCapacity] = {};
  uint8_t depth_ = 0;
};

// The process-wide accumulator.
DecimalAccumulator& decimal_accumulator();

// Pure helpers on single values (the accumulator's operations use them).
Decimal decimal_zero();
Decimal decimal_from_integer(int64_t value);
Decimal decimal_from_text(const char* text, uint32_t length);
Decimal decimal_from_real(double value);
double decimal_to_real(const Decimal& value);
int32_t decimal_to_integer(const Decimal& value);
Decimal decimal_multiply(const Decimal& a, const Decimal& b);
Decimal decimal_divide(const Decimal& a, const Decimal& b);
Decimal decimal_power(const Decimal& x, int32_t n);
bool decimal_is_zero(const Decimal& value);
// Plain text of the value ("-12.5", "0.333...", "4096"); `out` holds at
// least 67 bytes. Returns the length written (no NUL).
uint32_t decimal_to_text(const Decimal& value, char* out);

}  // namespace rt
