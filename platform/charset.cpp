#include "platform/charset.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/ascii.h"
#include "platform/failure.h"
#include "platform/last_error.h"

namespace plat::detail {

// How a set's bytes become characters: by the system's converter, or as
// code units of Unicode read here.
enum class unicode_form : uint8_t { none, utf16le, utf16be, utf32le, utf32be };

struct charset_entry {
  std::string_view name;     // the preferred name, as messages show it
  std::string_view aliases;  // other names, separated by spaces
  UINT code_page;            // the system's number for it on Windows
  std::string_view iconv;    // its name to iconv; empty: read here
  unicode_form form = unicode_form::none;
};

// Windows's code pages are supersets of a few of these (932 of Shift_JIS,
// 936 of GB2312, 949 of EUC-KR), as mail programs read them.
constexpr charset_entry kCharsets[] = {
    {"UTF-8", "UTF8 UNICODE-1-1-UTF-8", 65001, "UTF-8"},
    {"UTF-16", "", 1201, "", unicode_form::utf16be},  // without a byte-order mark, big-endian
    {"UTF-16LE", "", 1200, "", unicode_form::utf16le},
    {"UTF-16BE", "", 1201, "", unicode_form::utf16be},
    {"UTF-32", "", 12001, "", unicode_form::utf32be},
    {"UTF-32LE", "", 12000, "", unicode_form::utf32le},
    {"UTF-32BE", "", 12001, "", unicode_form::utf32be},
    {"US-ASCII", "ASCII ANSI_X3.4-1968 ISO646-US IBM367 CP367 US CSASCII", 20127, "ASCII"},
    {"ISO-8859-1", "ISO_8859-1 LATIN1 L1 ISO-IR-100 IBM819 CP819 CSISOLATIN1", 28591, "ISO-8859-1"},
    {"ISO-8859-2", "ISO_8859-2 LATIN2 L2 ISO-IR-101 CSISOLATIN2", 28592, "ISO-8859-2"},
    {"ISO-8859-3", "ISO_8859-3 LATIN3 L3 ISO-IR-109", 28593, "ISO-8859-3"},
    {"ISO-8859-4", "ISO_8859-4 LATIN4 L4 ISO-IR-110", 28594, "ISO-8859-4"},
    {"ISO-8859-5", "ISO_8859-5 CYRILLIC ISO-IR-144", 28595, "ISO-8859-5"},
    {"ISO-8859-6", "ISO_8859-6 ARABIC ISO-IR-127", 28596, "ISO-8859-6"},
    {"ISO-8859-7", "ISO_8859-7 GREEK GREEK8 ISO-IR-126", 28597, "ISO-8859-7"},
    {"ISO-8859-8", "ISO_8859-8 HEBREW ISO-IR-138", 28598, "ISO-8859-8"},
    {"ISO-8859-9", "ISO_8859-9 LATIN5 L5 ISO-IR-148", 28599, "ISO-8859-9"},
    {"ISO-8859-13", "ISO_8859-13 LATIN7", 28603, "ISO-8859-13"},
    {"ISO-8859-15", "ISO_8859-15 LATIN-9 LATIN9", 28605, "ISO-8859-15"},
    {"WINDOWS-1250", "CP1250", 1250, "CP1250"},
    {"WINDOWS-1251", "CP1251", 1251, "CP1251"},
    {"WINDOWS-1252", "CP1252", 1252, "CP1252"},
    {"WINDOWS-1253", "CP1253", 1253, "CP1253"},
    {"WINDOWS-1254", "CP1254", 1254, "CP1254"},
    {"WINDOWS-1255", "CP1255", 1255, "CP1255"},
    {"WINDOWS-1256", "CP1256", 1256, "CP1256"},
    {"WINDOWS-1257", "CP1257", 1257, "CP1257"},
    {"WINDOWS-1258", "CP1258", 1258, "CP1258"},
    {"KOI8-R", "CSKOI8R", 20866, "KOI8-R"},
    {"KOI8-U", "", 21866, "KOI8-U"},
    {"IBM437", "CP437 437 CSPC8CODEPAGE437", 437, "IBM437"},
    {"IBM850", "CP850 850 CSPC850MULTILINGUAL", 850, "IBM850"},
    {"IBM866", "CP866 866 CSIBM866", 866, "IBM866"},
    {"MACINTOSH", "MAC CSMACINTOSH", 10000, "MACINTOSH"},
    {"SHIFT_JIS", "SJIS MS_KANJI CSSHIFTJIS", 932, "SHIFT_JIS"},
    {"WINDOWS-31J", "CP932 MS932", 932, "CP932"},
    {"EUC-JP", "EUCJP CSEUCPKDFMTJAPANESE", 20932, "EUC-JP"},
    {"GB2312", "CSGB2312 EUC-CN", 936, "GB2312"},
    {"GBK", "CP936 MS936 WINDOWS-936", 936, "GBK"},
    {"GB18030", "", 54936, "GB18030"},
    {"BIG5", "BIG-5 CN-BIG5 CSBIG5 CP950", 950, "BIG5"},
    {"EUC-KR", "EUCKR CSEUCKR KS_C_5601-1987", 949, "EUC-KR"},
};

const charset_entry* find_charset(std::string_view name) {
  for (const charset_entry& entry : kCharsets) {
    if (same_ascii_text(entry.name, name)) return &entry;
    for (std::string_view rest = entry.aliases; !rest.empty();) {
      const size_t space = std::min(rest.find(' '), rest.size());
      if (same_ascii_text(rest.substr(0, space), name)) return &entry;
      rest.remove_prefix(std::min(space + 1, rest.size()));
    }
  }
  return nullptr;
}

}  // namespace plat::detail

