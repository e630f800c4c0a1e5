// Feeds arbitrary bytes to the options' text handling: the plain-text and
// HTML body readers and the header encoders. Every body line must fit a
// message line with its "<br>", and every encoded-word must be short enough.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/body_lines.h"
#include "cli/header_words.h"
#include "mime/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (bool html : {false, true}) {
    cli::BodyLines out;
    if (html)
      cli::add_html_body(input, out);
    else
      cli::add_text_body(input, out);
    for (const std::string& line : out.lines())
      if (line.size() > cli::kBodyLineRoom) std::abort();
  }
  if (mime::first_invalid_utf8(input) != std::string_view::npos) return 0;
  const std::string subject = cli::header_text(input);
  for (size_t at = 0, end; at < subject.size(); at = end + 1) {
    end = std::min(subject.find(' ', at), subject.size());
    if (subject.compare(at, 2, "=?") == 0 && end - at > cli::kEncodedWordLimit) std::abort();
  }
  for (const std::string& address : cli::split_addresses(input)) cli::header_address(address);
  return 0;
}
