// Feeds arbitrary bytes to the quoted-printable encoder, in two pieces cut at
// a place the input chooses, and decodes what it wrote: every line within 76
// bytes, 7-bit, and the text back with its line ends as LF.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mime/text_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t cut = data[0] % (input.size() + 1);
  std::string joined;
  bool first = true;
  mime::QuotedPrintableEncoder encoder([&](std::string_view line) {
    if (line.size() > 76) std::abort();
    for (char c : line)
      if (static_cast<uint8_t>(c) >= 0x80 || c == '\r' || c == '\n') std::abort();
    if (!first) joined += '\n';
    joined.append(line);
    first = false;
  });
  encoder.put(input.substr(0, cut));
  encoder.put(input.substr(cut));
  encoder.finish();
  std::string plain(input);
  for (size_t at = 0; (at = plain.find("\r\n", at)) != std::string::npos;) plain.erase(at, 1);
  if (plain.ends_with('\n')) joined += '\n';
  if (mime::quoted_printable_decode(joined) != plain) std::abort();
  return 0;
}
