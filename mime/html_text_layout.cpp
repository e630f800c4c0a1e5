#include "mime/html_text_layout.h"

#include <iterator>

namespace mime {
namespace {

struct ColumnRange {
  char32_t first, last;
  unsigned char columns;
};

// Characters that do not take one column, in order of their code points.
constexpr ColumnRange kColumnRanges[] = {
    {0x0300, 0x036F, 0},   {0x1100, 0x115F, 2},   {0x1AB0, 0x1AFF, 0},   {0x1DC0, 0x1DFF, 0},
    {0x200B, 0x200F, 0},   {0x20D0, 0x20FF, 0},   {0x2E80, 0x303E, 2},   {0x3041, 0x33FF, 2},
    {0x3400, 0x4DBF, 2},   {0x4E00, 0x9FFF, 2},   {0xA000, 0xA4CF, 2},   {0xAC00, 0xD7A3, 2},
    {0xF900, 0xFAFF, 2},   {0xFE00, 0xFE0F, 0},   {0xFE20, 0xFE2F, 0},   {0xFE30, 0xFE4F, 2},
    {0xFF00, 0xFF60, 2},   {0xFFE0, 0xFFE6, 2},   {0x1F300, 0x1F64F, 2}, {0x1F900, 0x1F9FF, 2},
    {0x20000, 0x3FFFD, 2}, {0xE0100, 0xE01EF, 0},
};

size_t code_columns(char32_t code) {
  for (const ColumnRange& r : kColumnRanges) {
    if (code < r.first) break;
    if (code <= r.last) return r.columns;
  }
  return 1;
}

// A table's columns stand this many spaces apart.
constexpr size_t kColumnGap = 2;
// A table set in columns holds at most this much: more text would not fit
// the lines' width anyway, and the bound keeps a table's memory small.
constexpr size_t kTableTextMax = 16 * 1024;
constexpr size_t kTableCellsMax = 1024;
constexpr size_t kTableColumnsMax = 64;
constexpr size_t kFlushSize = 64 * 1024;

// Figures (amounts, dates, percentages) stand right-aligned in a column of
// figures.
bool looks_numeric(std::string_view text) {
  bool digit = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') digit = true;
    else if (static_cast<unsigned char>(c) < 0x80 && std::string_view(" +-.,:%'/()$").find(c) == std::string_view::npos)
      return false;
  }
  return digit;
}

// Line `index` of a cell's text, or an empty view.
std::string_view cell_line(std::string_view text, size_t index) {
  size_t at = 0;
  for (; index > 0; --index) {
    at = text.find('\n', at);
    if (at == std::string_view::npos) return {};
    ++at;
  }
  return text.substr(at, text.find('\n', at) - at);
}

size_t line_count(std::string_view text) {
  return text.empty() ? 0 : 1 + static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

size_t widest_line(std::string_view text) {
  size_t widest = 0;
  for (size_t i = 0, n = line_count(text); i < n; ++i) widest = std::max(widest, text_columns(cell_line(text, i)));
  return widest;
}

void pad_to(std::string& line, size_t& columns, size_t to) {
  if (columns < to) line.append(to - columns, ' ');
  columns = std::max(columns, to);
}

}  // namespace

size_t ColumnCount::count(std::string_view piece) {
  size_t columns = 0;
  for (const char c : piece) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      ++columns;
      more_ = 0;
    } else if ((b & 0xC0) == 0x80) {
      if (more_ == 0) continue;
      code_ = (code_ << 6) | (b & 0x3F);
      if (--more_ == 0) columns += code_columns(code_);
    } else {
      more_ = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
      code_ = b & (0x3F >> more_);
    }
  }
  return columns;
}

size_t text_columns(std::string_view text) { return ColumnCount().count(text); }

TextLines::TextLines(std::function<void(std::string_view)> out) : out_(std::move(out)) {}

void TextLines::block(int breaks) {
  if (started_) pending_ = std::max(pending_, breaks);
  space_ = false;
}

void TextLines::line_break() {
  if (started_) pending_ = std::min(pending_ + 1, 2);
  space_ = false;
}

void TextLines::space() {
  if (started_ && pending_ == 0 && (column_ > line_start_ || !word_.empty() || word_out_)) space_ = true;
}

