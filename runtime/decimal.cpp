#include "runtime/decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rt {

namespace {

constexpr int kTop = static_cast<int>(kDecimalDigits) - 1;
constexpr int kFractionPlaces = static_cast<int>(kUnitsPosition);
// Decimal to real gathers at most this many digits.
constexpr int kRealDigits = 16;
// Real to decimal keeps this many significant digits.
constexpr int kRealSignificant = 15;

// Sets low and high from the digits (every digit outside them is kept 0);
// an all-zero value becomes the canonical zero.
void normalise(Decimal& d) {
  int high = kTop;
  while (high >= 0 && d.digits[high] == 0) --high;
  if (high < 0) {
    d = decimal_zero();
    return;
  }
  int low = 0;
  while (d.digits[low] == 0) ++low;
  d.low = static_cast<uint8_t>(low < kFractionPlaces ? low : kFractionPlaces);
  d.high = static_cast<uint8_t>(high > kFractionPlaces ? high : kFractionPlaces);
}

// Moves every digit `shift` places up (negative: down); digits leaving the
// 64 positions are dropped.
void shift_digits(Decimal& d, int shift) {
  if (shift == 0) return;
  uint8_t moved[kDecimalDigits] = {};
  for (int i = 0; i <= kTop; ++i) {
    int to = i + shift;
    if (d.digits[i] != 0 && to >= 0 && to <= kTop) moved[to] = d.digits[i];
  }
  std::memcpy(d.digits, moved, sizeof moved);
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Adds 1 at `position`, carrying upward; a carry out of the top is dropped.
void increment_at(Decimal& d, int position) {
  for (int i = position; i <= kTop; ++i) {
    if (++d.digits[i] < 10) return;
    d.digits[i] = 0;
  }
}

// Digit-array arithmetic for long division: numbers of up to kWide digits,
// least significant first.
constexpr int kWide = 2 * kDecimalDigits + 2;

struct Wide {
  uint8_t d[kWide] = {};
};

// a >= b over the first n digits.
bool wide_not_less(const Wide& a, const Wide& b) {
  for (int i = kWide - 1; i >= 0; --i) {
    if (a.d[i] != b.d[i]) return a.d[i] > b.d[i];
  }
  return true;
}

void wide_subtract(Wide& a, const Wide& b) {
  int borrow = 0;
  for (int i = 0; i < kWide; ++i) {
    int v = a.d[i] - b.d[i] - borrow;
    borrow = v < 0 ? 1 : 0;
    a.d[i] = static_cast<uint8_t>(v + 10 * borrow);
  }
}

// a = a * 10 + digit
void wide_shift_in(Wide& a, uint8_t digit) {
  std::memmove(a.d + 1, a.d, kWide - 1);
  a.d[0] = digit;
}

}  // namespace

Decimal decimal_zero() {
  Decimal d{};
  d.low = d.high = kUnitsPosition;
  return d;
}

bool decimal_is_zero(const Decimal& value) {
  for (int i = value.low; i <= value.high; ++i) {
    if (value.digits[i] != 0) return false;
  }
  return true;
}

Decimal decimal_from_integer(int64_t value) {
  Decimal d = decimal_zero();
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  for (int i = kFractionPlaces; magnitude != 0 && i <= kTop; ++i) {
    d.digits[i] = static_cast<uint8_t>(magnitude % 10);
    magnitude /= 10;
  }
  d.sign = value < 0 ? 1 : 0;
  normalise(d);
  return d;
}

Decimal decimal_from_text(const char* text, uint32_t length) {
  Decimal d = decimal_zero();
  if (text == nullptr) return d;
  if (length > kDecimalTextLimit) length = kDecimalTextLimit;
  // A NUL ends the text as it would a C string.
  if (const void* nul = std::memchr(text, '\0', length)) {
    length = static_cast<uint32_t>(static_cast<const char*>(nul) - text);
  }
  uint32_t i = 0;
  while (i < length && text[i] == ' ') ++i;
  bool negative = i < length && text[i] == '-';
  if (negative) ++i;
  // Integer digits are gathered first, then placed from the units upward.
  uint32_t int_begin = i;
  while (i < length && is_digit(text[i])) ++i;
  uint32_t int_end = i;
  int position = kFractionPlaces;
  for (uint32_t k = int_end; k > int_begin && position <= kTop; --k, ++position) {
    d.digits[position] = static_cast<uint8_t>(text[k - 1] - '0');
  }
  if (i < length && (text[i] == '.' || text[i] == ',')) {
    ++i;
    for (position = kFractionPlaces - 1; i < length && is_digit(text[i]); ++i, --position) {
      if (position >= 0) d.digits[position] = static_cast<uint8_t>(text[i] - '0');
    }
  }
  if (i < length && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool down = i < length && text[i] == '-';
    if (i < length && (text[i] == '-' || text[i] == '+')) ++i;
    int exponent = 0;
    for (; i < length && is_digit(text[i]); ++i) {
      // Beyond 128 places every digit has left the accumulator anyway.
      if (exponent < 128) exponent = exponent * 10 + (text[i] - '0');
    }
    shift_digits(d, down ? -exponent : exponent);
  }
  d.sign = negative ? 1 : 0;
  normalise(d);
  return d;
}

Decimal decimal_from_real(double value) {
  Decimal d = decimal_zero();
  if (value == 0 || std::isnan(value) || std::isinf(value)) return d;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*e", kRealSignificant - 1, std::fabs(value));
  // buffer: d.dddddddddddddde[+-]XXX
  int exponent = std::atoi(buffer + kRealSignificant + 2);
  int position = kFractionPlaces + exponent;
  for (int k = 0; k < kRealSignificant + 1; ++k) {
    if (k == 1) continue;  // the decimal point
    if (position >= 0 && position <= kTop)
      d.digits[position] = static_cast<uint8_t>(buffer[k] - '0');
    --position;
  }
  d.sign = value < 0 ? 1 : 0;
  normalise(d);
  return d;
}

double decimal_to_real(const Decimal& value) {
  static constexpr double kPowers[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (decimal_is_zero(value)) return 0;
  double result = 0;
  int position = value.high;
  int gathered = 0;
  for (; position >= value.low && gathered < kRealDigits; --position, ++gathered) {
    result = result * 10 + value.digits[position];
  }
  // The power of ten of the last digit gathered.
  int scale = position + 1 - kFractionPlaces;
  int steps = scale < 0 ? -scale : scale;
  for (; steps >= 16; steps -= 16) result = scale < 0 ? result / 1e16 : result * 1e16;
  result = scale < 0 ? result / kPowers[steps] : result * kPowers[steps];
  return value.sign ? -result : result;
}

int32_t decimal_to_integer(const Decimal& value) {
  uint32_t magnitude = 0;  // wraps modulo 2^32
  for (int i = value.high; i >= kFractionPlaces; --i) magnitude = magnitude * 10 + value.digits[i];
  if (value.sign) magnitude = 0 - magnitude;
  return static_cast<int32_t>(magnitude);
}

Decimal decimal_multiply(const Decimal& a, const Decimal& b) {
  // Exact product of the two 64-digit integers, then positions 32..95 kept.
  uint32_t sums[2 * kDecimalDigits] = {};
  for (int i = a.low; i <= a.high; ++i) {
    if (a.digits[i] == 0) continue;
    for (int j = b.low; j <= b.high; ++j) sums[i + j] += uint32_t{a.digits[i]} * b.digits[j];
  }
  Decimal d = decimal_zero();
  uint32_t carry = 0;
  for (int k = 0; k < static_cast<int>(2 * kDecimalDigits); ++k) {
    uint32_t v = sums[k] + carry;
    carry = v / 10;
    int position = k - kFractionPlaces;
    if (position >= 0 && position <= kTop) d.digits[position] = static_cast<uint8_t>(v % 10);
  }
  d.sign = a.sign ^ b.sign;
  normalise(d);
  return d;
}

Decimal decimal_divide(const Decimal& a, const Decimal& b) {
  if (decimal_is_zero(a) || decimal_is_zero(b)) return decimal_zero();
  // floor(A * 10^32 / B) over the digit integers A and B gives the quotient
  // down to position 0; position 0 is then rounded into position 1.
  Wide divisor;
  for (int i = b.low; i <= b.high; ++i) divisor.d[i] = b.digits[i];
  Wide remainder;
  Decimal q = decimal_zero();
  for (int k = a.high + kFractionPlaces; k >= 0; --k) {
    int source = k - kFractionPlaces;
    wide_shift_in(remainder, source >= 0 ? a.digits[source] : 0);
    uint8_t digit = 0;
    while (wide_not_less(remainder, divisor)) {
      wide_subtract(remainder, divisor);
      ++digit;
    }
    if (k <= kTop) q.digits[k] = digit;
  }
  if (q.digits[0] >= 5) increment_at(q, 1);
  q.digits[0] = 0;
  q.sign = a.sign ^ b.sign;
  normalise(q);
  return q;
}

Decimal decimal_power(const Decimal& x, int32_t n) {
  Decimal result = decimal_from_integer(1);
  uint32_t bits = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  Decimal base = x;
  while (bits != 0) {
    if (bits & 1) result = decimal_multiply(result, base);
    bits >>= 1;
    if (bits != 0) base = decimal_multiply(base, base);
  }
  if (n < 0) result = decimal_divide(decimal_from_integer(1), result);
  return result;
}

uint32_t decimal_to_text(const Decimal& value, char* out) {
  uint32_t n = 0;
  if (value.sign && !decimal_is_zero(value)) out[n++] = '-';
  for (int i = value.high; i >= kFractionPlaces; --i)
    out[n++] = static_cast<char>('0' + value.digits[i]);
  int low = value.low;
  while (low < kFractionPlaces && value.digits[low] == 0) ++low;
  if (low < kFractionPlaces) {
    out[n++] = '.';
    for (int i = kFractionPlaces - 1; i >= low; --i)
      out[n++] = static_cast<char>('0' + value.digits[i]);
  }
  return n;
}

// --- the accumulator ---

void DecimalAccumulator::push(const Decimal& value) {
  if (depth_ < kDecimalStackCapacity) entries_[depth_++] = value;
}

void DecimalAccumulator::push_integer(int32_t value) {
  push(decimal_from_integer(value));
}
void DecimalAccumulator::push_unsigned(uint32_t value) {
  push(decimal_from_integer(value));
}
void DecimalAccumulator::push_real(double value) {
  push(decimal_from_real(value));
}

void DecimalAccumulator::push_text(const char* text) {
  uint32_t length = 0;
  while (text != nullptr && length < kDecimalTextLimit && text[length] != '\0') ++length;
  push(decimal_from_text(text, length));
}

void DecimalAccumulator::push_text(const char* text, uint32_t length) {
  push(decimal_from_text(text, length));
}

Decimal DecimalAccumulator::pop() {
  if (depth_ == 0) return decimal_zero();
  return entries_[--depth_];
}

int32_t DecimalAccumulator::pop_integer() {
  return decimal_to_integer(pop());
}
double DecimalAccumulator::pop_real() {
  return decimal_to_real(pop());
}

void DecimalAccumulator::power(int32_t n) {
  if (depth_ >= 1) entries_[depth_ - 1] = decimal_power(entries_[depth_ - 1], n);
}

void DecimalAccumulator::multiply() {
  if (depth_ < 2) return;
  Decimal b = pop();
  entries_[depth_ - 1] = decimal_multiply(entries_[depth_ - 1], b);
}

void DecimalAccumulator::divide() {
  if (depth_ < 2) return;
  Decimal b = pop();
  entries_[depth_ - 1] = decimal_divide(entries_[depth_ - 1], b);
}

void DecimalAccumulator::reverse_divide() {
  swap();
  divide();
}

void DecimalAccumulator::swap() {
  if (depth_ < 2) return;
  Decimal top = entries_[depth_ - 1];
  entries_[depth_ - 1] = entries_[depth_ - 2];
  entries_[depth_ - 2] = top;
}

void DecimalAccumulator::duplicate() {
  if (depth_ >= 1) push(entries_[depth_ - 1]);
}

DecimalAccumulator& decimal_accumulator() {
  static DecimalAccumulator accumulator;
  return accumulator;
}

}  // namespace rt
