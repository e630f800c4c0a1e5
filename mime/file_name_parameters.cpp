// The file-name parameters of the header policy (see header_policy.h).
#include <cstdint>
#include <optional>

#include "mime/folded_lines.h"
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

// `    filename*0*=UTF-8''...;`, `    filename*1*=...;` and so on, each line
// filled to 78 bytes, the last without its semicolon.
HeaderLines numbered_sections(std::string_view utf8) {
  HeaderLines lines;
  std::string line;
  for (const std::string& piece : encoded_characters(utf8)) {
    if (!line.empty() && line.size() + piece.size() + 1 > kHeaderLineLimit) {
      lines.push_back(line + ";");
      line.clear();
    }
    if (line.empty()) {
      line = std::string(kContinuationIndent) + "filename*" + std::to_string(lines.size()) + "*=";
      if (lines.empty()) line += kCharsetStart;
    }
    line += piece;
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

HeaderLines name_parameter(std::string_view utf8_name) {
  if (std::optional<std::string> line = quoted_parameter("name", utf8_name)) return {*line};
  FoldedLines lines(std::string(kContinuationIndent) + "name=\"");
  append_encoded_words(lines, utf8_name, "", 1);  // room for the closing quote
  lines.append("\"");
  return lines.take();
}

HeaderLines filename_parameter(std::string_view utf8_name) {
  if (std::optional<std::string> line = quoted_parameter("filename", utf8_name)) return {*line};
  const std::string whole =
      std::string(kContinuationIndent) + "filename*=" + std::string(kCharsetStart) + percent_encoded(utf8_name);
  if (whole.size() <= kHeaderLineLimit) return {whole};
  return numbered_sections(utf8_name);
}

}  // namespace mime
