// wsprintfA: the small printf of the Windows user interface, into at most
// 1024 bytes.
#include <cstring>

#include "platform/text.h"

namespace plat {
namespace {

// One conversion as written: %[flags][width][.precision][size]type.
struct conversion {
  bool left = false;      // '-'
  bool prefix = false;    // '#'
  bool zero_pad = false;  // '0'
  unsigned width = 0;
  int precision = -1;   // -1: none written
  bool wide64 = false;  // I64
  bool half = false;    // h
  char type = 0;
};

// Writes into the caller's buffer, never past the limit, always able to end it with a NUL.
class bounded_output {
 public:
  explicit bounded_output(char* buffer) : buffer_(buffer) {}
  void put(char c) {
    if (length_ < WSPRINTF_LIMIT - 1) buffer_[length_++] = c;
  }
  void put(const char* text, size_t count) {
    for (size_t i = 0; i < count; ++i) put(text[i]);
  }
  void pad(size_t count, char c) {
    for (size_t i = 0; i < count; ++i) put(c);
  }
  int finish() {
    buffer_[length_] = '\0';
    return static_cast<int>(length_);
  }

 private:
  char* buffer_;
  size_t length_ = 0;
};

unsigned read_number(const char*& p) {
  unsigned value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10 + unsigned(*p++ - '0');
  return value;
}

// Reads the part after '%' up to and including the type character.
conversion parse(const char*& p) {
  conversion spec;
  for (;; ++p) {
    if (*p == '-')
      spec.left = true;
    else if (*p == '#')
      spec.prefix = true;
    else if (*p == '0')
      spec.zero_pad = true;
    else
      break;
  }
  spec.width = read_number(p);
  if (*p == '.') {
    ++p;
    spec.precision = static_cast<int>(read_number(p));
  }
  if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
    spec.wide64 = true;
    p += 3;
  } else if (*p == 'l') {
    ++p;
  } else if (*p == 'h') {
    spec.half = true;
    ++p;
  }
  spec.type = *p;
  if (*p != '\0') ++p;
  return spec;
}

void emit_padded(bounded_output& out, const conversion& spec, const char* body, size_t length,
                 const char* lead = "", char fill = ' ') {
  size_t lead_length = std::strlen(lead);
  size_t total = lead_length + length;
  size_t padding = spec.width > total ? spec.width - total : 0;
  if (!spec.left && fill == ' ') out.pad(padding, ' ');
  out.put(lead, lead_length);
  if (!spec.left && fill == '0') out.pad(padding, '0');
  out.put(body, length);
  if (spec.left) out.pad(padding, ' ');
}

void emit_text(bounded_output& out, const conversion& spec, const char* text) {
  if (text == nullptr) text = "(null)";
  size_t length = std::strlen(text);
  if (spec.precision >= 0 && size_t(spec.precision) < length) length = size_t(spec.precision);
  emit_padded(out, spec, text, length);
}

void emit_integer(bounded_output& out, const conversion& spec, va_list& arguments) {
  bool is_signed = spec.type == 'd' || spec.type == 'i';
  uint64_t magnitude;
  bool negative = false;
  if (spec.wide64) {
    int64_t value = va_arg(arguments, long long);
    negative = is_signed && value < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  } else {
    int value = va_arg(arguments, int);
    if (spec.half)
      value = is_signed ? int(static_cast<int16_t>(value)) : int(static_cast<uint16_t>(value));
    negative = is_signed && value < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(int64_t{value})
                         : static_cast<uint64_t>(static_cast<uint32_t>(value));
  }
  unsigned base = (spec.type == 'x' || spec.type == 'X') ? 16 : 10;
  const char* digits = spec.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char body[32];
  size_t length = 0;
  char reversed[24];
  size_t count = 0;
  do {
    reversed[count++] = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  for (size_t i = count; spec.precision >= 0 && i < size_t(spec.precision) && length < 16; ++i) {
    body[length++] = '0';
  }
  while (count > 0) body[length++] = reversed[--count];
  const char* lead = negative ? "-" : "";
  if (base == 16 && spec.prefix) lead = spec.type == 'X' ? "0X" : "0x";
  emit_padded(out, spec, body, length, lead, spec.zero_pad && !spec.left ? '0' : ' ');
}

}  // namespace

int wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments) {
  if (buffer == nullptr) return 0;
  bounded_output out(buffer);
  va_list list;
  va_copy(list, arguments);
  for (const char* p = format != nullptr ? format : ""; *p != '\0';) {
    if (*p != '%') {
      out.put(*p++);
      continue;
    }
    ++p;
    conversion spec = parse(p);
    switch (spec.type) {
      case 's':
        emit_text(out, spec, va_arg(list, const char*));
        break;
      case 'c': {
        char c = static_cast<char>(va_arg(list, int));
        emit_padded(out, spec, &c, 1);
        break;
      }
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
        emit_integer(out, spec, list);
        break;
      case '\0':
        break;
      default:
        out.put(spec.type);
        break;  // "%%" and anything unknown: the character itself
    }
  }
  va_end(list);
  return out.finish();
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(buffer, format, arguments);
  va_end(arguments);
  return length;
}

}  // namespace plat
