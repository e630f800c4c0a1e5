#include "cli/body_text.h"

#include "mime/utf8.h"

namespace cli {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves the byte
// undefined. Every other byte is the character of the same number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

struct TextEscape {
  char32_t c;
  std::string_view reference;
};
constexpr TextEscape kTextEscapes[] = {
    {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"},
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

int windows_1252_byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] != 0 && kHighControls[i] == c) return 0x80 + i;
  return -1;
}

void append_quoted_printable(std::string& out, uint8_t byte) {
  if (byte == ' ' || (byte > ' ' && byte < 0x7F && byte != '=')) {
    out += static_cast<char>(byte);
    return;
  }
  out += '=';
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 15];
}

void append_body_character(std::string& out, char32_t c) {
  const int byte = windows_1252_byte(c);
  if (byte >= 0) {
    append_quoted_printable(out, static_cast<uint8_t>(byte));
    return;
  }
  out += "&#";
  out += std::to_string(static_cast<uint32_t>(c));
  out += ';';
}

void append_text_character(std::string& out, char32_t c) {
  for (const TextEscape& e : kTextEscapes)
    if (e.c == c) {
      out += e.reference;
      return;
    }
  append_body_character(out, c);
}

namespace {

// Each character of a checked UTF-8 text through `append`.
template <typename Append>
std::string each_character(std::string_view utf8, Append append) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    const mime::Utf8Char c = mime::decode_utf8(utf8, at);
    if (!c.valid()) break;  // the caller checked the text
    append(out, c.code_point);
    at += c.length;
  }
  return out;
}

void append_code_page_character(std::string& out, char32_t c) {
  if (const int byte = windows_1252_byte(c); byte >= 0) {
    out += static_cast<char>(byte);
    return;
  }
  out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
}

}  // namespace

std::string body_text(std::string_view utf8) { return each_character(utf8, append_text_character); }

std::string code_page_text(std::string_view utf8) { return each_character(utf8, append_code_page_character); }

}  // namespace cli
