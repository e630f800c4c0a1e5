// Media types of the parts of a draft: pictures and sounds by their first
// bytes (falling back to the file name's extension), attachments by the
// extension in the system's table of media types.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "mime/content_scan.h"

namespace mime {

inline constexpr std::string_view kUnknownType = "application/octet-stream";

// How many first bytes of a file the signatures need.
inline constexpr size_t kSignatureBytes = 16;

// The type of a picture by its content alone: PNG, JPEG, GIF, BMP, WebP, ICO,
// TIFF and SVG (text that begins, after a byte-order mark and white space,
// with "<svg", or with "<?xml" and holds "<svg" within `head`); empty for
// bytes that are no picture's.
std::string_view picture_content_type(std::span<const unsigned char> head);

// picture_content_type; else by the extension; else kUnknownType.
std::string_view picture_type(std::span<const unsigned char> head, std::string_view file_name);

// RIFF WAVE audio/wav, MP3 (an ID3 tag or an MPEG audio frame) audio/mpeg,
// MIDI audio/midi, Sun/NeXT ".snd" audio/basic; else by the extension; else
// kUnknownType.
std::string_view sound_type(std::span<const unsigned char> head, std::string_view file_name);

// The type of an attachment by its extension, letter case ignored: from the
// system's table (/etc/mime.types, read once, when first needed), or from a
// small built-in table where that file cannot be read; else kUnknownType.
std::string attachment_type(std::string_view file_name);

// How the bytes of a part are carried. ORDER: kTransferEncodingNames.
enum class TransferEncoding { base64, seven_bit, eight_bit, quoted_printable };
std::string_view transfer_encoding_name(TransferEncoding encoding);

struct PartForm {
  std::string type;
  TransferEncoding encoding = TransferEncoding::base64;
};

// Whether attachment_form needs a verdict on the file's whole content: for a
// text type, and for a message.
bool content_decides_form(std::string_view type);

// The type and encoding of an attached file whose attachment_type is `type`:
// that type, carried in base64, except that
// - a message (header fields, then an empty line; no NUL, no lone CR, no line
//   over 998 bytes, no line that could close a container of the draft) goes
//   as message/rfc822 unencoded, 7bit or 8bit as its bytes are, the way
//   clients attach one;
// - any other message, and a container type, go as kUnknownType: a message
//   may not be encoded, and a container needs a boundary of its own;
// - a text file with NUL or lone CR bytes goes as kUnknownType, since its
//   bytes are no text that a reader would keep.
// `content` counts only where content_decides_form.
PartForm attachment_form(std::string_view type, const ContentVerdict& content);

// A table of media types: each extension (lower case) and its type.
class MediaTypeTable {
 public:
  // Reads the text of a table: a type and its extensions on each line,
  // separated by white space; "#" begins a comment. The first type given for
  // an extension holds. A line whose type is no type and subtype of at most
  // 100 bytes of token characters is ignored: it would not make a header.
  static MediaTypeTable parse(std::string_view text);
  // The type that a table's text gives `extension` (lower case), as the
  // parsed table would, without building the table: one attachment needs
  // one entry of a text of thousands. Empty when the text gives none.
  static std::string_view find(std::string_view text, std::string_view extension);
  // The small table used where the system has none.
  static MediaTypeTable built_in();
  // The type of the file name's extension; empty when the table has none.
  std::string_view type_of(std::string_view file_name) const;
  const std::unordered_map<std::string, std::string>& entries() const { return by_extension_; }

 private:
  std::unordered_map<std::string, std::string> by_extension_;
};

// The text with ASCII letters in lower case.
std::string lower_ascii(std::string_view text);

// The extension of the file's base name in lower case: the text after its last
// period; empty when the base name has none, or only a leading one.
std::string lower_extension(std::string_view file_name);

}  // namespace mime