#ifdef _WIN32
#include "platform/win32/charset.inc"
#else
#include "platform/posix/charset.inc"
#endif

namespace plat {

struct text_converter {
  const detail::charset_entry* entry = nullptr;
  detail::system_converter system;
};

namespace {

using detail::unicode_form;

char32_t code_unit(const unsigned char* at, unicode_form form) {
  switch (form) {
    case unicode_form::utf16le:
      return at[0] | char32_t{at[1]} << 8;
    case unicode_form::utf16be:
      return at[1] | char32_t{at[0]} << 8;
    case unicode_form::utf32le:
      return at[0] | char32_t{at[1]} << 8 | char32_t{at[2]} << 16 | char32_t{at[3]} << 24;
    default:
      return at[3] | char32_t{at[2]} << 8 | char32_t{at[1]} << 16 | char32_t{at[0]} << 24;
  }
}

size_t put_utf8(char32_t c, char* out) {
  if (c < 0x80) return out[0] = static_cast<char>(c), 1;
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | c >> 6);
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | c >> 12);
    out[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | c >> 18);
  out[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
  out[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// UTF-16 and UTF-32, code unit by code unit: a surrogate must be the first
// half of a pair in UTF-16 and is no character in UTF-32.
BOOL convert_unicode(unicode_form form, const unsigned char* in, size_t size, bool last, char* out,
                     size_t out_size, DWORD* used, DWORD* written) {
  const size_t unit = form == unicode_form::utf16le || form == unicode_form::utf16be ? 2 : 4;
  size_t read = 0, put = 0;
  bool valid = true, full = false;
  while (read + unit <= size) {
    char32_t c = code_unit(in + read, form);
    size_t take = unit;
    if (unit == 2 && c >= 0xD800 && c <= 0xDBFF) {
      if (read + 4 > size) {
        valid = !last;
        break;
      }
      const char32_t low = code_unit(in + read + 2, form);
      if (low < 0xDC00 || low > 0xDFFF) {
        valid = false;
        break;
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      take = 4;
    } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      valid = false;
      break;
    }
    char bytes[4];
    const size_t length = put_utf8(c, bytes);
    if (put + length > out_size) {
      full = true;
      break;
    }
    std::copy(bytes, bytes + length, out + put);
    put += length;
    read += take;
  }
  if (last && !full && read < size) valid = false;  // a cut code unit
  *used = static_cast<DWORD>(read);
  *written = static_cast<DWORD>(put);
  return valid ? TRUE : detail::fail(ERROR_NO_UNICODE_TRANSLATION);
}

}  // namespace

LPCSTR CharsetNameA(LPCSTR name) {
  const detail::charset_entry* entry = name == nullptr ? nullptr : detail::find_charset(name);
  return entry == nullptr ? nullptr : entry->name.data();
}

HTEXTCONVERTER OpenTextConverterA(LPCSTR name) {
  const detail::charset_entry* entry = name == nullptr ? nullptr : detail::find_charset(name);
  if (entry == nullptr) return detail::fail(ERROR_INVALID_NAME), nullptr;
  auto* converter = new text_converter{entry, {}};
  if (entry->form == unicode_form::none && !detail::open_system_converter(*entry, converter->system)) {
    delete converter;
    return nullptr;
  }
  return converter;
}

void CloseTextConverter(HTEXTCONVERTER converter) {
  if (converter == nullptr) return;
  if (converter->entry->form == unicode_form::none) detail::close_system_converter(converter->system);
  delete converter;
}

BOOL ConvertToUtf8(HTEXTCONVERTER converter, LPCSTR input, DWORD input_size, BOOL last, LPSTR output,
                   DWORD output_size, DWORD* used, DWORD* written) {
  *used = *written = 0;
  if (converter == nullptr || (input == nullptr && input_size > 0) || output == nullptr)
    return detail::fail(ERROR_INVALID_PARAMETER);
  const unicode_form form = converter->entry->form;
  if (form != unicode_form::none)
    return convert_unicode(form, reinterpret_cast<const unsigned char*>(input), input_size, last, output,
                           output_size, used, written);
  return detail::convert_system(converter->system, input, input_size, last, output, output_size, used, written);
}

}  // namespace plat
