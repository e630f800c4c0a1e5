#include "mime/domain_names.h"

#include "mime/utf8.h"
#include "platform/idn.h"

namespace mime {

std::optional<std::string> ascii_domain(std::string_view utf8) {
  std::u16string wide;
  for (size_t at = 0; at < utf8.size();) {
    const Utf8Char c = decode_utf8(utf8, at);
    if (!c.valid()) return std::nullopt;
    if (c.code_point < 0x10000) {
      wide += static_cast<char16_t>(c.code_point);
    } else {
      wide += static_cast<char16_t>(0xD800 + ((c.code_point - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((c.code_point - 0x10000) & 0x3FF));
    }
    at += c.length;
  }
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  const int needed = plat::IdnToAscii(0, wide.data(), length, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::u16string ascii(static_cast<size_t>(needed), u'\0');
  if (plat::IdnToAscii(0, wide.data(), length, ascii.data(), needed) != needed) return std::nullopt;
  std::string out;
  for (char16_t c : ascii) {
    if (c >= 0x80) return std::nullopt;  // the system's answer is ASCII, or no answer
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace mime
