// HTML to plain text: what a reader of the plain-text alternative of a mail
// should see of its HTML, laid out as the page reads. Tags go; the ends of
// blocks and <br> become line breaks (at most one blank line in a row, none
// at the start or the end); white space collapses as a browser collapses it
// except inside <pre>; character references are decoded ("&nbsp;" as a
// space); a link shows as "text <url>", a picture as its alt text. Lines wrap
// at kTextWidth columns between words, never inside one. List items start
// with "- " or their number ("1. ", "b. ", "iv. "), their further lines
// indented to match; a heading is underlined ("=" for <h1>, "-" below); each
// line of a <blockquote> starts with "> ". A table is set in aligned columns
// (figures to the right, a first row of headers underlined) when it fits the
// width; a table that is wider, holds another table, a list, quote, heading
// or preformatted text, or more text or cells than TextTable holds, shows one
// row a line with " | " between its cells. The content of <head>, <script>, <style> and
// <title> is left out.
//
// The text streams: memory stays bounded whatever the size of the HTML,
// including a single line of any length; only one table's text is held.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/html_text_layout.h"
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
  // A list or a quote that the lines it holds are marked for.
  struct Context {
    bool quote = false;
    bool ordered = false;
    bool item = false;    // a list item is open: its lines are indented
    char style = '1';     // the numbers: 1, a, A, i or I
    long next = 1;        // the next item's number
    size_t indent = 0;    // the open item's marker, in columns
  };
  // A table shown as it comes, one row a line.
  struct StreamedTable {
    bool in_cell = false;
    bool cell_empty = false;  // the open cell has shown no text yet
    bool row_text = false;    // the row has shown text
  };

  void on_token(const HtmlToken& token);
  void start_tag(const HtmlToken& token);
  void end_tag(std::string_view name);
  void open_link(const HtmlToken& token);
  void close_link();

  // Lists, quotes and headings.
  void open_list(const HtmlToken& token);
  void open_item(const HtmlToken& token);
  void open_quote();
  void close_context(bool quote);
  void set_prefix(std::string marker = {});

  // Tables: one at a time is held to be aligned; the tables around it, and
  // one that cannot be aligned, are shown as they come.
  void open_table();
  void close_table();
  void open_row();
  void open_cell(const HtmlToken& token);
  void close_cell();
  void stream_table();
  void start_cell_text();

  // The text, as a browser collapses it; pending breaks and spaces are
  // written only before the next text, so that none trails.
  void text(std::string_view html_text, bool references, bool pre);
  void flowing(std::string_view text);
  void preformatted(std::string_view text);
  void hard_space(bool pre);
  void put(std::string_view run, bool pre);

  // Where the text goes: the table being held, or the lines.
  bool breaks_shown() const;
  void block(int breaks);
  void line_break();
  void space();
  void emit(std::string_view run, bool wrap);
  void emit_on_line(std::string_view run);

  HtmlTokenizer tokenizer_;
  TextLines lines_;
  TextTable table_;
  bool holding_table_ = false;  // table_ holds the innermost table

  size_t hard_spaces_ = 0;  // "&nbsp;" spaces before the next text
  bool lead_c2_ = false;    // a text ended with the first byte of a no-break space
  bool cr_ = false;         // preformatted text: the last byte was a CR

  int pre_depth_ = 0;          // inside <pre>
  bool pre_start_ = false;     // a line end right after <pre> is not shown
  bool in_head_ = false;
  bool in_link_ = false;
  bool link_gap_ = false;      // a space or break before the link's next text
  std::string href_;           // the link's address, when it is shown
  std::string link_text_;      // the link's text, up to one byte longer than href_
  char heading_ = 0;           // the open heading's underline

  // Nesting deeper than these shows without further marks: the bounds keep
  // memory small whatever the page.
  std::vector<Context> contexts_;
  std::vector<StreamedTable> tables_;
  size_t unmarked_contexts_ = 0;
  size_t unmarked_tables_ = 0;
};

// The whole text of a whole HTML document.
std::string html_text(std::string_view html_utf8);

}  // namespace mime
