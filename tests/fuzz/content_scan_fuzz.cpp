// Feeds arbitrary bytes to the content scan in three pieces cut at places the
// input chooses: its verdict is that of the whole, and agrees with the file's
// lines read one by one. Then reads the same bytes as a table of media types:
// every type it keeps can stand in a header as it is.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mime/content_scan.h"
#include "mime/media_types.h"

namespace {

constexpr std::string_view kBoundaries[] = {"----=_1_", "----=_2_", "----=_3_"};

std::span<const unsigned char> bytes_of(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

void check_lines(std::string_view input, const mime::ContentVerdict& verdict) {
  bool delimiter = false, long_line = false;
  for (size_t at = 0; at < input.size();) {
    const size_t end = std::min(input.find('\n', at), input.size());
    std::string_view line = input.substr(at, end - at);
    if (end < input.size() && line.ends_with('\r')) line.remove_suffix(1);
    delimiter |= mime::opens_with_delimiter(line, kBoundaries);
    long_line |= line.size() > mime::kMaxUnencodedLine;
    at = end + 1;
  }
  bool cr_alone = false;
  for (size_t i = 0; i < input.size(); ++i)
    cr_alone |= input[i] == '\r' && (i + 1 == input.size() || input[i + 1] != '\n');
  if (verdict.delimiter_line != delimiter || verdict.long_line != long_line || verdict.lone_cr != cr_alone ||
      verdict.nul != (input.find('\0') != std::string_view::npos) ||
      verdict.eight_bit != std::any_of(input.begin(), input.end(), [](char c) { return (c & 0x80) != 0; }))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t first = data[0] % (input.size() + 1);
  const size_t second = first + data[1] % (input.size() - first + 1);
  mime::ContentScan whole(kBoundaries), pieces(kBoundaries);
  whole.put(bytes_of(input));
  pieces.put(bytes_of(input.substr(0, first)));
  pieces.put(bytes_of(input.substr(first, second - first)));
  pieces.put(bytes_of(input.substr(second)));
  if (!(whole.verdict() == pieces.verdict())) std::abort();
  check_lines(input, whole.verdict());
  const mime::MediaTypeTable table = mime::MediaTypeTable::parse(input);
  for (const auto& [extension, type] : table.entries())
    if (type.size() > 100 || std::count(type.begin(), type.end(), '/') != 1 ||
        std::any_of(type.begin(), type.end(), [](char c) { return c <= ' ' || c >= 0x7F || c == ';'; }) ||
        mime::MediaTypeTable::find(input, extension) != type)
      std::abort();
  return 0;
}
