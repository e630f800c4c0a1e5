#include "platform/idn.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"

using namespace plat;

namespace {

// The ASCII form of `domain`, or "error N" with the last error.
std::string to_ascii(const std::u16string& domain, DWORD flags = 0) {
  WCHAR out[256];
  SetLastError(0);
  const int n = IdnToAscii(flags, domain.data(), static_cast<int>(domain.size()), out, 256);
  if (n == 0) return "error " + std::to_string(GetLastError());
  return std::string(out, out + n);
}

TEST(idn_test, labels_beyond_ascii_become_a_labels_and_ascii_labels_stay) {
  const struct {
    std::u16string domain;
    std::string ascii;
  } cases[] = {
      {u"b\u00FCcher.example", "xn--bcher-kva.example"},
      {u"M\u00FCnchen.Example", "xn--mnchen-3ya.example"},  // mapped whole, to lower case
      {u"\u65E5\u672C.jp", "xn--wgv71a.jp"},
      {u"\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444", "xn--e1afmkfd.xn--p1ai"},
      {u"example.com", "example.com"},
      {u"Under_score.Example", "Under_score.Example"},  // all ASCII: as it is
      {u"b\u00FCcher.example\uFFFD", "error 123"},  // a character no name may hold
      {u"b\u00FC" + std::u16string(70, u'x') + u".example", "error 123"},  // a label past 63 bytes
      {u"a\xD800.example", "error 123"},  // half a surrogate pair
  };
  for (const auto& c : cases) EXPECT_EQ(to_ascii(c.domain), c.ascii) << c.ascii;
  EXPECT_EQ(to_ascii(u"under_score.example", IDN_USE_STD3_ASCII_RULES), "error 123");
}

TEST(idn_test, buffer_lengths_and_arguments_follow_the_system_call) {
  const std::u16string domain = u"b\u00FCcher.example";
  const int length = static_cast<int>(domain.size());
  EXPECT_EQ(IdnToAscii(0, domain.data(), length, nullptr, 0), 21);
  // A NUL-ended text: the NUL is converted and counted.
  WCHAR out[32];
  EXPECT_EQ(IdnToAscii(0, domain.c_str(), -1, out, 32), 22);
  EXPECT_EQ(out[21], 0);
  SetLastError(0);
  EXPECT_EQ(IdnToAscii(0, domain.data(), length, out, 20), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  SetLastError(0);
  EXPECT_EQ(IdnToAscii(0, nullptr, 3, out, 32), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(IdnToAscii(0x100, domain.data(), length, out, 32), 0);  // flags it does not know
}

}  // namespace
