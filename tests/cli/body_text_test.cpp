#include "cli/body_text.h"

#include <gtest/gtest.h>

namespace {

TEST(body_text_test, windows_1252_has_latin_1_and_its_own_letters_only) {
  const struct {
    char32_t c;
    int byte;
  } cases[] = {{U'A', 0x41}, {U'\u00E9', 0xE9}, {U'\u00FF', 0xFF}, {U'\u20AC', 0x80}, {U'\u2014', 0x97},
               {U'\u0178', 0x9F}, {U'\u0081', -1}, {U'\u4E2D', -1}, {U'\U0001F600', -1}};
  for (const auto& c : cases) EXPECT_EQ(cli::windows_1252_byte(c.c), c.byte) << static_cast<uint32_t>(c.c);
}

TEST(body_text_test, quoted_printable_encodes_equals_controls_and_high_bytes) {
  std::string out;
  for (uint8_t b : {uint8_t('a'), uint8_t(' '), uint8_t('='), uint8_t('\t'), uint8_t(0x7F), uint8_t(0xE9), uint8_t('~')})
    cli::append_quoted_printable(out, b);
  EXPECT_EQ(out, "a =3D=09=7F=E9~");
}

TEST(body_text_test, text_is_escaped_and_characters_beyond_the_code_page_are_references) {
  EXPECT_EQ(cli::body_text("<a href=\"x\">Tom's & J\xC3\xB6rg</a>"),
            "&lt;a href=3D&quot;x&quot;&gt;Tom&#39;s &amp; J=F6rg&lt;/a&gt;");
  EXPECT_EQ(cli::body_text("\xE4\xB8\xAD \xE2\x82\xAC \xF0\x9F\x98\x80"), "&#20013; =80 &#128512;");
}

}  // namespace
