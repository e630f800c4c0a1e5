// Character references of HTML ("&amp;", "&#233;", "&#xE9;"), decoded to
// UTF-8 the way a browser reads them in text and in attribute values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mime {

// The longest reference recognised, "&" included and a closing ";" not: a
// longer run of name or digit characters after "&" is kept as written. A
// streaming reader that holds back the bytes of a possible reference at the
// end of a chunk needs to hold no more than this and one byte more.
inline constexpr size_t kReferenceLengthMax = 32;

// Attribute values keep a name that has no ";" when a letter, a digit or
// "=" follows it ("?a=1&copy=2" stays as it is); text decodes it ("&copy 2").
enum class ReferenceContext { text, attribute };

// `text` with every reference replaced by its character in UTF-8:
// - named ones from a table (the Latin-1 set, which may also go without the
//   ";", and common punctuation and symbols), letter case significant;
// - decimal "&#N;" and hexadecimal "&#xN;", the ";" optional; zero, a
//   surrogate or a value past U+10FFFF gives U+FFFD, and 128 to 159 give the
//   Windows-1252 characters that browsers show for them.
// An unknown name, "&" followed by nothing that makes a reference, and an
// over-long one stay as written. Bytes that are not references pass through
// unchanged, whether UTF-8 or not.
std::string decode_character_references(std::string_view text,
                                        ReferenceContext context = ReferenceContext::text);

}  // namespace mime
