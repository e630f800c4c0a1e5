// Single-byte text in Windows-1252: case, classes, comparison, conversion to
// and from OEM 437, and MulDiv.
#include "platform/text.h"

#include <cstdlib>
#include <cstring>

#include "platform/code_pages.h"

namespace plat {
namespace {

using byte = unsigned char;

// The case pairs of 1252: ASCII, the Latin-1 letters (without the multiply and
// divide signs), and S, OE, Z with caron or ligature and Y with diaeresis at
// 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E, 0x9F/0xFF.
byte upper_of(byte c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return byte(c - 0x20);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return byte(c - 0x10);
  if (c == 0xFF) return 0x9F;
  return c;
}

byte lower_of(byte c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return byte(c + 0x20);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return byte(c + 0x10);
  if (c == 0x9F) return 0xFF;
  return c;
}

// Lower-case letters without a capital in 1252: f with hook, micro sign, sharp s.
bool lower_without_capital(byte c) {
  return c == 0x83 || c == 0xB5 || c == 0xDF;
}

bool is_upper(byte c) {
  return lower_of(c) != c;
}
bool is_lower(byte c) {
  return upper_of(c) != c || lower_without_capital(c);
}
// The ordinal indicators are letters with no case.
bool is_alpha(byte c) {
  return is_upper(c) || is_lower(c) || c == 0xAA || c == 0xBA;
}

bool is_single_character(LPCSTR text) {
  return (reinterpret_cast<uintptr_t>(text) >> 16) == 0;
}

LPSTR convert_case(LPSTR text, byte (*convert)(byte)) {
  if (is_single_character(text)) {
    auto c = static_cast<byte>(reinterpret_cast<uintptr_t>(text));
    return reinterpret_cast<LPSTR>(uintptr_t{convert(c)});
  }
  for (char* p = text; *p != '\0'; ++p) *p = static_cast<char>(convert(static_cast<byte>(*p)));
  return text;
}

DWORD convert_case(LPSTR text, DWORD length, byte (*convert)(byte)) {
  if (text == nullptr) return 0;
  for (DWORD i = 0; i < length; ++i)
    text[i] = static_cast<char>(convert(static_cast<byte>(text[i])));
  return length;
}

void translate(LPCSTR source, LPSTR destination, DWORD length, const uint8_t* table) {
  for (DWORD i = 0; i < length; ++i) {
    destination[i] = static_cast<char>(table[static_cast<byte>(source[i])]);
  }
}

int sign_of(int difference) {
  return difference < 0 ? -1 : difference > 0 ? 1 : 0;
}

// Compares one level of the weights of two texts: only bytes with a primary
// weight take part, except at the ignorable level where only the others do.
template <typename Level>
int compare_level(const byte* a, const byte* b, bool ignorables, Level level) {
  auto counts = [ignorables](byte c) {
    return (detail::ansi_sort_weights[c].primary == 0) == ignorables && c != 0;
  };
  for (;;) {
    while (*a != 0 && !counts(*a)) ++a;
    while (*b != 0 && !counts(*b)) ++b;
    if (*a == 0 || *b == 0) return sign_of(int(*a != 0) - int(*b != 0));
    int difference = level(detail::ansi_sort_weights[*a]) - level(detail::ansi_sort_weights[*b]);
    if (difference != 0) return sign_of(difference);
    ++a, ++b;
  }
}

int linguistic_compare(LPCSTR first, LPCSTR second, bool with_case) {
  if (first == nullptr || second == nullptr)
    return sign_of(int(first != nullptr) - int(second != nullptr));
  auto a = reinterpret_cast<const byte*>(first), b = reinterpret_cast<const byte*>(second);
  using weight = detail::sort_weight;
  if (int r = compare_level(a, b, false, [](const weight& w) { return int(w.primary); })) return r;
  if (int r = compare_level(a, b, false, [](const weight& w) { return int(w.accent); })) return r;
  if (with_case) {
    if (int r = compare_level(a, b, false, [](const weight& w) { return int(w.letter_case); })) {
      return r;
    }
  }
  return compare_level(a, b, true, [](const weight& w) { return int(w.ignorable); });
}

}  // namespace

BOOL CharToOemBuffA(LPCSTR source, LPSTR destination, DWORD length) {
  if (source == nullptr || destination == nullptr) return FALSE;
  translate(source, destination, length, detail::ansi_to_oem);
  return TRUE;
}

BOOL OemToCharBuffA(LPCSTR source, LPSTR destination, DWORD length) {
  if (source == nullptr || destination == nullptr) return FALSE;
  translate(source, destination, length, detail::oem_to_ansi);
  return TRUE;
}

char32_t ansi_to_unicode(BYTE c) { return detail::ansi_code_point(c); }

BOOL CharToOemA(LPCSTR source, LPSTR destination) {
  if (source == nullptr || destination == nullptr) return FALSE;
  return CharToOemBuffA(source, destination, static_cast<DWORD>(std::strlen(source) + 1));
}

BOOL OemToCharA(LPCSTR source, LPSTR destination) {
  if (source == nullptr || destination == nullptr) return FALSE;
  return OemToCharBuffA(source, destination, static_cast<DWORD>(std::strlen(source) + 1));
}

LPSTR CharUpperA(LPSTR text) {
  return convert_case(text, upper_of);
}
LPSTR CharLowerA(LPSTR text) {
  return convert_case(text, lower_of);
}
DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  return convert_case(text, length, upper_of);
}
DWORD CharLowerBuffA(LPSTR text, DWORD length) {
  return convert_case(text, length, lower_of);
}

BOOL IsCharAlphaA(CHAR c) {
  return is_alpha(static_cast<byte>(c));
}
BOOL IsCharUpperA(CHAR c) {
  return is_upper(static_cast<byte>(c));
}
BOOL IsCharLowerA(CHAR c) {
  return is_lower(static_cast<byte>(c));
}
BOOL IsCharAlphaNumericA(CHAR c) {
  return is_alpha(static_cast<byte>(c)) || (c >= '0' && c <= '9');
}

int lstrcmpA(LPCSTR first, LPCSTR second) {
  return linguistic_compare(first, second, true);
}
int lstrcmpiA(LPCSTR first, LPCSTR second) {
  return linguistic_compare(first, second, false);
}
int lstrlenA(LPCSTR text) {
  return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t product = int64_t{number} * numerator;
  bool negative = (product < 0) != (denominator < 0);
  uint64_t magnitude = static_cast<uint64_t>(std::llabs(product));
  uint64_t divisor = static_cast<uint64_t>(std::llabs(int64_t{denominator}));
  uint64_t quotient = (magnitude + divisor / 2) / divisor;  // half away from zero
  if (quotient > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return -1;
  return negative ? static_cast<int>(-static_cast<int64_t>(quotient)) : static_cast<int>(quotient);
}

}  // namespace plat
