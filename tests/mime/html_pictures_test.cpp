#include "mime/html_pictures.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string sources_of(std::string_view html) {
  std::string all;
  for (const std::string& src : mime::picture_sources(html)) all += src + "|";
  return all;
}

TEST(html_pictures_test, only_the_src_of_img_elements_counts) {
  const struct {
    const char* html;
    const char* sources;  // each followed by "|"
  } cases[] = {
      {"img tag with src=\"secret.txt\" in text", ""},
      {"<iframe src=\"secret.txt\"></iframe>", ""},
      {"<img src='pic.png' alt=\"secret.txt\">", "pic.png|"},
      {"<img alt=\"secret.txt\" src='pic.png'>", "pic.png|"},
      {"<IMG SRC=pic.png>", "pic.png|"},
      {"<img alt=\">\" src=\"q.png\">", "q.png|"},
      {"<img src=\"a&amp;b.png\"><img src=\"caf&eacute;.png\">", "a&b.png|caf\u00E9.png|"},
      {"<img src=\" sp.png \n\">", "sp.png|"},
      {"<img src=\"\"><img src><img src=\"  \">", ""},
      {"<img src=\"a.png\"><img src=\"a.png\">", "a.png|a.png|"},
      {"<img src=\"b.png\" src=\"c.png\">", "b.png|"},
      {"<image src=i.png>", "i.png|"},
      {"<!-- <img src=\"c.png\"> -->", ""},
      {"<script>x = '<img src=\"s.png\">';</script><textarea><img src=t.png></textarea>", ""},
      {"<img data-src=\"d.png\" srcset=\"e.png 2x\"><input type=image src=f.png>", ""},
      {"<p>a</p><img\nsrc=\"n.png\"\n/>", "n.png|"},
  };
  for (const auto& c : cases) EXPECT_EQ(sources_of(c.html), c.sources) << c.html;
}

TEST(html_pictures_test, remote_and_inline_sources_are_told_by_their_scheme) {
  const struct {
    const char* src;
    bool remote_or_inline;
  } cases[] = {
      {"http://x/y.png", true}, {"HTTPS://x/y.png", true}, {"data:image/png;base64,AA", true},
      {"cid:1", true},          {"Cid:1", true},           {"pic.png", false},
      {"httpx.png", false},     {"http", false},           {"dir/http:x", false},
      {"file:///x.png", false}, {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::is_remote_or_inline(c.src), c.remote_or_inline) << c.src;
}

const std::map<std::string, std::string, std::less<>> kNewSources = {
    {"a.png", "cid:1"}, {"a&b.png", "x\"&y"}, {"logo.png", "cid:2"}};

std::optional<std::string> new_source(std::string_view src) {
  const auto found = kNewSources.find(src);
  if (found == kNewSources.end()) return std::nullopt;
  return found->second;
}

std::string rewritten(const std::vector<std::string_view>& chunks) {
  std::string out;
  mime::PictureRewriter rewriter(new_source, [&out](std::string_view bytes) { out.append(bytes); });
  for (std::string_view chunk : chunks) rewriter.feed(chunk);
  rewriter.finish();
  return out;
}

TEST(html_pictures_test, the_rewriter_changes_the_mapped_sources_and_no_other_byte) {
  const struct {
    const char* html;
    const char* out;
  } cases[] = {
      {"<img src=\"a.png\" alt=\"x\">", "<img src=\"cid:1\" alt=\"x\">"},
      {"<IMG alt='x' SRC='a.png' >", "<IMG alt='x' SRC=\"cid:1\" >"},
      {"<img src=a.png width=3>", "<img src=\"cid:1\" width=3>"},
      {"<img src = \" a.png \"/>", "<img src = \"cid:1\"/>"},
      {"<img src=\"a&amp;b.png\">", "<img src=\"x&quot;&amp;y\">"},
      {"<img src=\"http://x/y.png\"><img src=\"b.png\">", "<img src=\"http://x/y.png\"><img src=\"b.png\">"},
      {"<p>a.png <!-- <img src=a.png> --></P>\r\n<iframe src=a.png>", "<p>a.png <!-- <img src=a.png> --></P>\r\n<iframe src=a.png>"},
      {"<img alt=a.png src=logo.png><img src=a.png>", "<img alt=a.png src=\"cid:2\"><img src=\"cid:1\">"},
      {"\xFF<img src=a.png", "\xFF<img src=a.png"},
  };
  for (const auto& c : cases) EXPECT_EQ(rewritten({c.html}), c.out) << c.html;
}

TEST(html_pictures_test, any_cut_into_two_chunks_gives_the_same_rewrite) {
  const std::string_view sample =
      "<html><body bgcolor=#fff><p>Logo: <img alt='the logo' src=\"logo.png\">&amp;"
      "<img src=a&amp;b.png width=1/></p><script>'<img src=a.png>'</script><img src=other.png></body>";
  const std::string whole = rewritten({sample});
  EXPECT_EQ(whole,
            "<html><body bgcolor=#fff><p>Logo: <img alt='the logo' src=\"cid:2\">&amp;"
            "<img src=\"x&quot;&amp;y\" width=1/></p><script>'<img src=a.png>'</script><img src=other.png></body>");
  for (size_t cut = 0; cut <= sample.size(); ++cut)
    EXPECT_EQ(rewritten({sample.substr(0, cut), sample.substr(cut)}), whole) << "cut at " << cut;
}

}  // namespace
