// Display pictures: the picture text ("@D1", "@T3", "@S20", "@D06<50-B"...)
// compiled into a header word and a list of two-byte tokens, the form that
// FORMAT and DEFORMAT (runtime/picture_format.h) work from.
//
// Picture text, after an optional "@":
//   S<length>                          string picture, length 1 to 255
//   D[fill]<layout>[<w | >n][sep]      date picture, layout 1 to 18
//   T[fill]<layout>[sep]               time picture, layout 1 to 8
// with a final "B" for blank-when-zero. Fill marks: "0" zero, "_" space,
// "*" asterisk. Separators: "." and "-" as written, "_" space, "`" comma,
// "v" the digit 0. "<w" keeps the century window w years back ("<" alone 80),
// ">n" reaches n years ahead (">" alone 80). Date layouts 17 and 18 and time
// layouts 7 and 8 are the system layouts kept by the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/locale.h"

namespace rt {

enum class PictureKind : uint8_t {
  invalid = 0,
  date = 2,
  time = 3,
  string = 5,
};

// Picture texts longer than this are cut before compiling.
inline constexpr uint32_t kPictureTextMax = 254;
inline constexpr uint32_t kStringPictureMax = 255;
inline constexpr uint32_t kPictureTokenCapacity = kLayoutCapacity;
inline constexpr uint32_t kDateLayoutCount = 18;
inline constexpr uint32_t kTimeLayoutCount = 8;

// Header word, bit by bit:
//   bits 0-2   PictureKind
//   bit  6     blank-when-zero
//   bits 7-14  token count (for a string picture, its length)
inline constexpr uint16_t kHeaderKindMask = 0x0007;
inline constexpr uint16_t kHeaderBlankFlag = 0x0040;
inline constexpr int kHeaderCountShift = 7;
inline constexpr uint16_t kHeaderCountMask = 0xFF;

// A compiled picture, field by field:
//   0  header   the header word above
//   2  layout   date or time layout number (0 for string pictures)
//   3  window   century window for two-digit years, in years back
//   4  tokens   (character, code) pairs; codes are the LayoutCode values,
//               the character is the fill of a digit or month-letter position
//               and the character itself for a literal
struct CompiledPicture {
  uint16_t header = 0;
  uint8_t layout = 0;
  uint8_t window = 0;
  LayoutToken tokens[kPictureTokenCapacity] = {};

  PictureKind kind() const { return static_cast<PictureKind>(header & kHeaderKindMask); }
  bool blank_when_zero() const { return (header & kHeaderBlankFlag) != 0; }
  // Tokens of a date or time picture; the width of a string picture.
  uint32_t count() const { return (header >> kHeaderCountShift) & kHeaderCountMask; }
  bool valid() const { return kind() != PictureKind::invalid; }
};
static_assert(offsetof(CompiledPicture, header) == 0);
static_assert(offsetof(CompiledPicture, layout) == 2);
static_assert(offsetof(CompiledPicture, window) == 3);
static_assert(offsetof(CompiledPicture, tokens) == 4);
static_assert(sizeof(CompiledPicture) == 4 + 2 * kPictureTokenCapacity);

// Compiles a picture text. An empty text is a string picture of 255
// characters; a text that follows none of the forms gives an invalid picture
// (kind invalid, no tokens).
CompiledPicture compile_picture(std::string_view text);

// Does the time layout show its AM/PM text from the system profile values
// (layouts 7 and 8) rather than the locale's AM/PM texts?
inline bool uses_system_am_pm(const CompiledPicture& picture) {
  return picture.kind() == PictureKind::time && picture.layout >= 7;
}

}  // namespace rt
