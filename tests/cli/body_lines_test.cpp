#include "cli/body_lines.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cli/body_text.h"

namespace {

using Lines = std::vector<std::string>;

Lines text_lines(std::string_view text) {
  cli::BodyLines out;
  EXPECT_FALSE(cli::add_text_body(text, out).found()) << text;
  return out.lines();
}

Lines html_lines(std::string_view html) {
  cli::BodyLines out;
  EXPECT_FALSE(cli::add_html_body(html, out).found()) << html;
  return out.lines();
}

// The pieces of one split source line put together again, the comment
// markers taken off; every piece fits a body line.
std::string joined(const Lines& pieces) {
  std::string text;
  for (size_t i = 0; i < pieces.size(); ++i) {
    std::string_view piece = pieces[i];
    EXPECT_LE(piece.size(), cli::kBodyLineRoom) << i;
    if (i > 0) {
      EXPECT_TRUE(piece.starts_with("-->")) << piece;
      piece.remove_prefix(3);
    }
    if (i + 1 < pieces.size()) {
      EXPECT_TRUE(piece.ends_with("<!--")) << piece;
      piece.remove_suffix(4);
    }
    text += piece;
  }
  return text;
}

TEST(body_lines_test, text_gives_one_escaped_line_per_line) {
  EXPECT_EQ(text_lines("one\r\ntwo <b>&\n\nlast "),
            (Lines{"one", "two &lt;b&gt;&amp;", "", "last=20"}));
  EXPECT_EQ(text_lines("ends with a break\n"), (Lines{"ends with a break"}));
  EXPECT_EQ(text_lines(""), Lines{});
  // No quote survives, so the composer can find no picture reference.
  EXPECT_EQ(text_lines("<img src=\"x.gif\">"), (Lines{"&lt;img src=3D&quot;x.gif&quot;&gt;"}));
}

TEST(body_lines_test, a_long_line_is_split_whole_inside_comments) {
  std::string line;
  for (int i = 0; i < 250; ++i) line += "ab\xC3\xA9\xE4\xB8\xAD ";
  const Lines pieces = text_lines(line);
  ASSERT_GT(pieces.size(), 3u);
  std::string expected = cli::body_text(line);
  expected.replace(expected.size() - 1, 1, "=20");
  EXPECT_EQ(joined(pieces), expected);
}

TEST(body_lines_test, long_html_is_split_between_tags_only) {
  std::string line;
  for (int i = 0; i < 120; ++i) line += "<b class=\"c\">x</b>&amp;\xC3\xA9";
  const Lines pieces = html_lines(line);
  ASSERT_GT(pieces.size(), 3u);
  for (const std::string& piece : pieces) {
    const std::string_view inner = std::string_view(piece).substr(piece.starts_with("-->") ? 3 : 0);
    const std::string_view body = inner.substr(0, inner.ends_with("<!--") ? inner.size() - 4 : inner.size());
    EXPECT_EQ(std::count(body.begin(), body.end(), '<'), std::count(body.begin(), body.end(), '>')) << piece;
    size_t references = 0;
    for (size_t at = body.find("&amp;"); at != std::string_view::npos; at = body.find("&amp;", at + 1)) ++references;
    EXPECT_EQ(static_cast<size_t>(std::count(body.begin(), body.end(), '&')), references) << piece;
  }
}

TEST(body_lines_test, html_keeps_markup_whole_and_images_alone) {
  EXPECT_EQ(html_lines("<a\nhref=\"x\">link \xC3\xA9</a> &#20013;\n"), (Lines{"<a href=3D\"x\">link =E9</a> &#20013;"}));
  // The reference stays byte for byte, for the composer to read the file.
  EXPECT_EQ(html_lines("Logo: <IMG alt=\"\xC3\xA9\" src=\"l\xC3\xBC.gif\"> end"),
            (Lines{"Logo: <!--", "--><IMG alt=3D\"=E9\" src=3D\"l\xC3\xBC.gif\"><!--", "--> end"}));
  EXPECT_EQ(html_lines("<img src='a.gif'><img src='b.gif'>"),
            (Lines{"<img src=3D'a.gif'><!--", "--><img src=3D'b.gif'>"}));
  EXPECT_EQ(html_lines("a < b && c"), (Lines{"a < b && c"}));
}

TEST(body_lines_test, comments_may_break_anywhere_and_keep_their_lines) {
  const std::string comment = "<!--" + std::string(600, 'c') + "\n-->";
  const Lines lines = html_lines("<style>" + comment + "</style>shown");
  ASSERT_GT(lines.size(), 3u);
  std::string all;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), cli::kBodyLineRoom);
    all += line;
  }
  EXPECT_EQ(all, "<style><!--" + std::string(600, 'c') + "--></style>shown");
  EXPECT_EQ(lines.back(), "--></style>shown");
}

TEST(body_lines_test, pictures_make_image_lines) {
  cli::BodyLines out;
  ASSERT_TRUE(cli::add_picture_line("pics/a b.gif", out));
  EXPECT_EQ(out.lines(), (Lines{"<img src=3D\"pics/a b.gif\">"}));
  EXPECT_FALSE(cli::add_picture_line(std::string(cli::kBodyLineRoom, 'p'), out));
}

TEST(body_lines_test, faults_name_the_line) {
  const struct {
    const char* name;
    bool html;
    std::string source;
    size_t line;
  } cases[] = {
      {"text not UTF-8", false, "ok\nbad \xFF\n", 2},
      {"tag not UTF-8", true, "ok\n\n<b title=\"\xC3\">", 3},
      {"tag too long", true, "<p title=\"" + std::string(300, 't') + "\">", 1},
  };
  for (const auto& c : cases) {
    cli::BodyLines out;
    const cli::BodyFault fault = c.html ? cli::add_html_body(c.source, out) : cli::add_text_body(c.source, out);
    EXPECT_EQ(fault.line, c.line) << c.name;
  }
}

}  // namespace
