// HTML to plain text: what a reader of the plain-text alternative of a mail
// should see of its HTML. Tags go, the ends of blocks and <br> become line
// breaks (at most one blank line in a row, none at the start or the end),
// white space collapses as a browser collapses it except inside <pre>,
// character references are decoded ("&nbsp;" as a space), a link shows as
// "text <url>", a picture as its alt text, and list items start with "- ".
// The content of <head>, <script>, <style> and <title> is left out.
//
// The text streams: memory stays bounded whatever the size of the HTML,
// including a single line of any length.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "mime/html_tokenizer.h"

namespace mime {

class HtmlText {
 public:
  // `out` receives the text, UTF-8 with LF line ends, in pieces; the text
  // ends with a line end unless it is empty.
  explicit HtmlText(std::function<void(std::string_view utf8)> out);
  HtmlText(const HtmlText&) = delete;
  HtmlText& operator=(const HtmlText&) = delete;

  void feed(std::string_view html_utf8);
  void finish();

 private:
  void on_token(const HtmlToken& token);
  void start_tag(const HtmlToken& token);
  void end_tag(std::string_view name);
  void open_link(const HtmlToken& token);
  void close_link();

  // The lines: pending breaks and spaces are written only before the next
  // text, so that none trails.
  void text(std::string_view html_text, bool references, bool pre);
  void flowing(std::string_view text);
  void preformatted(std::string_view text);
  void block(int breaks);
  void line_break();
  void space();
  void hard_space(bool pre);
  void put(std::string_view run);
  void write(std::string_view bytes);
  void flush();
  bool at_line_start() const { return !written_ || breaks_ > 0; }

  std::function<void(std::string_view)> out_;
  HtmlTokenizer tokenizer_;
  std::string buffer_;  // text not yet passed to out_

  bool written_ = false;    // any text written
  int breaks_ = 0;          // line breaks before the next text
  bool space_ = false;      // a collapsed space before the next text
  size_t hard_spaces_ = 0;  // "&nbsp;" spaces before the next text
  bool bullet_ = false;     // "- " before the next text
  bool lead_c2_ = false;    // a text ended with the first byte of a no-break space
  bool cr_ = false;         // preformatted text: the last byte was a CR

  int pre_depth_ = 0;          // inside <pre>
  bool pre_start_ = false;     // a line end right after <pre> is not shown
  bool in_head_ = false;
  bool in_link_ = false;
  std::string href_;           // the link's address, when it is shown
  std::string link_text_;      // the link's text, up to one byte longer than href_
};

// The whole text of a whole HTML document.
std::string html_text(std::string_view html_utf8);

}  // namespace mime
