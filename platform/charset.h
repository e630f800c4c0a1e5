// Text in a character set named as mail and web pages name them ("windows-1252",
// "ISO-8859-15", "Shift_JIS", "UTF-16LE"), turned into UTF-8 piece by piece.
// The names are the common IANA names and their aliases, in any letter
// case; each stands for one of the system's code pages. UTF-16 and UTF-32
// are read here; every other set by the system's converter (iconv on
// Linux, MultiByteToWideChar on Windows).
#pragma once

#include "platform/types.h"

namespace plat {

struct text_converter;
using HTEXTCONVERTER = text_converter*;

// The preferred name of the character set `name` names ("WINDOWS-1252" for
// "cp1252"); null for a name that names none.
LPCSTR CharsetNameA(LPCSTR name);

// A converter from the character set `name` to UTF-8; null, with last
// error ERROR_INVALID_NAME for a name that names no set, or the system's
// error when its converter cannot be had.
HTEXTCONVERTER OpenTextConverterA(LPCSTR name);
void CloseTextConverter(HTEXTCONVERTER converter);

// Converts from the start of `input` into `output` as much as fits: `*used`
// input bytes made `*written` output bytes. A character cut by the end of
// the input is left unused, unless `last` says that no more input follows;
// an output of 4 bytes or more for each input byte always takes the whole
// input. FALSE, with last error ERROR_NO_UNICODE_TRANSLATION, at bytes that
// are no character of the set (or a cut one at the last input); `*used`
// and `*written` then tell what came before them.
BOOL ConvertToUtf8(HTEXTCONVERTER converter, LPCSTR input, DWORD input_size, BOOL last, LPSTR output,
                   DWORD output_size, DWORD* used, DWORD* written);

}  // namespace plat
