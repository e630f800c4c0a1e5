// A draft as data: its header fields and a tree of parts, built first and
// written afterwards (message_writer.h), so that what a draft holds is
// decided in one place and every later use (writing it, measuring it,
// checking its files, showing its structure) is a walk of the tree.
//
// A part is its media type with parameters, its disposition and Content-ID,
// and either its children (a multipart container) or a body source: lines
// already in the part's transfer form, a file read where it stands when the
// part is written, or a stream that produces the bytes then. A file part
// keeps the stamp the file had when it was added: the bytes written must be
// that file's of one moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/header_policy.h"
#include "mime/media_types.h"

namespace mime {

// What a part is to the draft.
enum class PartRole : uint8_t { container, plain_text, html, picture, sound, attachment };

enum class Disposition : uint8_t { none, inline_part, attachment };

// A file as it was when it was added: size, time of the last write and its
// identity on its volume. Unknown stamps match nothing and are not checked.
struct FileStamp {
  bool known = false;
  uint64_t size = 0;
  uint64_t write_time = 0;
  uint32_t volume = 0, index_high = 0, index_low = 0;
  bool operator==(const FileStamp&) const = default;
};

using ByteSink = std::function<void(std::string_view bytes)>;
// Hands a part's bytes, before their transfer encoding, to `put`; false when
// it failed (the stream itself tells the run why).
using ByteStream = std::function<bool(const ByteSink& put)>;

// A file or stream of a part carried 7bit or 8bit is written as it stands,
// line by line, each line ending in CR LF.
struct BodySource {
  enum class Kind : uint8_t { lines, file, stream };
  Kind kind = Kind::lines;
  std::vector<std::string> lines;  // lines: each written as it stands
  std::string file;                // file: its name as given
  FileStamp stamp;                 // file: as added
  ByteStream stream;               // stream
  uint64_t size = 0;               // the bytes it gives, as far as known when built
};

struct Parameter {
  std::string name;
  std::string value;  // printable ASCII, written between double quotes
};

struct Part {
  PartRole role = PartRole::container;
  std::string type;                   // "multipart/related", "image/png"
  std::vector<Parameter> parameters;  // after the type: charset, the related root's type
  std::string file_name;              // UTF-8 base name: name= and filename=; empty for none
  Disposition disposition = Disposition::none;
  std::string content_id;             // without its angle brackets; empty for none
  TransferEncoding encoding = TransferEncoding::base64;  // a leaf's
  std::string boundary;               // a container's
  std::vector<Part> children;         // a container's
  BodySource body;                    // a leaf's
  // Empty lines written after the part (after a container's closing
  // delimiter) and before a container's closing delimiter: the layout that
  // the program's drafts have always had.
  uint8_t blank_lines_after = 0;
  uint8_t blank_lines_before_close = 0;

  bool container() const { return role == PartRole::container; }
};

// How a header field's value is written: an address list or unstructured
// text through the header policy, or a value of the program's own, ASCII,
// as it stands ("Name:" alone when empty).
enum class FieldKind : uint8_t { address_list, text, as_written };

struct HeaderField {
  std::string name;
  std::string value;  // UTF-8
  FieldKind kind = FieldKind::as_written;
};

struct Message {
  std::vector<HeaderField> fields;
  // The root part's Content- fields stand before fields[content_fields_at].
  size_t content_fields_at = 0;
  // The lines between the header block and the root's first delimiter.
  std::vector<std::string> preamble;
  Part root;
  // The longest line an unstructured field is folded to.
  size_t longest_header_line = kHeaderLineHardLimit;
};

// The structure of a draft, decided from its parts. The alternative of the
// plain text and the HTML, or the plain text alone when there is no HTML;
// the HTML in a related container with the pictures and sound it embeds,
// when there are any; all of it in a mixed container with the attached
// files, when there are any. No container holds one part only.
struct Boundaries {
  std::string mixed, alternative, related;
};
Part draft_structure(Part plain, std::optional<Part> html, std::vector<Part> embedded,
                     std::vector<Part> attachments, const Boundaries& boundaries);

// Calls `visit` for the part and every part below it, parents first, in the
// order they are written.
void for_each_part(const Part& part, const std::function<void(const Part&)>& visit);

// The most bytes the written message can have is the sum of these: the
// header block with the fixed lines of any draft, and for each part (not
// counting its children) its header lines, its lines and its body source's
// known size as its transfer encoding makes it.
uint64_t header_size_bound(const Message& message);
uint64_t part_size_bound(const Part& part);

}  // namespace mime
