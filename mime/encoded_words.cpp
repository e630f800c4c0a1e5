#include "mime/encoded_words.h"

#include <cstdint>

#include "mime/base64.h"
#include "mime/utf8.h"

namespace mime {

namespace {

constexpr std::string_view kBase64Start = "=?UTF-8?B?";
constexpr std::string_view kQuotedStart = "=?UTF-8?Q?";
constexpr std::string_view kWordEnd = "?=";
static_assert(kBase64Start.size() == kQuotedStart.size());
constexpr size_t kWordFrame = kBase64Start.size() + kWordEnd.size();

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Bytes that Q writes as themselves; a space becomes "_".
bool q_keeps(uint8_t b) {
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '!' || b == '*' ||
         b == '+' || b == '-' || b == '/';
}

size_t q_size(std::string_view bytes) {
  size_t size = 0;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    size += q_keeps(b) || b == ' ' ? 1 : 3;
  }
  return size;
}

void append_q(std::string& out, std::string_view bytes) {
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (q_keeps(b)) {
      out += c;
    } else if (b == ' ') {
      out += '_';
    } else {
      out += '=';
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 15];
    }
  }
}

}  // namespace

WordEncoding word_encoding_for(std::string_view utf8) {
  return q_size(utf8) < base64_size(utf8.size()) ? WordEncoding::quoted : WordEncoding::base64;
}

size_t word_text_size(std::string_view utf8, size_t at, size_t limit, WordEncoding encoding) {
  size_t end = at;
  size_t quoted = 0;  // the Q size of the bytes taken so far
  while (end < utf8.size()) {
    const Utf8Char c = decode_utf8(utf8, end);
    const size_t next = end + (c.valid() ? c.length : 1);
    const size_t next_quoted = quoted + q_size(utf8.substr(end, next - end));
    const size_t size = encoding == WordEncoding::base64 ? base64_size(next - at) : next_quoted;
    if (kWordFrame + size > limit) break;
    quoted = next_quoted;
    end = next;
  }
  return end - at;
}

std::string encoded_word(std::string_view text, WordEncoding encoding) {
  std::string out(encoding == WordEncoding::base64 ? kBase64Start : kQuotedStart);
  if (encoding == WordEncoding::base64) {
    append_base64(out, text);
  } else {
    append_q(out, text);
  }
  out += kWordEnd;
  return out;
}

}  // namespace mime
