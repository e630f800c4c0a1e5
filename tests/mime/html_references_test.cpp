#include "mime/html_references.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using mime::ReferenceContext;

struct ReferenceCase {
  const char* input;
  const char* text;       // decoded as text
  const char* attribute;  // decoded as an attribute value
};

TEST(html_references_test, references_decode_to_utf8_and_the_rest_stays_as_written) {
  const ReferenceCase cases[] = {
      {"a &amp; b", "a & b", "a & b"},
      {"&lt;&gt;&quot;&apos;", "<>\"'", "<>\"'"},
      {"&nbsp;&copy;&reg;&trade;", "\u00A0\u00A9\u00AE\u2122", "\u00A0\u00A9\u00AE\u2122"},
      {"&hellip;&mdash;&ndash;&bull;&euro;", "\u2026\u2014\u2013\u2022\u20AC", "\u2026\u2014\u2013\u2022\u20AC"},
      {"&lsquo;&rsquo;&ldquo;&rdquo;", "\u2018\u2019\u201C\u201D", "\u2018\u2019\u201C\u201D"},
      {"&eacute;&Eacute;&uuml;&szlig;&yuml;", "\u00E9\u00C9\u00FC\u00DF\u00FF", "\u00E9\u00C9\u00FC\u00DF\u00FF"},
      {"&#233;&#xE9;&#XE9;&#x1F600;", "\u00E9\u00E9\u00E9\U0001F600", "\u00E9\u00E9\u00E9\U0001F600"},
      {"&#65&#x42 c", "AB c", "AB c"},
      {"&#0;&#xD800;&#x110000;&#99999999999;", "\uFFFD\uFFFD\uFFFD\uFFFD", "\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"&#128;&#150;&#159;&#129;", "\u20AC\u2013\u0178\u0081", "\u20AC\u2013\u0178\u0081"},
      {"&unknown; & &; &#; &#x; &#xg;", "&unknown; & &; &#; &#x; &#xg;", "&unknown; & &; &#; &#x; &#xg;"},
      {"&EURO; &Amp;", "&EURO; &Amp;", "&EURO; &Amp;"},
      {"&amp &copy x", "& \u00A9 x", "& \u00A9 x"},
      {"&copy2024 &notit;", "\u00A92024 \u00ACit;", "&copy2024 &notit;"},
      {"?a=1&copy=2&lt=3", "?a=1\u00A9=2<=3", "?a=1&copy=2&lt=3"},
      {"&hellip &euro", "&hellip &euro", "&hellip &euro"},
      {"\xFF&amp;\xC3", "\xFF&\xC3", "\xFF&\xC3"},
      {"&#x10FFFF;", "\U0010FFFF", "\U0010FFFF"},
  };
  for (const ReferenceCase& c : cases) {
    EXPECT_EQ(mime::decode_character_references(c.input), c.text) << c.input;
    EXPECT_EQ(mime::decode_character_references(c.input, ReferenceContext::attribute), c.attribute) << c.input;
  }
}

TEST(html_references_test, a_reference_longer_than_the_limit_is_kept) {
  const std::string longest = "&#" + std::string(mime::kReferenceLengthMax - 4, '0') + "65;";
  const std::string too_long = "&#" + std::string(mime::kReferenceLengthMax - 3, '0') + "65;";
  EXPECT_EQ(mime::decode_character_references(longest), "A");
  EXPECT_EQ(mime::decode_character_references(too_long), too_long);
}

}  // namespace
