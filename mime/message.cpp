#include "mime/message.h"

#include <utility>

namespace mime {

namespace {

// The header block's fixed lines, the template lines of a page and the
// closing lines: room the size bound gives whatever the parts are.
constexpr uint64_t kFixedBound = 64 * 1024;
// A line with its CR LF, at the longest the program's message lines get.
constexpr uint64_t kLineBound = 252;
// The header lines of one part and the empty lines around its text.
constexpr uint64_t kPartBound = 10 * kLineBound;
// Base64 lines: 57 bytes make 76 characters and the CR LF.
constexpr uint64_t kBytesPerLine = 57;
constexpr uint64_t kCharactersPerLine = 78;

Part container(std::string type, std::string boundary, std::vector<Part> children) {
  Part part;
  part.type = std::move(type);
  part.boundary = std::move(boundary);
  part.children = std::move(children);
  return part;
}

}  // namespace

Part draft_structure(Part plain, std::optional<Part> html, std::vector<Part> embedded,
                     std::vector<Part> attachments, const Boundaries& boundaries) {
  Part body = html ? Part{} : std::move(plain);
  if (html) {
    Part shown = std::move(*html);
    if (!embedded.empty()) {
      std::vector<Part> related;
      related.push_back(std::move(shown));
      for (Part& part : embedded) {
        part.blank_lines_after = part.encoding == TransferEncoding::base64;
        related.push_back(std::move(part));
      }
      shown = container("multipart/related", boundaries.related, std::move(related));
      shown.parameters.push_back({"type", "text/html"});
      shown.blank_lines_after = 1;
    }
    std::vector<Part> pair;
    pair.push_back(std::move(plain));
    pair.push_back(std::move(shown));
    body = container("multipart/alternative", boundaries.alternative, std::move(pair));
  }
  if (attachments.empty()) return body;
  // After a container's closing delimiter; a text's own last line end
  // already stands before the next delimiter.
  body.blank_lines_after = body.container();
  std::vector<Part> mixed;
  mixed.push_back(std::move(body));
  for (Part& part : attachments) {
    // Base64 text ends with a line of its own; the empty line after it
    // stands before the next delimiter.
    part.blank_lines_after = part.encoding == TransferEncoding::base64;
    mixed.push_back(std::move(part));
  }
  Part root = container("multipart/mixed", boundaries.mixed, std::move(mixed));
  root.blank_lines_before_close = 1;
  return root;
}

void for_each_part(const Part& part, const std::function<void(const Part&)>& visit) {
  visit(part);
  for (const Part& child : part.children) for_each_part(child, visit);
}

uint64_t header_size_bound(const Message& message) {
  uint64_t bound = kFixedBound;
  for (const HeaderField& field : message.fields) bound += field.name.size() + 2 * field.value.size() + kLineBound;
  return bound;
}

uint64_t part_size_bound(const Part& part) {
  uint64_t bound = kPartBound;
  for (const std::string& line : part.body.lines) bound += line.size() + 2;
  if (part.encoding == TransferEncoding::base64)
    return bound + (part.body.size / kBytesPerLine + 1) * kCharactersPerLine;
  return bound + part.body.size;
}

}  // namespace mime
