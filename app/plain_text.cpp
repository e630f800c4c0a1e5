#include "app/plain_text.h"

#include <string>

#include "app/html_body.h"
#include "app/program_data.h"
#include "mime/html_text.h"
#include "mime/text_codecs.h"

namespace app {

std::vector<std::string> plain_text_lines() {
  std::vector<std::string> lines;
  mime::QuotedPrintableEncoder encoder([&lines](std::string_view line) { lines.emplace_back(line); });
  mime::HtmlText text([&encoder](std::string_view utf8) { encoder.put(utf8); });
  ProgramQueue& body = program_data().body_lines;
  const uint32_t count = body.records();
  for (uint32_t i = 1; i <= count; ++i) {
    body.get(i);
    // The line as the HTML part holds it: cut to its message line, with its
    // break when that fits, and the line end between it and the next.
    const std::string_view line = clipped(body.field(), body.field_size()).substr(0, kMessageLineSize);
    text.feed(mime::windows_1252_to_utf8(mime::quoted_printable_decode(line)));
    text.feed(line_break(line.size()));
    text.feed("\n");
  }
  text.finish();
  encoder.finish();
  return lines;
}

}  // namespace app
