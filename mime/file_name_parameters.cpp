// The file-name parameters of the header policy (see header_policy.h).
#include <cstdint>
#include <optional>

#include "mime/encoded_words.h"
#include "mime/header_policy.h"
#include "mime/utf8.h"

namespace mime {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::string_view kCharsetStart = "UTF-8''";

bool is_printable_ascii(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x20 || b >= 0x7F) return false;
  }
  return true;
}

// `    attribute="name"` for a name that stands as it is: printable ASCII
// without a double quote or backslash (mail readers disagree on how such a
// pair is undone), short enough for one line.
std::optional<std::string> quoted_parameter(std::string_view attribute, std::string_view name) {
  if (!is_printable_ascii(name) || name.find_first_of("\"\\") != std::string_view::npos) return std::nullopt;
  std::string line = std::string(kContinuationIndent) + std::string(attribute) + "=\"" + std::string(name) + "\"";
  if (line.size() > kHeaderLineLimit) return std::nullopt;
  return line;
}

// Bytes a percent-encoded value keeps as themselves.
bool kept_in_value(uint8_t b) {
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
         b == '_' || b == '~';
}

std::string percent_encoded(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (kept_in_value(b)) {
      out += c;
    } else {
      out += '%';
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 15];
    }
  }
  return out;
}

// The percent-encoded characters of the name, one piece per character, so
// that a section never ends inside a character.
std::vector<std::string> encoded_characters(std::string_view utf8) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < utf8.size();) {
    const Utf8Char c = decode_utf8(utf8, at);
    const size_t length = c.valid() ? c.length : 1;
    pieces.push_back(percent_encoded(utf8.substr(at, length)));
    at += length;
  }
  return pieces;
}

bool is_encoded_blank(std::string_view piece) { return piece == "%20" || piece == "%09"; }

// Where the section that begins with piece `at` ends, filled to 78 bytes
// from `used` on (at least one piece). Some readers drop the blanks at the
// end of a section, so none ends in one: it ends before its last blanks, or,
// when it holds blanks only, after the next piece that is none.
size_t section_end(const std::vector<std::string>& pieces, size_t at, size_t used) {
  size_t end = at;
  while (end < pieces.size() && (end == at || used + pieces[end].size() + 1 <= kHeaderLineLimit))
    used += pieces[end++].size();
  if (end == pieces.size()) return end;
  size_t cut = end;
  while (cut > at && is_encoded_blank(pieces[cut - 1])) --cut;
  if (cut > at) return cut;
  while (end < pieces.size() && is_encoded_blank(pieces[end])) ++end;
  return end < pieces.size() ? end + 1 : end;
}

// `    attribute*0*=UTF-8''...;`, `    attribute*1*=...;` and so on, each
// line filled to 78 bytes where its end allows, the last without its
// semicolon.
HeaderLines numbered_sections(std::string_view attribute, std::string_view utf8) {
  const std::vector<std::string> pieces = encoded_characters(utf8);
  HeaderLines lines;
  for (size_t at = 0; at < pieces.size();) {
    std::string line =
        std::string(kContinuationIndent) + std::string(attribute) + "*" + std::to_string(lines.size()) + "*=";
    if (lines.empty()) line += kCharsetStart;
    const size_t end = section_end(pieces, at, line.size());
    for (; at < end; ++at) line += pieces[at];
    lines.push_back(at < pieces.size() ? line + ";" : line);
  }
  return lines;
}

}  // namespace

HeaderLines name_parameter(std::string_view utf8_name) {
  if (std::optional<std::string> line = quoted_parameter("name", utf8_name)) return {*line};
  // A quoted string is never folded (a reader would keep the break in the
  // name): one encoded-word on the line, or the name in sections.
  const std::string line = std::string(kContinuationIndent) + "name=\"" +
                           encoded_word(utf8_name, word_encoding_for(utf8_name)) + "\"";
  if (line.size() <= kHeaderLineLimit) return {line};
  return numbered_sections("name", utf8_name);
}

HeaderLines filename_parameter(std::string_view utf8_name) {
  if (std::optional<std::string> line = quoted_parameter("filename", utf8_name)) return {*line};
  const std::string whole =
      std::string(kContinuationIndent) + "filename*=" + std::string(kCharsetStart) + percent_encoded(utf8_name);
  if (whole.size() <= kHeaderLineLimit) return {whole};
  return numbered_sections("filename", utf8_name);
}

}  // namespace mime
