#include "runtime/number_text.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/string_ops.h"
#include "runtime/string_value.h"

namespace rt {

namespace {

constexpr int kSignificantDigits = 14;
constexpr int kLowestFixedExponent = -5;
constexpr int kHighestFixedExponent = 13;

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Copies the 14 significant digits and the decimal exponent of a finite,
// non-zero value (rounded as printf rounds).
int split_digits(double value, char (&digits)[kSignificantDigits]) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, std::fabs(value));
  // buffer: d.ddddddddddddde[+-]XX
  digits[0] = buffer[0];
  std::memcpy(digits + 1, buffer + 2, kSignificantDigits - 1);
  return std::atoi(buffer + kSignificantDigits + 2);
}

// Length of the digits once trailing zeros after position `keep` are removed.
int trimmed_length(const char* digits, int count, int keep) {
  while (count > keep && digits[count - 1] == '0') --count;
  return count;
}

uint32_t format_fixed(const char* digits, int exponent, char* out) {
  uint32_t n = 0;
  int used = trimmed_length(digits, kSignificantDigits, exponent >= 0 ? exponent + 1 : 0);
  if (exponent < 0) {
    out[n++] = '0';
    out[n++] = '.';
    for (int i = -1; i > exponent; --i) out[n++] = '0';
    for (int i = 0; i < used; ++i) out[n++] = digits[i];
    return n;
  }
  for (int i = 0; i <= exponent; ++i) out[n++] = digits[i];
  if (used > exponent + 1) {
    out[n++] = '.';
    for (int i = exponent + 1; i < used; ++i) out[n++] = digits[i];
  }
  return n;
}

uint32_t format_exponent(const char* digits, int exponent, char* out) {
  uint32_t n = 0;
  int used = trimmed_length(digits, kSignificantDigits, 1);
  out[n++] = digits[0];
  if (used > 1) {
    out[n++] = '.';
    for (int i = 1; i < used; ++i) out[n++] = digits[i];
  }
  int written = std::snprintf(out + n, kNumberTextCapacity - n, "e%+03d", exponent);
  return n + static_cast<uint32_t>(written);
}

}  // namespace

uint32_t format_unsigned(uint32_t value, char* out) {
  char reversed[10];
  uint32_t count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (uint32_t i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
  return count;
}

uint32_t format_integer(int32_t value, char* out) {
  if (value >= 0) return format_unsigned(static_cast<uint32_t>(value), out);
  out[0] = '-';
  return 1 + format_unsigned(0u - static_cast<uint32_t>(value), out + 1);
}

uint32_t format_real(double value, char* out) {
  if (std::isnan(value) || std::isinf(value)) {
    const char* text = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    auto n = static_cast<uint32_t>(std::strlen(text));
    std::memcpy(out, text, n);
    return n;
  }
  if (value == 0) {
    out[0] = '0';
    return 1;
  }
  char digits[kSignificantDigits];
  int exponent = split_digits(value, digits);
  uint32_t n = 0;
  if (value < 0) out[n++] = '-';
  if (exponent >= kLowestFixedExponent && exponent <= kHighestFixedExponent) {
    return n + format_fixed(digits, exponent, out + n);
  }
  return n + format_exponent(digits, exponent, out + n);
}

uint32_t real_text_extent(const char* text, uint32_t length) {
  uint32_t i = 0;
  while (i < length && is_space(text[i])) ++i;
  if (i < length && (text[i] == '+' || text[i] == '-')) ++i;
  uint32_t digits = 0;
  while (i < length && is_digit(text[i])) ++i, ++digits;
  if (i < length && text[i] == '.') {
    ++i;
    while (i < length && is_digit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < length && (text[i] == 'e' || text[i] == 'E')) {
    // The exponent counts only when at least one digit follows.
    uint32_t j = i + 1;
    if (j < length && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < length && is_digit(text[j])) {
      while (j < length && is_digit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

double text_to_real(const char* text, uint32_t length) {
  if (text == nullptr) return 0;
  length = clipped_length(text, length);
  if (length > kRealTextLimit) length = kRealTextLimit;
  uint32_t extent = real_text_extent(text, length);
  if (extent == 0) return 0;
  char buffer[kRealTextLimit + 1];
  std::memcpy(buffer, text, extent);
  buffer[extent] = '\0';
  return std::strtod(buffer, nullptr);
}

int32_t real_to_integer(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  double n = std::trunc(value);
  double m = value >= 0 ? n + 1 : n - 1;
  double scale = std::fmax(std::fabs(value), std::fabs(m));
  if (std::fabs(m - value) < std::ldexp(scale, -50)) n = m;
  // m may step just past the range at its edges.
  if (n > 2147483647.0) return 2147483647;
  if (n < -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(n);
}

double real_remainder(double dividend, double divisor) {
  if (divisor == 0) return 0;
  return std::fmod(dividend, divisor);
}

namespace {

struct NumericClear {
  int32_t type_code;
  uint32_t size;
  // Storage of the ordinary, lowest and highest values, little-endian.
  uint64_t ordinary, lowest, highest;
};

constexpr uint64_t bits_of(double d) {
  return std::bit_cast<uint64_t>(d);
}
constexpr uint64_t bits_of(float f) {
  return std::bit_cast<uint32_t>(f);
}

// The decimal-float types have no defined extremes; they clear to zero bytes.
constexpr NumericClear kNumericClears[] = {
    {TYPE_BYTE, 1, 0, 0, 0xFF},
    {TYPE_SHORT, 2, 0, 0x8000, 0x7FFF},
    {TYPE_USHORT, 2, 0, 0, 0xFFFF},
    {TYPE_LONG, 4, 0, 0x80000000u, 0x7FFFFFFF},
    {TYPE_ULONG, 4, 0, 0, 0xFFFFFFFFu},
    {TYPE_SREAL, 4, 0, bits_of(-3.4028234663852886e38f), bits_of(3.4028234663852886e38f)},
    {TYPE_REAL, 8, 0, bits_of(-1.7976931348623101e308), bits_of(1.7976931348623101e308)},
    {TYPE_BFLOAT4, 4, 0, 0, 0},
    {TYPE_BFLOAT8, 8, 0, 0, 0},
};
static_assert(sizeof(kNumericClears) / sizeof(kNumericClears[0]) == 9);

}  // namespace

bool clear_numeric(void* dest, int32_t type_code, int32_t fill) {
  for (const NumericClear& row : kNumericClears) {
    if (row.type_code != type_code) continue;
    uint64_t value = fill < 0 ? row.lowest : (fill > 0 ? row.highest : row.ordinary);
    unsigned char bytes[8];
    for (uint32_t i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    std::memcpy(dest, bytes, row.size);
    return true;
  }
  return false;
}

}  // namespace rt
