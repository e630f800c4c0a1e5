#include "cli/header_words.h"

#include <cstdint>

#include "mime/address_syntax.h"

namespace cli {

namespace {

bool needs_encoding(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x20 || b >= 0x7F) return true;
  }
  return text.find("=?") != std::string_view::npos;
}

// Encoded-words (base64) of whole characters, separated by spaces.
std::string encoded_words(std::string_view utf8) {
  constexpr mime::WordEncoding kBase64 = mime::WordEncoding::base64;
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    const size_t size = mime::word_text_size(utf8, at, kEncodedWordLimit, kBase64);
    if (!out.empty()) out += ' ';
    out += mime::encoded_word(utf8.substr(at, size), kBase64);
    at += size;
  }
  return out;
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

std::string header_address(std::string_view address) {
  address = mime::trimmed(address);
  const size_t open = address.rfind('<');
  if (open == std::string_view::npos || open == 0 || address.back() != '>') return std::string(address);
  const std::string_view name = mime::trimmed(address.substr(0, open));
  const std::string text = unquoted(name);
  if (!needs_encoding(text) && text.find(',') == std::string::npos) return std::string(address);
  return encoded_words(text) + " " + std::string(address.substr(open));
}

}  // namespace cli