// A word waits until it is known to fit the line, or to fit no line: then
// it is written as it comes, so that a word of any length streams.
void TextLines::text(std::string_view run, bool wrap) {
  if (run.empty()) return;
  if (!started_ || pending_ > 0) {
    open_line();
  } else if (!marker_.empty()) {  // an item whose text continues a line
    commit_word();
    if (space_) put(" ", 1);
    space_ = false;
    put(marker_, marker_.size());
    marker_.clear();
  }
  if (space_) {
    commit_word();
    space_ = false;
    word_space_ = true;
  }
  const size_t columns = counter_.count(run);
  if (!wrap) {
    commit_word();
    put(run, columns);
    return;
  }
  if (word_out_) {
    put(run, columns);
    return;
  }
  word_.append(run);
  word_columns_ += columns;
  if (column_ + word_space_ + word_columns_ <= kTextWidth) return;
  if (column_ > line_start_) {
    write("\n");
    write_prefix(prefix_);
    word_space_ = false;
  }
  if (column_ + word_columns_ > kTextWidth) {
    commit_word();
    word_out_ = true;
  }
}

void TextLines::append_to_line(std::string_view run) {
  if (!started_) return text(run, true);
  const int pending = pending_;
  const bool space = space_;
  std::string marker = std::move(marker_);
  marker_.clear();
  pending_ = 0;
  space_ = column_ > line_start_ || !word_.empty() || word_out_;
  text(run, true);
  pending_ = pending;
  space_ = space;
  marker_ = std::move(marker);
}

void TextLines::set_prefix(std::string prefix, std::string marker, size_t marker_at) {
  commit_word();
  prefix_ = std::move(prefix);
  marker_ = std::move(marker);
  marker_at_ = marker_at;
}

void TextLines::start_measure() {
  commit_word();
  widest_ = 0;
}

void TextLines::underline(char c) {
  commit_word();
  if (widest_ == 0) return;
  const size_t room = kTextWidth > prefix_.size() ? kTextWidth - prefix_.size() : 1;
  pending_ = 1;
  text(std::string(std::min(widest_, room), c), false);
}

void TextLines::finish() {
  commit_word();
  if (started_) write("\n");
  if (!buffer_.empty()) out_(buffer_);
  buffer_.clear();
  started_ = space_ = word_space_ = word_out_ = false;
  pending_ = 0;
  line_start_ = column_ = word_columns_ = widest_ = marker_at_ = 0;
  word_.clear();
  prefix_.clear();
  marker_.clear();
  line_prefix_.clear();
  counter_ = ColumnCount();
}

// Ends the line before and starts the next with its prefix; a blank line
// between them keeps the quote marks both lines have.
void TextLines::open_line() {
  commit_word();
  std::string prefix = prefix_;
  if (!marker_.empty() && marker_at_ + marker_.size() <= prefix.size()) prefix.replace(marker_at_, marker_.size(), marker_);
  marker_.clear();
  if (started_) {
    write("\n");
    if (pending_ > 1) {
      size_t shared = 0;
      while (shared < prefix.size() && shared < line_prefix_.size() && prefix[shared] == line_prefix_[shared]) ++shared;
      while (shared > 0 && prefix[shared - 1] == ' ') --shared;
      write(std::string_view(prefix).substr(0, shared));
      write("\n");
    }
  }
  write_prefix(prefix);
  started_ = true;
  pending_ = 0;
  space_ = false;
}

void TextLines::write_prefix(std::string_view prefix) {
  line_prefix_.assign(prefix);
  write(prefix);
  column_ = line_start_ = prefix.size();
}

void TextLines::commit_word() {
  if (word_space_) put(" ", 1);
  put(word_, word_columns_);
  word_.clear();
  word_columns_ = 0;
  word_space_ = word_out_ = false;
}

void TextLines::put(std::string_view bytes, size_t columns) {
  if (bytes.empty()) return;
  write(bytes);
  column_ += columns;
  widest_ = std::max(widest_, column_ - line_start_);
}

void TextLines::write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushSize) {
    out_(buffer_);
    buffer_.clear();
  }
}

void TextTable::clear() {
  text_.clear();
  caption_.clear();
  cells_.clear();
  row_ = column_ = 0;
  open_ = in_caption_ = space_ = false;
  pending_ = 0;
}

void TextTable::open_row() {
  open_ = false;
  if (!cells_.empty() && cells_.back().row == row_) ++row_;
  column_ = 0;
}

bool TextTable::open_cell(unsigned span, bool header, Align align) {
  open_ = in_caption_ = false;
  if (cells_.size() >= kTableCellsMax || column_ + span > kTableColumnsMax) return false;
  cells_.push_back({row_, column_, text_.size(), text_.size(), span, header, align});
  column_ += span;
  open_ = true;
  pending_ = 0;
  space_ = false;
  return true;
}

void TextTable::open_caption() {
  open_ = in_caption_ = true;
  pending_ = caption_.empty() ? 0 : 1;
  space_ = false;
}

