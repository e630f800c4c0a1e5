// FORMAT and DEFORMAT: a value shown through a compiled picture, and a shown
// text read back into its value.
//
// Values travel as text: a date or time is its serial in decimal digits. The
// stack forms take their operands from the string stack (pushed left to
// right: the value or text first, the picture text on top) and push their
// result.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/picture.h"

namespace rt {

// The widest text FORMAT produces (a 255-character string picture).
inline constexpr uint32_t kFormatWidthMax = kStringPictureMax;

// Writes the value shown through the picture into `out` (kFormatWidthMax
// bytes) and returns its length: the picture's width, or 0 for an invalid
// picture.
uint32_t format_text(std::string_view value, const CompiledPicture& picture, char* out);

// Reads `text` back through the picture into `out`, which holds `capacity`
// bytes, and returns the length written. A date or time gives its serial in
// decimal ("0" none, "-1" invalid); a string picture keeps the characters of
// a number. At most `capacity` bytes are written; 12 bytes always suffice for
// a date or time.
uint32_t deformat_text(std::string_view text, const CompiledPicture& picture, char* out,
                       uint32_t capacity);

// FORMAT(value, picture) on the string stack.
void FORMAT();
// DEFORMAT(text, picture) on the string stack.
void DEFORMAT();

}  // namespace rt
