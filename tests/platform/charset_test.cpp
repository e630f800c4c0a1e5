#include "platform/charset.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"

using namespace plat;

namespace {

// `bytes` in `charset` as UTF-8, fed in pieces of `piece` bytes (a cut
// character carried to the next), or "error N at M" with the last error and
// the bytes converted before it.
std::string convert(const char* charset, const std::string& bytes, size_t piece) {
  const HTEXTCONVERTER converter = OpenTextConverterA(charset);
  if (converter == nullptr) return "error " + std::to_string(GetLastError());
  std::string out, held;
  for (size_t at = 0; at <= bytes.size(); at += piece) {
    const bool last = at + piece > bytes.size();
    held += bytes.substr(at, piece);
    char buffer[64];
    DWORD used = 0, written = 0;
    do {
      const BOOL converted = ConvertToUtf8(converter, held.data(), static_cast<DWORD>(held.size()), last, buffer,
                                           sizeof buffer, &used, &written);
      out.append(buffer, written);
      held.erase(0, used);
      if (!converted) {
        CloseTextConverter(converter);
        return "error " + std::to_string(GetLastError()) + " at " + std::to_string(out.size());
      }
    } while (used > 0 && !held.empty());
  }
  CloseTextConverter(converter);
  return held.empty() ? out : "held " + held;
}

TEST(charset_test, names_and_aliases_in_any_case_name_one_set) {
  const struct {
    const char* name;
    const char* preferred;
  } cases[] = {
      {"windows-1252", "WINDOWS-1252"}, {"CP1252", "WINDOWS-1252"}, {"latin1", "ISO-8859-1"},
      {"Latin-9", "ISO-8859-15"},       {"utf8", "UTF-8"},          {"Shift_JIS", "SHIFT_JIS"},
      {"ks_c_5601-1987", "EUC-KR"},     {"ascii", "US-ASCII"},      {"utf-16le", "UTF-16LE"},
      {"UTF-8//TRANSLIT", nullptr},     {"", nullptr},              {"klingon", nullptr},
  };
  for (const auto& c : cases) {
    const LPCSTR preferred = CharsetNameA(c.name);
    EXPECT_EQ(preferred == nullptr ? "none" : std::string(preferred), c.preferred ? c.preferred : "none") << c.name;
  }
  SetLastError(0);
  EXPECT_EQ(OpenTextConverterA("klingon"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

// Each case converts the same in every size of piece: a character cut by
// the end of a piece waits for the next; bytes of no character fail where
// they stand.
TEST(charset_test, text_becomes_utf8_in_pieces_of_any_size) {
  const struct {
    const char* charset;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"windows-1252", "caf\xE9 \x93quoted\x94 \x80", "caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC"},
      {"ISO-8859-15", "\xA4\xBD", "\xE2\x82\xAC\xC5\x93"},
      {"KOI8-R", "\xF0\xD2\xC9", "\xD0\x9F\xD1\x80\xD0\xB8"},
      {"Shift_JIS", "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"UTF-16LE", std::string("h\0\xE9\0=\xD8\0\xDE", 8), "h\xC3\xA9\xF0\x9F\x98\x80"},
      {"UTF-16BE", std::string("\0h\xD8=\xDE\0", 6), "h\xF0\x9F\x98\x80"},
      {"UTF-32LE", std::string("\0\xF6\x01\0", 4), "\xF0\x9F\x98\x80"},
      {"UTF-16LE", std::string("a\0\0\xDC", 4), "error 1113 at 1"},     // a low surrogate alone
      {"UTF-16LE", std::string("a\0b", 3), "error 1113 at 1"},          // half a code unit at the end
      {"UTF-16BE", std::string("\0a\xD8\x3D", 4), "error 1113 at 1"},   // half a pair at the end
      {"UTF-32BE", std::string("\0\x11\0\0", 4), "error 1113 at 0"},    // past U+10FFFF
      {"Shift_JIS", "ab\x93", "error 1113 at 2"},                       // a character cut by the end
      {"UTF-8", "ok\xFF", "error 1113 at 2"},
  };
  for (const auto& c : cases)
    for (const size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{1000}})
      EXPECT_EQ(convert(c.charset, c.bytes, piece), c.utf8) << c.charset << " in pieces of " << piece;
}

}  // namespace
