// The page of the plain text that HtmlText makes: words wrapped at a fixed
// width, never cut; lines marked for quotes and list items; and tables,
// collected one at a time, set as aligned columns.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mime {

// The widest line of the text, in columns, unless one word is wider.
inline constexpr size_t kTextWidth = 76;

// Display columns of UTF-8 text that arrives in pieces cut anywhere: a wide
// (East Asian) character takes two, a combining mark none, any other one.
class ColumnCount {
 public:
  size_t count(std::string_view piece);

 private:
  char32_t code_ = 0;
  int more_ = 0;  // continuation bytes still to come
};

size_t text_columns(std::string_view text);

// Lines of text with LF ends, handed to `out` in pieces. A break or a space
// waits for the next text, so that no line starts or ends with one and at
// most one blank line stands in a row. Every line starts with the prefix
// (quote marks, list indents); a blank line with what the lines around it
// share of theirs.
class TextLines {
 public:
  explicit TextLines(std::function<void(std::string_view)> out);

  void block(int breaks);  // 1: the next text starts a line; 2: after a blank line
  void line_break();       // one more break, up to a blank line
  void cancel_breaks() { pending_ = 0; }
  void space();            // a space where a line may wrap
  // Text; `wrap` false keeps it on the line whatever its width.
  void text(std::string_view run, bool wrap);
  // Text that belongs on the line written last, even after a break.
  void append_to_line(std::string_view run);

  // The prefix of the lines from the next one on; `marker` stands in it at
  // `marker_at` on the first of them (a list item's number).
  void set_prefix(std::string prefix, std::string marker, size_t marker_at);
  size_t prefix_columns() const { return prefix_.size(); }

  // A line of `c` as wide as the widest line since start_measure() (a
  // heading's underline); nothing when those lines were empty.
  void start_measure();
  void underline(char c);

  void finish();

 private:
  void open_line();
  void write_prefix(std::string_view prefix);
  void commit_word();
  void put(std::string_view bytes, size_t columns);
  void write(std::string_view bytes);

  std::function<void(std::string_view)> out_;
  std::string buffer_;  // text not yet passed to out_
  ColumnCount counter_;

  bool started_ = false;  // a line has been started
  int pending_ = 0;       // breaks before the next text
  bool space_ = false;    // a space before the next text
  size_t line_start_ = 0; // columns of the current line's prefix
  size_t column_ = 0;     // columns written on the current line

  std::string word_;          // the last word, while it may still wrap
  size_t word_columns_ = 0;
  bool word_space_ = false;   // a space before it
  bool word_out_ = false;     // too wide for any line: written as it comes

  std::string prefix_;
  std::string marker_;
  size_t marker_at_ = 0;
  std::string line_prefix_;  // the prefix of the current line, as written
  size_t widest_ = 0;
};

// One table's text, held until its end so that its columns can be aligned.
// Each cell holds lines (LF between them, a blank line at most), without
// spaces at either end. Bounded: an add fails once the table holds more
// text or cells than a table set in columns can show.
class TextTable {
 public:
  enum class Align : unsigned char { left, center, right, none };
  struct Cell {
    size_t row;
    size_t column;      // the first it takes
    size_t begin, end;  // of its text in text()
    unsigned span;      // columns it takes
    bool header;
    Align align;        // none: by its column's content
  };

  void clear();
  void open_row();
  bool open_cell(unsigned span, bool header, Align align);
  void open_caption();
  void close_cell() { open_ = false; }

  // What the cell being filled gets; a text outside any cell opens one.
  bool text(std::string_view run);
  bool append_to_line(std::string_view run);
  void block(int breaks);
  void line_break();
  void space();

  // The table as aligned lines no wider than `width`; false (nothing
  // written) when they would be wider.
  bool set(size_t width, TextLines& lines) const;

  const std::vector<Cell>& cells() const { return cells_; }
  std::string_view cell_text(const Cell& cell) const;
  std::string_view caption() const { return caption_; }
  bool cell_open() const { return open_ && !in_caption_; }
  int pending_breaks() const { return pending_; }
  bool pending_space() const { return space_; }

 private:
  std::string& target() { return in_caption_ ? caption_ : text_; }

  std::string text_;
  std::string caption_;
  std::vector<Cell> cells_;
  size_t row_ = 0;
  size_t column_ = 0;  // the next cell's in the row
  bool open_ = false;
  bool in_caption_ = false;
  int pending_ = 0;
  bool space_ = false;
};

// Calls `word` for each run of the text between spaces and line ends,
// `space` between two on a line and `breaks` (1, or 2 across a blank line)
// between two lines.
template <typename Word, typename Space, typename Breaks>
void for_each_word(std::string_view text, Word word, Space space, Breaks breaks) {
  int newlines = 0;
  bool gap = false;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find_first_of(" \n", at), text.size());
    if (end > at) {
      if (newlines > 0) breaks(std::min(newlines, 2));
      else if (gap) space();
      newlines = 0;
      gap = false;
      word(text.substr(at, end - at));
    }
    if (end < text.size() && text[end] == '\n') ++newlines;
    else gap = true;
    at = end + 1;
  }
}

}  // namespace mime
