// Feeds arbitrary bytes to the options' text handling: the plain-text and
// HTML body readers and the header policy. Every body line must fit a
// message line with its "<br>", and every header line must be 7-bit and
// within the hard limit.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/body_lines.h"
#include "mime/header_policy.h"
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
  auto check = [](const mime::HeaderLines& lines) {
    for (const std::string& line : lines) {
      if (line.size() > mime::kHeaderLineHardLimit) std::abort();
      for (char c : line)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\r' || c == '\n') std::abort();
    }
  };
  check(mime::unstructured_header("Subject", input));
  // An address longer than the hard limit on its own is the callers' to refuse.
  if (input.size() < mime::kHeaderLineHardLimit - 8) check(mime::address_header("To", input));
  return 0;
}
