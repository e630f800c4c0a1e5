// The options' page: the font face carried as a CSS string inside an HTML
// attribute, and the font sizes 1 to 7 as CSS sizes.
#include "app/options_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(options_parts_test, a_font_face_stays_inside_its_string_and_its_attribute) {
  const struct {
    const char* name;
    std::string face;
    std::string family;
  } cases[] = {
      {"plain", "Arial", "'Arial'"},
      {"spaces and UTF-8", "Caf\xC3\xA9 Sans", "'Caf\xC3\xA9 Sans'"},
      {"quote of the string", "Bob's", "'Bob\\'s'"},
      {"backslash", "a\\b", "'a\\\\b'"},
      {"quote of the attribute", "x\" onload=\"y", "'x&quot; onload=&quot;y'"},
      {"markup", "<b>&", "'&lt;b>&amp;'"},
      {"line end", "a\nb", "'a\\0a b'"},
      {"none", "", "monospace"},
  };
  for (const auto& c : cases) EXPECT_EQ(app::css_font_family(c.face, "monospace"), c.family) << c.name;
}

TEST(options_parts_test, font_sizes_are_the_css_sizes_of_html) {
  const struct {
    uint8_t size;
    const char* css;
  } cases[] = {{1, "x-small"}, {2, "small"},    {3, "medium"},    {4, "large"}, {5, "x-large"},
               {6, "xx-large"}, {7, "xxx-large"}, {0, "medium"}, {10, "medium"}};
  for (const auto& c : cases) EXPECT_EQ(app::css_font_size(c.size), c.css) << int(c.size);
}

}  // namespace
