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
  std::string many_attributes;
  for (int i = 0; i < 300; ++i) many_attributes += " a";
  const struct {
    std::string html;
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
      {"<script" + many_attributes + "><img src=s.png></script>", ""},
      {"<img data-src=\"d.png\" srcset=\"e.png 2x\"><input type=image src=f.png>", ""},
      {"<p>a</p><img\nsrc=\"n.png\"\n/>", "n.png|"},
  };
  for (const auto& c : cases) EXPECT_EQ(sources_of(c.html), c.sources) << c.html;
}

// What each source names: "E" elsewhere (never read), "R" refused, "F"
// a file from the HTML's folder and "A" an absolute one, with its name.
std::string classified(std::string_view src) {
  const mime::PictureSource source = mime::classify_picture_source(src);
  switch (source.kind) {
    case mime::SourceKind::elsewhere:
      return "E";
    case mime::SourceKind::refused:
      return "R";
    case mime::SourceKind::file:
      break;
  }
  return (source.absolute ? "A " : "F ") + source.file;
}

TEST(html_pictures_test, a_source_names_a_local_file_or_is_left_alone) {
  using namespace std::string_literals;
  const struct {
    std::string src;
    const char* is;
  } cases[] = {
      // Not local files: left as written.
      {"http://x/y.png", "E"}, {"HTTPS://x/y.png", "E"}, {"data:image/png;base64,AA", "E"}, {"cid:1", "E"},
      {"Cid:1", "E"}, {"about:blank", "E"}, {"javascript:x()", "E"}, {"ftp+x.1-2:y", "E"},
      {"//cdn.example.com/l.png", "E"}, {"\\\\host\\share\\x.png", "E"}, {"/\\host/x", "E"},
      {"file://host/x.png", "E"}, {"?v=1", "E"}, {"#top", "E"},
      // Files, relative to the HTML's folder.
      {"pic.png", "F pic.png"}, {"img/b.gif", "F img/b.gif"}, {"../k/id_rsa", "F ../k/id_rsa"},
      {"pic.png?v=1", "F pic.png"}, {"pic.png#x?y", "F pic.png"}, {"my%20photo.png", "F my photo.png"},
      {"%41%2f%2E%2e", "F A/.."}, {"100%.png", "F 100%.png"}, {"%4g%4", "F %4g%4"}, {"%C3%A9.png", "F \xC3\xA9.png"},
      {"httpx.png", "F httpx.png"}, {"http", "F http"}, {"dir/http:x", "F dir/http:x"}, {"1a:b", "F 1a:b"},
      {"file:pic.png", "F pic.png"},
      // Absolute, on every system.
      {"/etc/passwd", "A /etc/passwd"}, {"\\etc\\x", "A \\etc\\x"}, {"C:\\x.png", "A C:\\x.png"},
      {"c:/x.png", "A c:/x.png"}, {"C:x.png", "A C:x.png"}, {"file:///x/my%20y.png?1", "A /x/my y.png"},
      {"FILE://localhost/x", "A /x"}, {"file:///C:/x.png", "A C:/x.png"}, {"file:/x", "A /x"},
      {"%2Fetc%2Fpasswd", "A /etc/passwd"},
      // A NUL byte, as written or encoded.
      {"a\0b.png"s, "R"}, {"a%00b.png", "R"}, {"http://x/\0"s, "R"},
  };
  for (const auto& c : cases) EXPECT_EQ(classified(c.src), c.is) << c.src;
}

TEST(html_pictures_test, a_path_is_within_a_folder_only_below_it) {
  const struct {
    const char* folder;
    const char* path;
    bool within;
  } cases[] = {
      {"/a/b", "/a/b/c.png", true},  {"/a/b/", "/a/b/c.png", true}, {"/a/b", "/a/b", true},
      {"/a/b", "/a/bc/d.png", false}, {"/a/b", "/a/c.png", false},  {"/a/b/c", "/a/b", false},
      {"/", "/etc/passwd", true},     {"C:\\a", "C:\\a\\x.png", true}, {"C:\\a", "C:/a/x.png", true},
      {"C:\\a", "D:\\a\\x.png", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mime::path_within(c.folder, c.path), c.within) << c.folder << " " << c.path;
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

// What is written is UTF-8, so a <meta> that declares another set declares
// utf-8 instead; the declared name is the only byte that changes.
TEST(html_pictures_test, a_meta_declaring_another_charset_is_made_to_declare_utf8) {
  const struct {
    const char* name;
    const char* html;
    const char* out;
  } cases[] = {
      {"unquoted", "<meta charset=windows-1252>", "<meta charset=utf-8>"},
      {"double quoted", "<META CharSet=\"ISO-8859-1\" />", "<META CharSet=\"utf-8\" />"},
      {"single quoted, spaces", "<meta charset=' latin1 '>", "<meta charset=' utf-8 '>"},
      {"http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"},
      {"http-equiv any case, quoted name", "<meta content='text/html;CHARSET=\"koi8-r\"' HTTP-EQUIV=content-TYPE>",
       "<meta content='text/html;CHARSET=\"utf-8\"' HTTP-EQUIV=content-TYPE>"},
      {"references", "<meta http-equiv=content-type content=\"text/html;charset&#61;cp1252\">",
       "<meta http-equiv=content-type content=\"text/html;charset=utf-8\">"},
      {"already utf-8", "<meta charset=UTF-8>", "<meta charset=UTF-8>"},
      {"other http-equiv", "<meta http-equiv=refresh content=\"5; charset=latin1\">",
       "<meta http-equiv=refresh content=\"5; charset=latin1\">"},
      {"no charset in content", "<meta http-equiv=content-type content=text/html>",
       "<meta http-equiv=content-type content=text/html>"},
      {"in a comment", "<!-- <meta charset=latin1> -->", "<!-- <meta charset=latin1> -->"},
      {"in a script", "<script>'<meta charset=latin1>'</script>", "<script>'<meta charset=latin1>'</script>"},
      {"in text", "<p>charset=latin1</p>", "<p>charset=latin1</p>"},
  };
  for (const auto& c : cases) EXPECT_EQ(rewritten({c.html}), c.out) << c.name;
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
