#include "mime/text_codecs.h"

#include <optional>

#include "mime/utf8.h"
#include "platform/text.h"

namespace mime {

namespace {

std::optional<unsigned> hex_value(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return std::nullopt;
}

// Where a soft line break that begins with the "=" at `at` ends (its last
// byte); nothing when that "=" begins none.
std::optional<size_t> soft_break_end(std::string_view qp, size_t at) {
  const size_t end = qp.find_first_not_of(" \t", at + 1);
  if (end == std::string_view::npos) return qp.size() - 1;  // "=" ends the text
  if (qp[end] == '\n') return end;
  if (qp[end] == '\r' && end + 1 < qp.size() && qp[end + 1] == '\n') return end + 1;
  return std::nullopt;
}

}  // namespace

std::string windows_1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) append_utf8(out, plat::ansi_to_unicode(static_cast<plat::BYTE>(c)));
  return out;
}

std::string quoted_printable_decode(std::string_view qp) {
  std::string out;
  out.reserve(qp.size());
  for (size_t at = 0; at < qp.size(); ++at) {
    if (qp[at] != '=') {
      out += qp[at];
    } else if (const std::optional<size_t> end = soft_break_end(qp, at)) {
      at = *end;
    } else if (at + 2 < qp.size() && hex_value(qp[at + 1]) && hex_value(qp[at + 2])) {
      out += static_cast<char>(*hex_value(qp[at + 1]) << 4 | *hex_value(qp[at + 2]));
      at += 2;
    } else {
      out += '=';
    }
  }
  return out;
}

}  // namespace mime
