#include "cli/header_words.h"

#include "mime/utf8.h"

namespace cli {

namespace {

constexpr std::string_view kWordStart = "=?UTF-8?B?";
constexpr std::string_view kWordEnd = "?=";
// Text bytes per word: base64 makes four characters of every three bytes.
constexpr size_t kWordBytes = (kEncodedWordLimit - kWordStart.size() - kWordEnd.size()) / 4 * 3;
static_assert(kWordBytes == 45);

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void append_base64(std::string& out, std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = (group << 8) | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
  }
}

bool needs_encoding(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x20 || b >= 0x7F) return true;
  }
  return text.find("=?") != std::string_view::npos;
}

// Encoded-words of whole characters, separated by spaces.
std::string encoded_words(std::string_view utf8) {
  std::string out;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = start;
    while (end < utf8.size()) {
      const mime::Utf8Char c = mime::decode_utf8(utf8, end);
      const size_t length = c.valid() ? c.length : 1;
      if (end + length - start > kWordBytes) break;
      end += length;
    }
    if (!out.empty()) out += ' ';
    out += kWordStart;
    append_base64(out, utf8.substr(start, end - start));
    out += kWordEnd;
    start = end;
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The text of a quoted display name: quotes off, each quoted pair "\x" as x.
std::string unquoted(std::string_view name) {
  if (name.size() < 2 || name.front() != '"' || name.back() != '"') return std::string(name);
  std::string text;
  for (size_t i = 1; i + 1 < name.size(); ++i) {
    if (name[i] == '\\' && i + 2 < name.size()) ++i;
    text += name[i];
  }
  return text;
}

}  // namespace

std::string header_text(std::string_view utf8) {
  return needs_encoding(utf8) ? encoded_words(utf8) : std::string(utf8);
}

std::vector<std::string> split_addresses(std::string_view list) {
  std::vector<std::string> addresses;
  bool quoted = false;
  int angle = 0;
  size_t start = 0;
  for (size_t i = 0; i <= list.size(); ++i) {
    const char c = i < list.size() ? list[i] : ',';
    if (quoted && c == '\\') {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == '<' || c == '>')) {
      angle += c == '<' ? 1 : (angle > 0 ? -1 : 0);
    } else if (c == ',' && ((!quoted && angle == 0) || i == list.size())) {
      const std::string_view one = trimmed(list.substr(start, i - start));
      if (!one.empty()) addresses.emplace_back(one);
      start = i + 1;
    }
  }
  return addresses;
}

std::string header_address(std::string_view address) {
  address = trimmed(address);
  const size_t open = address.rfind('<');
  if (open == std::string_view::npos || open == 0 || address.back() != '>') return std::string(address);
  const std::string_view name = trimmed(address.substr(0, open));
  const std::string text = unquoted(name);
  if (!needs_encoding(text) && text.find(',') == std::string::npos) return std::string(address);
  return encoded_words(text) + " " + std::string(address.substr(open));
}

}  // namespace cli
