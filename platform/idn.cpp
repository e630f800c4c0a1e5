#include "platform/idn.h"

#include "platform/failure.h"
#include "platform/last_error.h"

#ifdef _WIN32
#include "platform/win32/idn.inc"
#else
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/posix/idn.inc"

namespace plat {

namespace {

constexpr DWORD kKnownFlags = IDN_ALLOW_UNASSIGNED | IDN_USE_STD3_ASCII_RULES;

// The UTF-8 of a UTF-16 text; nothing for a broken surrogate pair.
bool utf8_of(LPCWSTR text, size_t length, std::string& out) {
  for (size_t i = 0; i < length; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c > 0xDBFF || i + 1 == length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

bool is_ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool is_ldh(std::string_view label) {
  for (char c : label) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '-') return false;
  }
  return label.empty() || (label.front() != '-' && label.back() != '-');
}

// The labels of a domain, in turn.
template <typename Each>
bool each_label(std::string_view domain, Each each) {
  for (size_t start = 0;;) {
    const size_t dot = std::min(domain.find('.', start), domain.size());
    if (!each(domain.substr(start, dot - start), dot == domain.size())) return false;
    if (dot == domain.size()) return true;
    start = dot + 1;
  }
}

// The ASCII form of a UTF-8 domain, label by label: the labels beyond ASCII
// as A-labels. False for a name no domain may be.
bool ascii_domain(std::string_view domain, DWORD flags, std::string& out) {
  constexpr size_t kLongestLabel = 63, kLongestName = 255;
  // A domain beyond ASCII is mapped whole, its ASCII labels to lower case.
  const bool mapped = !is_ascii(domain);
  const bool converted = each_label(domain, [&](std::string_view label, bool last) {
    std::string ascii(label);
    if (mapped)
      for (char& c : ascii) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (is_ascii(label) ? (flags & IDN_USE_STD3_ASCII_RULES) && !is_ldh(label)
                        : !detail::a_label(label, flags & IDN_ALLOW_UNASSIGNED, ascii))
      return false;
    out += ascii;
    if (!last) out += '.';
    return true;
  });
  // The mapping may make a character a dot, so the lengths are measured on
  // the result.
  return converted && out.size() <= kLongestName &&
         each_label(out, [](std::string_view label, bool) { return label.size() <= kLongestLabel; });
}

}  // namespace

int IdnToAscii(DWORD flags, LPCWSTR unicode, int unicode_length, LPWSTR ascii, int ascii_length) {
  if (flags & ~kKnownFlags) return detail::fail(ERROR_INVALID_FLAGS), 0;
  if (unicode == nullptr || unicode_length == 0 || unicode_length < -1 || ascii_length < 0 ||
      (ascii == nullptr && ascii_length > 0))
    return detail::fail(ERROR_INVALID_PARAMETER), 0;
  const bool ended = unicode_length == -1;
  size_t length = 0;
  if (ended) {
    while (unicode[length] != 0) ++length;
  } else {
    length = static_cast<size_t>(unicode_length);
  }
  std::string utf8, out;
  if (!utf8_of(unicode, length, utf8) || !ascii_domain(utf8, flags, out)) return detail::fail(ERROR_INVALID_NAME), 0;
  const size_t needed = out.size() + (ended ? 1 : 0);
  if (ascii_length == 0) return static_cast<int>(needed);
  if (needed > static_cast<size_t>(ascii_length)) return detail::fail(ERROR_INSUFFICIENT_BUFFER), 0;
  for (size_t i = 0; i < out.size(); ++i) ascii[i] = static_cast<unsigned char>(out[i]);
  if (ended) ascii[out.size()] = 0;
  return static_cast<int>(needed);
}

}  // namespace plat
#endif
