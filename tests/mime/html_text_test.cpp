#include "mime/html_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct TextCase {
  std::string html;
  std::string text;
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
      {"<h1>Title</h1>text<hr>end", "Title\n=====\n\ntext\n\nend\n"},
      {"<ul><li>a</li><li>b<li>c</ul>after", "- a\n- b\n- c\n\nafter\n"},
      {"<ol><li><p>x</p></li><li></li></ol>", "1. x\n"},
      {"<table><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>", "a  b\nc\n"},
      {"<blockquote>q</blockquote>r", "> q\n\nr\n"},
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

TEST(html_text_test, lines_wrap_between_words_and_never_inside_one) {
  const std::string words = "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor";
  const std::string long_word(100, 'w');
  const TextCase cases[] = {
      {words, "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod\ntempor\n"},
      {("<b>Lorem</b> ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusm<i>od</i>&nbsp;tempor"),
       "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do\neiusmod tempor\n"},
      {("a " + long_word + " b"), ("a\n" + long_word + "\nb\n")},
      {("<pre>" + words + " " + words + "</pre>"), (words + " " + words + "\n")},
      // wide characters take two columns
      {"\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD x",
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
       "\xE4\xB8\xAD\xE4\xB8\xAD\nx\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, lists_are_numbered_or_bulleted_and_their_lines_indented) {
  const TextCase cases[] = {
      {"<ol><li>a<li>b</ol>", "1. a\n2. b\n"},
      {"<ol start=9><li>a<li value=20>b<li>c</ol>", "9. a\n20. b\n21. c\n"},
      {"<ol type=a start=26><li>z<li>aa</ol><ol type=I><li>x<li value=4>y</ol>", "z. z\naa. aa\n\nI. x\nIV. y\n"},
      {"<ol><li>a<ul><li>b<li>c</ul><li>d</ol>", "1. a\n   - b\n   - c\n2. d\n"},
      {"<li>loose", "- loose\n"},
      {"<ul><li>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor</ul>",
       "- Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod\n  tempor\n"},
      {"<ul><li>a</li>after</ul>", "- a\n  after\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, headings_are_underlined_and_quotes_marked) {
  const TextCase cases[] = {
      {"<h1>One</h1><h2>Two <i>b</i></h2><h4>Four</h4>x", "One\n===\n\nTwo b\n-----\n\nFour\n----\n\nx\n"},
      {"<h2></h2>x", "x\n"},
      {"a<blockquote><p>b</p><p>c</p><blockquote>d</blockquote>e</blockquote>f",
       "a\n\n> b\n>\n> c\n>\n> > d\n>\n> e\n\nf\n"},
      {"<blockquote><h1>T</h1><ul><li>i</ul></blockquote>", "> T\n> =\n>\n> - i\n"},
      {"<blockquote><pre>a\n\nb</pre></blockquote>", "> a\n>\n> b\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, tables_are_set_in_columns_when_they_fit) {
  const TextCase cases[] = {
      {"<table><tr><th>Region<th>Total<tr><td>North<td>1&nbsp;200,50 \xE2\x82\xAC<tr><td>South<td>980,00 \xE2\x82\xAC"
       "</table>",
       "Region       Total\n------  ----------\nNorth   1 200,50 \xE2\x82\xAC\nSouth     980,00 \xE2\x82\xAC\n"},
      {"<table><tr><td>a<td align=right>b<td align=center>c<tr><td>xxxx<td>yyyy<td>zzzz</table>",
       "a        b   c\nxxxx  yyyy  zzzz\n"},
      {"<table><caption>Sales</caption><tr><td colspan=2>a wide title<tr><td>ab<td>c</table>",
       "Sales\na wide title\nab  c\n"},
      {"<table><tr><td>one<br>two<td>x<tr><td><p>3</p><td></table>", "one  x\ntwo\n3\n"},
      {"x<table><tr><td>a</td></tr><br>\n<tr><td>b</td></tr><br>\n</table>y", "x\na\nb\ny\n"},
      {"<blockquote><table><tr><td>a<td>b</table></blockquote>", "> a  b\n"},
      {"<table><tr><td>a<td><a href=u>b</a></table>", "a  b <u>\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(html_text_test, other_tables_show_one_row_a_line) {
  const std::string wide(40, 'w');
  const std::string row = "<tr><td>" + wide + "<td>" + wide;
  const TextCase cases[] = {
      {("<table>" + row + "<tr><td>a<td><td>b</table>"), (wide + " |\n" + wide + "\na | b\n")},
      {"<table><tr><td>a<td><table><tr><td>b<td>c</table></table>", "a\nb  c\n"},
      {"<table><tr><td>a<td>b<tr><td>c<ul><li>d</ul><td>e</table>", "a | b\nc\n\n- d | e\n"},
      {"<table><tr><td><h1>T</h1><td>x</table>z", "T\n=\n\nx\nz\n"},
      {"<table><tr><td>a<td>b", "a  b\n"},
      {"<table><tr><td>a<td>b<tr><td>c<blockquote>q", "a | b\nc\n\n> q\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

// A table too large to hold streams out while it is fed.
TEST(html_text_test, a_large_table_streams_out_while_it_is_fed) {
  size_t received = 0;
  std::string text;
  mime::HtmlText converter([&](std::string_view piece) {
    received += piece.size();
    if (text.size() < 1000) text.append(piece.substr(0, 1000));
  });
  converter.feed("<table>");
  for (int i = 0; i < 20000; ++i) converter.feed("<tr><td>cell<td>" + std::to_string(i) + "</tr>");
  EXPECT_GT(received, 100000u);
  converter.finish();
  EXPECT_EQ(text.substr(0, 22), "cell | 0\ncell | 1\ncell");
}

TEST(html_text_test, any_cut_into_two_chunks_gives_the_same_text) {
  const std::string_view sample =
      "<head><title>x</title></head><p>Caf&eacute;\xC2\xA0\xC2\xA0 <b>bold</b>\n text</p>"
      "<pre>\r\n a  b\r\n</pre><a href=\"http://x.org\">x &amp; y</a><ol><li>one<li>two</ol>"
      "<h2>T</h2><blockquote>q</blockquote><table><tr><td>a<td>1<tr><td>bb<td>22</table>";
  const std::string whole = mime::html_text(sample);
  EXPECT_EQ(whole, "Caf\u00E9   bold text\n\n a  b\n\nx & y <http://x.org>\n\n1. one\n2. two\n\nT\n-\n\n> q\n\na    1\nbb  22\n");
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
