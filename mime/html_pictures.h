// The pictures an HTML document shows: the `src` of its <img> elements, found
// by the tokenizer, so that nothing in text, comments, raw text (<script>,
// <textarea> ...), other elements (<iframe src>) or other attributes
// (alt="x.png") counts. Either quote style or none, any attribute order;
// character references are decoded and the white space around the value
// is dropped, as a browser reads it. <image>, which browsers read as <img>,
// counts too.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/html_tokenizer.h"

namespace mime {

// Every picture source of `html` in order, repeats included; empty sources
// are left out.
std::vector<std::string> picture_sources(std::string_view html);

// What a picture source of an HTML file names, as a browser that shows the
// file from its folder reads it.
enum class SourceKind : uint8_t {
  elsewhere,  // no local file: left as written and never read
  file,       // a local file
  refused,    // a NUL byte: no file name can hold it
};
struct PictureSource {
  SourceKind kind = SourceKind::elsewhere;
  // A file: its name, from the HTML's folder unless `absolute`.
  std::string file;
  bool absolute = false;
};

// Classifies a source as picture_sources reports it. Elsewhere: an address
// of a host ("//host/x", "\\host\x", "file://host/x"), any scheme but
// "file:" ("https:", "cid:", "data:", "about:" ...), and a source that is
// only a query or fragment (the HTML itself). A file: the rest, without its
// "?query" or "#fragment", percent-encoding decoded ("my%20photo.png"); a
// "file:" URL gives its path ("file:///x/y.png" is "/x/y.png"). A name that
// begins with a separator or a drive ("C:\", "C:/", "C:") is absolute,
// whatever system runs.
PictureSource classify_picture_source(std::string_view src);

// The file a source names, read from the folder `folder` (empty, or ending
// with a separator) where it is not absolute. Only for a file source.
std::string picture_file(std::string_view folder, const PictureSource& source);

// Whether `path` is `folder` or lies inside it. Both are whole paths as the
// system resolved them (links followed); a slash and a backslash both
// separate, a final separator of `folder` is allowed.
bool path_within(std::string_view folder, std::string_view path);

// A filter over HTML that writes every byte unchanged except the sources that
// `replace` maps to a new value ("cid:1"): the new value is written in double
// quotes, "&" and '"' as references, and everything else in the tag stays
// byte for byte. `replace` sees each non-empty source as picture_sources
// reports it, and returns std::nullopt to keep the tag as it is.
// What is written is UTF-8 whatever the HTML was read in, so a <meta> that
// declares another character set (charset="...", or http-equiv=
// "Content-Type" with a "charset=" in its content) is made to declare utf-8.
class PictureRewriter {
 public:
  PictureRewriter(std::function<std::optional<std::string>(std::string_view src)> replace,
                  std::function<void(std::string_view bytes)> out);
  PictureRewriter(const PictureRewriter&) = delete;
  PictureRewriter& operator=(const PictureRewriter&) = delete;

  void feed(std::string_view chunk);
  void finish();

 private:
  void on_token(const HtmlToken& token);

  std::function<std::optional<std::string>(std::string_view)> replace_;
  std::function<void(std::string_view)> out_;
  HtmlTokenizer tokenizer_;
  std::string tag_;  // a tag being rewritten
};

}  // namespace mime
