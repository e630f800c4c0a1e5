// The text of the plain and HTML parts for a body of the options interface
// (options_body.h), streamed from the body as bytes that the writer carries
// in quoted-printable, so that nothing of the body changes.
//
// A plain-text body is the plain part as it is; the HTML part shows it
// escaped, its spaces and line breaks kept, in the page, font and colours
// of the options. An HTML body is the HTML part as written, only the
// sources of its embedded pictures made cid: URLs; a fragment stands in a
// small page that applies the options, a whole document alone. Its plain
// part is the HTML's text. A Markdown body is the plain part as written and,
// rendered, a fragment of HTML. The pictures of -i follow the body; the
// background sound is in the page's head (after a whole document).
//
// A signature follows the text after the line "-- " that mail programs know
// a signature by; in the HTML it is a block of preformatted text before the
// page's </body> (a document's first, or after a document that has none),
// which the HTML's text shows as those same lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mime/message.h"

namespace app {

class OptionsBody;

// How the options dress the page around a text or a fragment.
struct PageStyle {
  int32_t background = 0xFFFFFF;  // red + 256 x green + 65536 x blue
  int32_t text_color = 0;
  std::string font;               // empty: the body's own
  uint8_t font_size = 3;
  std::string sound_id;           // the sound's Content-ID; empty without one
  int32_t loop_count = 1;
  std::vector<std::string> picture_ids;  // the Content-ID of each picture of the body, in order
  std::string signature;                 // UTF-8; empty for none
};

// Each hands its part's bytes to `put`. False when the body could not be
// read again (noted in run_outcome()).
bool options_plain_text(const OptionsBody& body, std::string_view signature, const mime::ByteSink& put);
bool options_html_text(const OptionsBody& body, const PageStyle& style, const mime::ByteSink& put);

// The font face as a CSS font-family value inside a double-quoted HTML
// attribute: a CSS string, escaped for both; an empty face gives
// `fallback`, a generic family ("monospace"), as it is.
std::string css_font_family(std::string_view face, std::string_view fallback);

// The CSS size keyword of a font size from 1 to 7 ("medium" for 3, and for
// any size outside that range).
std::string_view css_font_size(uint8_t size);

}  // namespace app
