// The alternative pair of the message: an empty plain-text part and the HTML
// part made from a fixed template, the font and colour arguments, the
// background-sound tag and the body lines, with their image references
// rewritten to the embedded parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// Red, green and blue of a colour value as six upper-case hexadecimal digits.
// Only the low 24 bits count.
void ColorToHtml(int32_t value, char (&out)[6]);

// The loop count of a background-sound choice ("Once" 1 ... "Forever" -1).
int32_t sound_loop_count(std::string_view choice);

// Writes the plain and HTML parts and the end of the alternative block.
void write_alternative_part(const MessageArguments& args);

}  // namespace app
