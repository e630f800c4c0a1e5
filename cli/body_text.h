// Characters as the HTML part of the draft carries them. The part is declared
// iso-8859-1, which mail clients read as Windows-1252, and is quoted-printable:
// a character the code page has is written as its byte, any other as an HTML
// numeric character reference, so no text is lost and none shows garbled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// The Windows-1252 byte of a character; -1 when the code page has none.
int windows_1252_byte(char32_t c);

// One byte of a quoted-printable line: printable ASCII and the space as they
// are, "=", control bytes and bytes from 0x80 up as "=XX". (A space at the
// end of a line is the line's business: see body_lines.h.)
void append_quoted_printable(std::string& out, uint8_t byte);

// One character of HTML: its Windows-1252 byte, quoted-printable, or "&#N;".
void append_body_character(std::string& out, char32_t c);

// One character of plain text: "&", "<", ">" and both quote characters as
// references, so that the text shows as typed and never makes markup; the
// rest as append_body_character.
void append_text_character(std::string& out, char32_t c);

// A whole UTF-8 text (already checked) as plain text of the HTML part.
std::string body_text(std::string_view utf8);

// A whole UTF-8 text (already checked) in the code page alone: each character
// as its Windows-1252 byte or "&#N;", with no further encoding, for a value
// that the composer encodes itself (the font face).
std::string code_page_text(std::string_view utf8);

}  // namespace cli
