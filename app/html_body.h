// The body of the message: a plain-text part with the HTML's text and the
// HTML part made from a fixed template, the font and colour arguments, the
// background-sound tag and the body lines, with their image references
// rewritten to the embedded parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mime/message.h"

namespace app {

struct MessageArguments;

// The position of an image reference in a body line: the text between the
// first pair of quotes after the first "SRC" after the first "IMG" (letter
// case ignored). Positions count from 1; both are 0 when the line has none.
struct ImageReference {
  uint32_t open_quote = 0;
  uint32_t close_quote = 0;
  bool found() const { return open_quote != 0; }
  std::string_view name(const char* line) const {
    return {line + open_quote, close_quote - open_quote - 1};
  }
};
ImageReference find_image_reference(const char* line, uint32_t size);

// The font face as the FONT tag's value, in quoted-printable form. A plain
// name is written as it is. One with a blank, quote, "=" or ">" would end the
// value early, and a byte from 0x80 up is no quoted-printable text, so such a
// face is quoted, with "=" written =3D, the quote &quot; and high bytes =XX.
// A value longer than `out` is cut.
inline constexpr uint32_t kFontFaceValueSize = 250;  // a message line
std::string_view font_face_value(std::string_view face, char (&out)[kFontFaceValueSize]);
// The most of the FONT tag's value that its line leaves room for.
inline constexpr size_t kFontFaceRoom = 200;

// The break after a body line of `length` bytes. A line too long for its
// "<br>" on its message line loses the break, never part of it: a cut "<br"
// would swallow the next line into a tag.
std::string_view line_break(size_t length);

// Red, green and blue of a colour value as six upper-case hexadecimal digits.
// Only the low 24 bits count.
void ColorToHtml(int32_t value, char (&out)[6]);

// The page and font colours of the arguments as ColorToHtml writes them: a
// value of 0 or below gives a white page and black text.
void argument_colors(const MessageArguments& args, char (&page)[6], char (&font)[6]);

// The loop count of a background-sound choice ("Once" 1 ... "Forever" -1),
// the choice matched as the runtime compares texts; 0 for any other.
int32_t sound_loop_count(std::string_view choice);
// The same for a choice given exactly as one of the words.
int32_t exact_loop_count(std::string_view choice);

// The pictures the HTML part shows, in the order of their content ids (the
// first is 1), their media types, and the positions in GBQ (from 1, rising)
// of the body lines whose reference names them, one a picture.
struct EmbeddedPictures {
  std::vector<std::string> files;
  std::vector<std::string> types;
  std::vector<uint32_t> lines;
  bool empty() const { return files.empty(); }
};
// Which files the call's draft holds: every file the call names, as its
// checks see them (typed by name; nothing is opened), or those that can be
// had, each looked at, as the draft is written.
enum class CallFiles : uint8_t { named, settled };

// The body lines whose reference was found, and when settled whose file
// could be copied into the work directory, each typed by the first bytes
// of its copy.
EmbeddedPictures find_embedded_pictures(CallFiles files);

// The HTML part: the template with the arguments' sound tag, page, font and
// colours, then the body lines, the references of `pictures` made "cid:"
// and their numbers.
mime::Part html_part(const MessageArguments& args, const EmbeddedPictures& pictures);
// The plain-text part: the text of the body lines (plain_text.h).
mime::Part plain_part();

}  // namespace app
