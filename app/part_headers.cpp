#include "app/part_headers.h"

#include <string>

#include "app/message_output.h"
#include "mime/header_policy.h"

namespace app {

namespace {

constexpr std::string_view kDispositionTypes[] = {{}, "inline", "attachment"};  // ORDER: Disposition

}  // namespace

void write_part_headers(const PartHeader& part) {
  const bool named = !part.name.empty();
  write_lines(mime::token_header("Content-Type", std::string(part.type) + (named ? ";" : "")));
  if (named) write_lines(mime::name_parameter(part.name));
  write_line({"Content-Transfer-Encoding: ", part.encoding});
  if (!part.content_id.empty()) write_line({"Content-ID: <", part.content_id, ">"});
  if (part.disposition != Disposition::none) {
    write_line({"Content-Disposition: ", kDispositionTypes[static_cast<int>(part.disposition)], named ? ";" : ""});
    if (named) write_lines(mime::filename_parameter(part.name));
  }
  write_empty_line();
}

}  // namespace app
