// Internationalised domain names: a domain written in Unicode, turned into
// the ASCII form that mail and the name service carry, as the Windows call
// does. A label beyond ASCII becomes an A-label ("xn--" and the label's
// punycode); a domain all of ASCII stays as it is, and in one that is not,
// the ASCII labels are in lower case.
#pragma once

#include "platform/types.h"

namespace plat {

using WCHAR = char16_t;  // a UTF-16 code unit, as the system's wide texts hold
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;

constexpr DWORD IDN_ALLOW_UNASSIGNED = 0x01;
constexpr DWORD IDN_USE_STD3_ASCII_RULES = 0x02;

// The ASCII form of the domain `unicode` (`unicode_length` code units, or -1
// for a NUL-ended text, whose NUL is then converted and counted too) in
// `ascii` of `ascii_length` units. Returns the units written, or with
// `ascii_length` 0 the units needed, writing nothing. On failure 0, with last
// error ERROR_INVALID_NAME (a label no domain may hold: a character that is
// disallowed or, without IDN_ALLOW_UNASSIGNED, unassigned; a hyphen or mark
// out of place; a label of more than 63 bytes or a name of more than 255; a
// broken surrogate pair), ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER
// (a null text, a length below -1 or of 0) or, for flags it does not know,
// ERROR_INVALID_FLAGS (ERROR_INVALID_PARAMETER under Wine).
// IDN_USE_STD3_ASCII_RULES also refuses ASCII other than letters, digits and
// hyphens. The Linux half follows IDNA2008 without transitional mapping (a
// "ß" stays a letter of its own, where a system of IDNA2003 writes "ss"), and
// takes no other flags.
int IdnToAscii(DWORD flags, LPCWSTR unicode, int unicode_length, LPWSTR ascii, int ascii_length);

}  // namespace plat
