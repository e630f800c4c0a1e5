// The text of the plain and HTML parts for a body of the options interface
// (options_body.h), each streamed from the body through the quoted-printable
// encoder, so that no message line is longer than 76 bytes and nothing of
// the body changes.
//
// A plain-text body is the plain part as it is; the HTML part shows it
// escaped, its spaces and line breaks kept, in the page, font and colours
// of the arguments. An HTML body is the HTML part as written, only the
// sources of its embedded pictures made "cid:N"; a fragment stands in a
// small page that applies the arguments, a whole document alone. Its plain
// part is the HTML's text. The pictures of -i follow the body; the
// background sound is in the page's head (after a whole document).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

struct MessageArguments;

// Each writes the text lines of its part, without the part's header lines.
// False when the body could not be read again (noted in run_outcome()).
bool write_options_plain_text();
bool write_options_html_text(const MessageArguments& args);

// The font face as a CSS font-family value inside a double-quoted HTML
// attribute: a CSS string, escaped for both; an empty face gives
// `fallback`, a generic family ("monospace"), as it is.
std::string css_font_family(std::string_view face, std::string_view fallback);

// The CSS size keyword of a font size from 1 to 7 ("medium" for 3, and for
// any size outside that range).
std::string_view css_font_size(uint8_t size);

}  // namespace app
