#include "mime/utf8.h"

#include <utility>

namespace mime {

namespace {

// The shape of a sequence by its first byte: how many bytes follow, and the
// range the second byte must lie in (which rules out overlong forms,
// surrogates and values past U+10FFFF).
struct LeadByte {
  uint8_t first, last;      // range of the lead byte
  uint32_t length;          // bytes in the sequence
  uint8_t low, high;        // range of the second byte
  uint8_t value_mask;       // payload bits of the lead byte
};
constexpr LeadByte kLeadBytes[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF, 0x1F}, {0xE0, 0xE0, 3, 0xA0, 0xBF, 0x0F}, {0xE1, 0xEC, 3, 0x80, 0xBF, 0x0F},
    {0xED, 0xED, 3, 0x80, 0x9F, 0x0F}, {0xEE, 0xEF, 3, 0x80, 0xBF, 0x0F}, {0xF0, 0xF0, 4, 0x90, 0xBF, 0x07},
    {0xF1, 0xF3, 4, 0x80, 0xBF, 0x07}, {0xF4, 0xF4, 4, 0x80, 0x8F, 0x07},
};

bool is_continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The bytes of the sequence a lead byte begins; 0 for a byte that begins no
// sequence of two bytes or more.
size_t sequence_length(uint8_t lead) {
  for (const LeadByte& shape : kLeadBytes)
    if (lead >= shape.first && lead <= shape.last) return shape.length;
  return 0;
}

}  // namespace

Utf8Char decode_utf8(std::string_view text, size_t at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  if (lead < 0x80) return {lead, 1};
  for (const LeadByte& shape : kLeadBytes) {
    if (lead < shape.first || lead > shape.last) continue;
    if (text.size() - at < shape.length) return {};
    const auto second = static_cast<uint8_t>(text[at + 1]);
    if (second < shape.low || second > shape.high) return {};
    char32_t value = lead & shape.value_mask;
    for (uint32_t i = 1; i < shape.length; ++i) {
      const auto b = static_cast<uint8_t>(text[at + i]);
      if (!is_continuation(b)) return {};
      value = (value << 6) | (b & 0x3F);
    }
    return {value, shape.length};
  }
  return {};
}

size_t first_invalid_utf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const Utf8Char c = decode_utf8(text, at);
    if (!c.valid()) return at;
    at += c.length;
  }
  return std::string_view::npos;
}

bool Utf8Check::malformed() {
  malformed_ = true;
  held_.clear();
  return false;
}

bool Utf8Check::feed(std::string_view piece) {
  if (malformed_) return false;
  size_t at = 0;
  if (!held_.empty()) {
    const size_t wanted = sequence_length(static_cast<uint8_t>(held_[0]));
    while (held_.size() < wanted && at < piece.size()) held_ += piece[at++];
    if (held_.size() < wanted) return true;
    if (!decode_utf8(held_, 0).valid()) return malformed();
    held_.clear();
  }
  while (at < piece.size()) {
    const auto b = static_cast<uint8_t>(piece[at]);
    if (b < 0x80) {
      line_ += b == '\n';
      ++at;
      continue;
    }
    // A character cut by the end of the piece is judged whole, with the
    // bytes the next piece brings.
    if (const size_t length = sequence_length(b); length != 0 && piece.size() - at < length) {
      held_.assign(piece.substr(at));
      return true;
    }
    const Utf8Char c = decode_utf8(piece, at);
    if (!c.valid()) return malformed();
    at += c.length;
  }
  return true;
}

bool Utf8Check::finish() {
  if (!held_.empty()) return malformed();
  return !malformed_;
}

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
    return;
  }
  // The lead byte's marker and the number of continuation bytes.
  const auto [lead, rest] = code_point < 0x800     ? std::pair{0xC0u, 1}
                            : code_point < 0x10000 ? std::pair{0xE0u, 2}
                                                   : std::pair{0xF0u, 3};
  out += static_cast<char>(lead | (code_point >> (6 * rest)));
  for (int i = rest - 1; i >= 0; --i) out += static_cast<char>(0x80u | ((code_point >> (6 * i)) & 0x3Fu));
}

}  // namespace mime
