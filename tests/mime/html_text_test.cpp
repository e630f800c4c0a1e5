#include "mime/html_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct TextCase {
  const char* html;
  const char* text;
};

void expect_texts(const TextCase* begin, const TextCase* end) {
  for (const TextCase* c = begin; c != end; ++c) EXPECT_EQ(mime::html_text(c->html), c->text) << c->html;
}

TEST(html_text_test, blocks_and_breaks_make_lines_with_at_most_one_blank_line) {
  const TextCase cases[] = {
      {"", ""},
      {"Hello", "Hello\n"},
      {"<p>a</p><p>b</p>", "a\n\nb\n"},
      {"a<br>b<br/>c</br>d", "a\nb\nc\nd\n"},
      {"a<br><br><br><br>b", "a\n\nb\n"},
      {"<br><br><p>a</p><br><br><p></p>", "a\n"},
      {"<div>a</div><div>b</div>", "a\nb\n"},
      {"<div>a<br></div>b", "a\nb\n"},
      {"<div>a</div><br><div>b</div>", "a\n\nb\n"},
      {"<h1>Title</h1>text<hr>end", "Title\n\ntext\n\nend\n"},
      {"<ul><li>a</li><li>b<li>c</ul>after", "- a\n- b\n- c\n\nafter\n"},
      {"<ol><li><p>x</p></li><li></li></ol>", "- x\n"},
      {"<table><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>", "a b\nc\n"},
      {"<blockquote>q</blockquote>r", "q\n\nr\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, white_space_collapses_except_inside_pre) {
  const TextCase cases[] = {
      {"  a \n\t b  ", "a b\n"},
      {"<p>  a  </p>  <p> b </p>", "a\n\nb\n"},
      {"a\r\nb", "a b\n"},
      {"a<b>b</b> <i> c</i>", "ab c\n"},
      {"a&nbsp;&nbsp;b &nbsp;c", "a  b  c\n"},
      {"<p>&nbsp;&nbsp;x</p>", "  x\n"},
      {"<p>&nbsp;</p><p>\xC2\xA0</p><p>a</p>", "a\n"},
      {"<pre>  a\tb\n\n  c\n</pre>d", "  a\tb\n\n  c\n\nd\n"},
      {"<pre>\nx\n\n\n\ny</pre>", "x\n\ny\n"},
      {"<pre>a\r\nb\rc</pre>", "a\nb\nc\n"},
      {"<pre>a&nbsp;<b> b </b></pre>", "a  b \n"},
      {"<textarea>\n a  &lt;b&gt;</textarea>", " a  <b>\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, references_links_and_pictures_show_as_text) {
  const TextCase cases[] = {
      {"&lt;tag&gt; &amp; &eacute;&#x4E2D; &bogus;", "<tag> & \u00E9\u4E2D &bogus;\n"},
      {"Gr\xC3\xBC\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e\n"},
      {"<a href=\"http://x.org/\">the site</a>.", "the site <http://x.org/>.\n"},
      {"<a href=\"http://x.org\">http://x.org</a>", "http://x.org\n"},
      {"<a href=\"mailto:a@b.c\">a@b.c</a>", "a@b.c\n"},
      {"<a href=\"MAILTO:a@b.c\">write</a>", "write <MAILTO:a@b.c>\n"},
      {"<a href=\"#top\">top</a> <a href=\"\">e</a> <a href=\" JavaScript:go()\">j</a>", "top e j\n"},
      {"<a name=x>n</a>", "n\n"},
      {"see <a href=u></a>", "see <u>\n"},
      {"<a href=\" a?x=1&amp;y=2 \">q</a>", "q <a?x=1&y=2>\n"},
      {"<a href=u>one<a href=v>two</a>", "one <u>two <v>\n"},
      {"<a href=u><img alt=logo src=l.png></a>", "logo <u>\n"},
      {"<img alt=\"a &amp;  b\" src=y><img src=z>", "a & b\n"},
      {"<p><a href=u>x</p>", "x <u>\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, head_script_style_and_title_are_left_out) {
  const TextCase cases[] = {
      {"<html><head><title>T</title><style>p{}</style><meta x></head><body>b</body></html>", "b\n"},
      {"<script>var a = \"<p>x</p>\";</script>y", "y\n"},
      {"<head>hidden<body>b", "b\n"},
      {"<head><link rel=x><div>shown", "shown\n"},
      {"<title>t</title><iframe>i</iframe>z", "z\n"},
      {"a<!-- x -->b<!DOCTYPE html>", "ab\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, any_cut_into_two_chunks_gives_the_same_text) {
  const std::string_view sample =
      "<head><title>x</title></head><p>Caf&eacute;\xC2\xA0\xC2\xA0 <b>bold</b>\n text</p>"
      "<pre>\r\n a  b\r\n</pre><a href=\"http://x.org\">x &amp; y</a><ul><li>one<li>two</ul>";
  const std::string whole = mime::html_text(sample);
  EXPECT_EQ(whole, "Caf\u00E9   bold text\n\n a  b\n\nx & y <http://x.org>\n\n- one\n- two\n");
  for (size_t cut = 0; cut <= sample.size(); ++cut) {
    std::string text;
    mime::HtmlText converter([&text](std::string_view piece) { text.append(piece); });
    converter.feed(sample.substr(0, cut));
    converter.feed(sample.substr(cut));
    converter.finish();
    EXPECT_EQ(text, whole) << "cut at " << cut;
  }
}

TEST(html_text_test, a_long_line_streams_out_while_it_is_fed) {
  const std::string chunk = std::string(64 * 1024 - 1, 'x') + " ";
  const size_t chunks = 64;
  size_t received = 0;
  size_t largest = 0;
  mime::HtmlText converter([&](std::string_view piece) {
    received += piece.size();
    largest = std::max(largest, piece.size());
  });
  for (size_t i = 0; i < chunks; ++i) converter.feed(chunk);
  EXPECT_GT(received, (chunks - 2) * chunk.size());
  converter.finish();
  EXPECT_EQ(received, chunks * chunk.size());  // the last space is a line end
  EXPECT_LT(largest, 4 * chunk.size());
}

}  // namespace
