// Single-byte text: the ANSI code page is Windows-1252, the OEM code page 437.
// Case, character classes, comparison and conversion between the two behave
// as the Windows calls do for these code pages. Formatting follows wsprintfA.
#pragma once

#include <cstdarg>

#include "platform/types.h"

namespace plat {

// ANSI <-> OEM. A byte with no equal in the other code page becomes the
// nearest look-alike (as Windows does), else '?'. Source and destination may be
// the same buffer. The NUL-terminated forms convert up to and including the
// NUL. Always TRUE.
BOOL CharToOemA(LPCSTR source, LPSTR destination);
BOOL OemToCharA(LPCSTR source, LPSTR destination);
BOOL CharToOemBuffA(LPCSTR source, LPSTR destination, DWORD length);
BOOL OemToCharBuffA(LPCSTR source, LPSTR destination, DWORD length);

// The Unicode character of an ANSI (Windows-1252) byte, as the system's
// conversion to Unicode gives it: the five bytes that code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the
// same value.
char32_t ansi_to_unicode(BYTE c);

// Case conversion in Windows-1252. CharUpperA/CharLowerA convert a NUL-ended
// text in place and return it; given a value below 0x10000 instead of an
// address, they convert that one character and return it in the low byte.
LPSTR CharUpperA(LPSTR text);
LPSTR CharLowerA(LPSTR text);
DWORD CharUpperBuffA(LPSTR text, DWORD length);
DWORD CharLowerBuffA(LPSTR text, DWORD length);

BOOL IsCharAlphaA(CHAR c);
BOOL IsCharAlphaNumericA(CHAR c);
BOOL IsCharUpperA(CHAR c);
BOOL IsCharLowerA(CHAR c);

// The system's linguistic comparison of two NUL-ended texts: <0, 0 or >0. Letters
// compare first without regard to accents and case, then by accent, then by
// case (lower case first); digits come before letters and punctuation before
// digits; the hyphen and the apostrophe weigh only when all else is equal.
// lstrcmpiA ignores case.
int lstrcmpA(LPCSTR first, LPCSTR second);
int lstrcmpiA(LPCSTR first, LPCSTR second);
int lstrlenA(LPCSTR text);  // 0 for null

// wsprintfA formatting into at most 1024 bytes including the NUL; returns the
// length written. Conversions: %s %c %d %i %u %x %X with the l and h size
// prefixes and I64 for 64-bit values, %%; flags "-", "#" (0x prefix), "0";
// width and precision as numbers (no "*"). Integer arguments are 32-bit unless
// prefixed with I64; a null %s prints "(null)". Anything else is copied as is.
constexpr int WSPRINTF_LIMIT = 1024;
int wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments);
int wsprintfA(LPSTR buffer, LPCSTR format, ...);

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the denominator is 0 or the result overflows 32 bits.
int MulDiv(int number, int numerator, int denominator);

}  // namespace plat