bool TextTable::text(std::string_view run) {
  if (!open_ && !open_cell(1, false, Align::none)) return false;
  std::string& target = in_caption_ ? caption_ : text_;
  const bool has_text = in_caption_ ? !caption_.empty() : text_.size() > cells_.back().begin;
  const size_t before = !has_text ? 0 : pending_ > 0 ? static_cast<size_t>(pending_) : space_ ? 1 : 0;
  if (text_.size() + caption_.size() + before + run.size() > kTableTextMax) return false;
  target.append(before, pending_ > 0 ? '\n' : ' ');
  target.append(run);
  if (!in_caption_) cells_.back().end = text_.size();
  pending_ = 0;
  space_ = false;
  return true;
}

bool TextTable::append_to_line(std::string_view run) {
  const int pending = pending_;
  const bool space = space_;
  pending_ = 0;
  space_ = true;
  const bool added = text(run);
  pending_ = pending;
  space_ = space;
  return added;
}

void TextTable::block(int breaks) {
  if (open_) pending_ = std::max(pending_, breaks);
  space_ = false;
}

void TextTable::line_break() {
  if (open_) pending_ = std::min(pending_ + 1, 2);
  space_ = false;
}

void TextTable::space() {
  if (open_ && pending_ == 0) space_ = true;
}

std::string_view TextTable::cell_text(const Cell& cell) const {
  return std::string_view(text_).substr(cell.begin, cell.end - cell.begin);
}

// Each column as wide as its widest cell, a cell over several columns
// widening the last of them when they are too narrow together; an empty
// column takes no room. A cell's lines stand side by side with those of
// its row; a first row of headers is underlined.
bool TextTable::set(size_t width, TextLines& lines) const {
  size_t columns = 0;
  for (const Cell& c : cells_) columns = std::max(columns, c.column + c.span);
  std::vector<size_t> widths(columns, 0);
  std::vector<unsigned char> figures(columns, 1);  // every text of the column is a figure
  for (const Cell& c : cells_) {
    if (c.span != 1 || c.begin == c.end) continue;
    widths[c.column] = std::max(widths[c.column], widest_line(cell_text(c)));
    if (!c.header && !looks_numeric(cell_text(c))) figures[c.column] = 0;
  }
  std::vector<size_t> x(columns + 1, 0);
  const auto place = [&] {
    for (size_t i = 0; i < columns; ++i) x[i + 1] = x[i] + widths[i] + (widths[i] > 0 ? kColumnGap : 0);
  };
  // The columns a cell spans, from its first to the end of its last shown one.
  const auto room = [&](const Cell& c) {
    size_t end = x[c.column];
    for (size_t i = c.column; i < c.column + c.span; ++i)
      if (widths[i] > 0) end = x[i] + widths[i];
    return end - x[c.column];
  };
  place();
  for (const Cell& c : cells_) {
    const size_t need = c.span > 1 ? widest_line(cell_text(c)) : 0;
    if (need > room(c)) {
      widths[c.column + c.span - 1] += need - room(c);
      place();
    }
  }
  size_t total = 0;
  for (size_t i = 0; i < columns; ++i)
    if (widths[i] > 0) total = x[i] + widths[i];
  if (total > width) return false;

  lines.block(1);
  for_each_word(
      caption_, [&lines](std::string_view word) { lines.text(word, true); }, [&lines] { lines.space(); },
      [&lines](int breaks) { lines.block(breaks); });
  lines.block(1);
  for (size_t first = 0; first < cells_.size();) {
    size_t end = first;
    size_t height = 0;
    bool headers = true;
    for (; end < cells_.size() && cells_[end].row == cells_[first].row; ++end) {
      height = std::max(height, line_count(cell_text(cells_[end])));
      headers = headers && cells_[end].header;
    }
    for (size_t i = 0; i < height; ++i) {
      std::string line;
      size_t used = 0;
      for (size_t k = first; k < end; ++k) {
        const std::string_view s = cell_line(cell_text(cells_[k]), i);
        if (s.empty()) continue;
        const size_t cols = text_columns(s);
        const size_t spare = room(cells_[k]) > cols ? room(cells_[k]) - cols : 0;
        Align align = cells_[k].align;
        if (align == Align::none) align = cells_[k].span == 1 && figures[cells_[k].column] ? Align::right : Align::left;
        pad_to(line, used, x[cells_[k].column] + (align == Align::right ? spare : align == Align::center ? spare / 2 : 0));
        line.append(s);
        used += cols;
      }
      lines.text(line, false);
      lines.block(1);
    }
    if (first == 0 && headers && end < cells_.size()) {
      std::string rule;
      size_t used = 0;
      for (size_t c = 0; c < columns; ++c) {
        if (widths[c] == 0) continue;
        pad_to(rule, used, x[c]);
        rule.append(widths[c], '-');
        used += widths[c];
      }
      lines.text(rule, false);
      lines.block(1);
    }
    first = end;
  }
  return true;
}

}  // namespace mime
