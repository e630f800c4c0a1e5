// The pictures an HTML document shows: the `src` of its <img> elements, found
// by the tokenizer, so that nothing in text, comments, raw text (<script>,
// <textarea> ...), other elements (<iframe src>) or other attributes
// (alt="x.png") counts. Either quote style or none, any attribute order;
// character references are decoded and the white space around the value
// is dropped, as a browser reads it. <image>, which browsers read as <img>,
// counts too.
#pragma once

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

// An address that names no local file: "http:", "https:", "data:" or "cid:"
// (letter case ignored).
bool is_remote_or_inline(std::string_view src);

// A filter over HTML that writes every byte unchanged except the sources that
// `replace` maps to a new value ("cid:1"): the new value is written in double
// quotes, "&" and '"' as references, and everything else in the tag stays
// byte for byte. `replace` sees each non-empty source as picture_sources
// reports it, and returns std::nullopt to keep the tag as it is.
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
