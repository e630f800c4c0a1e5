#include "mime/html_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mime/html_references.h"

namespace {

using mime::HtmlToken;
using mime::HtmlTokenKind;
using mime::QuoteStyle;

// A token as one short line: T(text) R:element(text) <name a=v/d b=v/s c=v/n
// bare /> </name> C(comment) D(doctype) X (error). Pieces of text, raw text
// and errors that follow each other are joined, so that the lines do not
// depend on where the input was cut.
std::string describe(const HtmlToken& t) {
  switch (t.kind) {
    case HtmlTokenKind::text:
      return "T(" + std::string(t.text) + ")";
    case HtmlTokenKind::raw_text:
      return "R:" + std::string(t.name) + "(" + std::string(t.text) + ")";
    case HtmlTokenKind::end_tag:
      return "</" + std::string(t.name) + ">";
    case HtmlTokenKind::comment:
      return "C(" + std::string(t.text) + ")";
    case HtmlTokenKind::doctype:
      return "D(" + std::string(t.text) + ")";
    case HtmlTokenKind::error:
      return "X";
    case HtmlTokenKind::start_tag:
      break;
  }
  std::string line = "<" + std::string(t.name);
  for (const mime::HtmlAttribute& a : t.attributes) {
    line += " " + a.name;
    if (!a.has_value) continue;
    line += "=" + a.value + (a.quote == QuoteStyle::double_quote   ? "/d"
                             : a.quote == QuoteStyle::single_quote ? "/s"
                                                                   : "/n");
  }
  return line + (t.self_closing ? " />" : ">");
}

struct Tokens {
  std::vector<std::string> lines;
  std::string raw;
};

Tokens tokenize(const std::vector<std::string_view>& chunks) {
  Tokens out;
  HtmlTokenKind last = HtmlTokenKind::start_tag;
  mime::HtmlTokenizer tokenizer([&](const HtmlToken& t) {
    out.raw += t.raw;
    const bool joins = !out.lines.empty() && t.kind == last &&
                       (t.kind == HtmlTokenKind::text || t.kind == HtmlTokenKind::raw_text ||
                        t.kind == HtmlTokenKind::error);
    last = t.kind;
    if (!joins) {
      out.lines.push_back(describe(t));
    } else if (t.kind != HtmlTokenKind::error) {
      out.lines.back().pop_back();  // ")"
      out.lines.back() += std::string(t.text) + ")";
    }
  });
  for (std::string_view chunk : chunks) tokenizer.feed(chunk);
  tokenizer.finish();
  return out;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + " | ";
  return all;
}

struct TokenCase {
  const char* name;
  const char* input;
  const char* tokens;  // the lines, each followed by " | "
};

TEST(html_tokenizer_test, tags_attributes_text_and_comments_follow_the_html_rules) {
  const TokenCase cases[] = {
      {"plain", "a<b>c</b>", "T(a) | <b> | T(c) | </b> | "},
      {"quote styles", "<img src=\"a b\" alt='c' w=3 hidden>", "<img src=a b/d alt=c/s w=3/n hidden> | "},
      {"case and order", "<IMG Alt=\"x\" SRC=\"y\">", "<img alt=x/d src=y/d> | "},
      {"> in values", "<a title=\"x>y\" b='<>'>z", "<a title=x>y/d b=<>/s> | T(z) | "},
      {"spaces around =", "<a href = \"x\"\n\tid\n=y >", "<a href=x/d id=y/n> | "},
      {"references in values", "<img src=\"a&amp;b&#x41;&#66;&quot;\">", "<img src=a&bAB\"/d> | "},
      {"query in a value", "<a href=\"?a=1&copy=2&amp;c\">", "<a href=?a=1&copy=2&c/d> | "},
      {"first of a name", "<img src=a SRC=b src=c>", "<img src=a/n> | "},
      {"self-closing", "<br/><p />", "<br /> | <p /> | "},
      {"slash ends an unquoted value", "<img src=a/>", "<img src=a//n> | "},
      {"empty value", "<img src= >", "<img src=/n> | "},
      {"odd names", "<a b\"c=d =e>", "<a b\"c=d/n =e> | "},
      {"mixed-case name", "<DiV></DIV>", "<div> | </div> | "},
      {"end tag attributes", "</p class=x>", "</p> | "},
      {"< as text", "a < b <3 <> <=", "T(a < b <3 <> <=) | "},
      {"comment", "<!-- x > y -->z", "C( x > y ) | T(z) | "},
      {"comment dashes", "<!-- a --->b<!----!>", "C( a -) | T(b) | C() | "},
      {"short comments", "<!--><!--->", "C() | C() | "},
      {"bogus comments", "<!x><?xml a?></ x></>", "C(x) | C(?xml a?) | C( x) | C() | "},
      {"doctype", "<!DOCTYPE html><!doctype x>", "D(DOCTYPE html) | D(doctype x) | "},
      {"script is raw", "<script>if(a<b)x=\"</div>\";</script>",
       "<script> | R:script(if(a<b)x=\"</div>\";) | </script> | "},
      {"raw end tag", "<style>a</stylex></STYLE >b", "<style> | R:style(a</stylex>) | </style> | T(b) | "},
      {"textarea", "<textarea><b>&amp;</textarea>", "<textarea> | R:textarea(<b>&amp;) | </textarea> | "},
      {"title", "<title>a<!--b--></title>", "<title> | R:title(a<!--b-->) | </title> | "},
      {"unclosed raw", "<script>a</scr", "<script> | R:script(a</scr) | "},
      {"tag cut off", "a<img src=\"x", "T(a) | X | "},
      {"comment cut off", "<!-- abc", "C( abc) | "},
      {"text ends", "a<", "T(a<) | "},
      {"markup cut off", "<!-", "C(-) | "},
      {"references stay in text", "&amp;<b>&lt", "T(&amp;) | <b> | T(&lt) | "},
  };
  for (const TokenCase& c : cases) {
    const Tokens got = tokenize({c.input});
    EXPECT_EQ(joined(got.lines), c.tokens) << c.name;
    EXPECT_EQ(got.raw, c.input) << c.name;
  }
}

TEST(html_tokenizer_test, value_spans_point_at_the_value_as_written) {
  const std::string tag = "<img SRC = 'a&amp;b' alt=x hidden>";
  std::vector<std::string> spans;
  mime::HtmlTokenizer tokenizer([&](const HtmlToken& t) {
    for (const mime::HtmlAttribute& a : t.attributes)
      spans.push_back(std::string(t.raw.substr(a.value_begin, a.value_end - a.value_begin)) + "@" +
                      std::to_string(a.value_begin));
  });
  tokenizer.feed(tag);
  tokenizer.finish();
  EXPECT_EQ(spans, (std::vector<std::string>{"'a&amp;b'@11", "x@25", "@33"}));
}

const char kSample[] =
    "<!DOCTYPE html><html><head><title>T &amp; t</title><style>p>a{x:'</p>'}</style></head>"
    "<body bgcolor=#fff><p class=\"a\" id='b' data-x=1>Caf&eacute; &#x2014; &nbsp;x&amp</p>"
    "<!-- note -- > --><img alt=\"&lt;pic&gt;\" src='pic.png'/><a href=x>1 < 2</a>"
    "<script>if (a</b) { s = '<!--'; }</script><textarea>&lt;b&gt;</textarea><?pi?></>&#65";

TEST(html_tokenizer_test, any_cut_into_two_chunks_gives_the_same_tokens) {
  const std::string_view sample(kSample);
  const Tokens whole = tokenize({sample});
  EXPECT_EQ(whole.raw, sample);
  for (size_t cut = 0; cut <= sample.size(); ++cut) {
    const Tokens parts = tokenize({sample.substr(0, cut), sample.substr(cut)});
    EXPECT_EQ(parts.lines, whole.lines) << "cut at " << cut;
    EXPECT_EQ(parts.raw, sample) << "cut at " << cut;
  }
  std::vector<std::string_view> bytes;
  for (size_t i = 0; i < sample.size(); ++i) bytes.push_back(sample.substr(i, 1));
  EXPECT_EQ(tokenize(bytes).lines, whole.lines);
}

TEST(html_tokenizer_test, no_piece_of_text_ends_inside_a_reference) {
  const std::string_view sample = "a&eacute;b&#x2014;c&amp";
  for (size_t cut = 0; cut <= sample.size(); ++cut) {
    std::string decoded;
    mime::HtmlTokenizer tokenizer(
        [&](const HtmlToken& t) { decoded += mime::decode_character_references(t.text); });
    tokenizer.feed(sample.substr(0, cut));
    tokenizer.feed(sample.substr(cut));
    tokenizer.finish();
    EXPECT_EQ(decoded, "a\u00E9b\u2014c&") << "cut at " << cut;
  }
}

TEST(html_tokenizer_test, a_construct_too_large_to_hold_streams_out_as_errors) {
  const std::string big_value(mime::kHtmlConstructMax, 'v');
  std::string many_attributes = "<img";
  for (size_t i = 0; i <= mime::kHtmlAttributesMax; ++i) many_attributes += " a" + std::to_string(i);
  const std::string cases[] = {
      "<img alt=\"" + big_value + "\" src=x>",
      "<!--" + big_value + "-->",
      many_attributes + " src=x>",
  };
  for (const std::string& construct : cases) {
    const std::string input = construct + "<b>";
    for (const size_t chunk : {size_t{4096}, input.size()}) {
      std::vector<std::string_view> chunks;
      for (size_t at = 0; at < input.size(); at += chunk)
        chunks.push_back(std::string_view(input).substr(at, chunk));
      const Tokens got = tokenize(chunks);
      EXPECT_EQ(joined(got.lines), "X | <b> | ") << construct.substr(0, 20) << " in chunks of " << chunk;
      EXPECT_EQ(got.raw, input);
    }
  }
}

// A start tag too large to hold still begins the raw text of its element, as
// in a browser: what follows it up to its end tag is never markup.
TEST(html_tokenizer_test, an_oversized_raw_text_tag_still_begins_raw_text) {
  std::string many_attributes;
  for (size_t i = 0; i <= mime::kHtmlAttributesMax; ++i) many_attributes += " a" + std::to_string(i);
  const std::string big_value(mime::kHtmlConstructMax, 'v');
  const struct {
    std::string start;
    const char* element;
  } cases[] = {
      {"<script" + many_attributes + ">", "script"},
      {"<STYLE title=\"" + big_value + "\">", "style"},
      {"<TextArea" + many_attributes + ">", "textarea"},
  };
  for (const auto& c : cases) {
    const std::string input = c.start + "s <img src=x.png> &amp;</" + c.element + "><b>";
    for (const size_t chunk : {size_t{3}, size_t{4096}, input.size()}) {
      std::vector<std::string_view> chunks;
      for (size_t at = 0; at < input.size(); at += chunk) chunks.push_back(std::string_view(input).substr(at, chunk));
      const Tokens got = tokenize(chunks);
      EXPECT_EQ(joined(got.lines), "X | R:" + std::string(c.element) + "(s <img src=x.png> &amp;) | </" + c.element +
                                       "> | <b> | ")
          << c.element << " in chunks of " << chunk;
    }
  }
}

TEST(html_tokenizer_test, an_oversized_tag_is_passed_on_before_it_ends) {
  size_t errors = 0;
  mime::HtmlTokenizer tokenizer([&](const HtmlToken& t) { errors += t.kind == HtmlTokenKind::error; });
  tokenizer.feed("<img alt=\"");
  const std::string chunk(4096, 'v');
  for (size_t fed = 0; fed <= 2 * mime::kHtmlConstructMax; fed += chunk.size()) tokenizer.feed(chunk);
  EXPECT_GT(errors, 100u);
}

}  // namespace
