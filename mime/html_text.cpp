#include "mime/html_text.h"

#include <algorithm>
#include <iterator>

#include "mime/html_references.h"

namespace mime {
namespace {

// The bytes that a text's run of ordinary bytes ends at, as a table: a
// find_first_of would search its set once for every byte of the text.
struct ByteSet {
  bool in[256];
  constexpr explicit ByteSet(std::string_view bytes) : in() {
    for (const char c : bytes) in[static_cast<unsigned char>(c)] = true;
  }
};
constexpr ByteSet kFlowingSpecial(" \t\n\r\f\xC2");   // white space, and a no-break space's lead byte
constexpr ByteSet kPreformattedSpecial("\r\n\xC2");

// The first byte from `at` on that is in `set`; the text's size when none is.
size_t find_special(std::string_view text, size_t at, const ByteSet& set) {
  while (at < text.size() && !set.in[static_cast<unsigned char>(text[at])]) ++at;
  return at;
}

// How an element breaks the text around it, at its start and at its end.
enum class Layout : unsigned char {
  line,       // starts on a line of its own
  paragraph,  // ... with a blank line before and after
  table,      // a table or a part of one: laid out by the table
};

struct BlockElement {
  std::string_view name;
  Layout layout;
  bool in_cell;  // an aligned table's cell can show it, as line breaks
};

constexpr BlockElement kBlockElements[] = {
    {"address", Layout::line, true},        {"article", Layout::line, true},
    {"aside", Layout::line, true},          {"blockquote", Layout::paragraph, false},
    {"body", Layout::line, true},           {"caption", Layout::table, true},
    {"center", Layout::line, true},         {"dd", Layout::line, true},
    {"details", Layout::line, true},        {"dialog", Layout::line, true},
    {"div", Layout::line, true},            {"dl", Layout::paragraph, true},
    {"dt", Layout::line, true},             {"fieldset", Layout::line, true},
    {"figcaption", Layout::line, true},     {"figure", Layout::paragraph, true},
    {"footer", Layout::line, true},         {"form", Layout::line, true},
    {"h1", Layout::paragraph, false},       {"h2", Layout::paragraph, false},
    {"h3", Layout::paragraph, false},       {"h4", Layout::paragraph, false},
    {"h5", Layout::paragraph, false},       {"h6", Layout::paragraph, false},
    {"header", Layout::line, true},         {"hgroup", Layout::line, true},
    {"hr", Layout::paragraph, true},        {"html", Layout::line, true},
    {"legend", Layout::line, true},         {"li", Layout::line, false},
    {"listing", Layout::paragraph, false},  {"main", Layout::line, true},
    {"menu", Layout::line, false},          {"nav", Layout::line, true},
    {"ol", Layout::line, false},            {"p", Layout::paragraph, true},
    {"pre", Layout::paragraph, false},      {"section", Layout::line, true},
    {"summary", Layout::line, true},        {"table", Layout::table, false},
    {"tbody", Layout::table, true},         {"td", Layout::table, true},
    {"textarea", Layout::line, false},      {"tfoot", Layout::table, true},
    {"th", Layout::table, true},            {"thead", Layout::table, true},
    {"tr", Layout::table, true},            {"ul", Layout::line, false},
    {"xmp", Layout::paragraph, false},
};

// Elements that may stand in <head>; any other start tag ends it.
constexpr std::string_view kHeadElements[] = {
    "base", "basefont", "bgsound", "link", "meta", "noscript", "script", "style", "template", "title",
};

struct ShownRawText {
  std::string_view name;
  bool references;
};

// Elements whose raw text is shown, as preformatted text; the raw text of
// the others (script, style, title ...) is left out.
constexpr ShownRawText kShownRawText[] = {{"textarea", true}, {"xmp", false}};

constexpr int kLineBreaks = 1;
constexpr int kParagraphBreaks = 2;  // also the most breaks in a row: one blank line
constexpr size_t kContextsMax = 16;
constexpr size_t kTablesMax = 16;
constexpr unsigned kColumnSpanMax = 64;
constexpr long kNumberMax = 999999;
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kMailto = "mailto:";
constexpr std::string_view kJavascript = "javascript:";
constexpr std::string_view kNumberStyles = "1aAiI";

struct RomanDigit {
  long value;
  std::string_view text;
};
constexpr RomanDigit kRomanDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
                                       {50, "l"},   {40, "xl"},  {10, "x"},  {9, "ix"},   {5, "v"},   {4, "iv"},
                                       {1, "i"}};

const BlockElement* find_block(std::string_view name) {
  for (const BlockElement& b : kBlockElements)
    if (b.name == name) return &b;
  return nullptr;
}

// A link whose text is its address (or a mail address and its "mailto:")
// shows the address once.
bool text_is_address(std::string_view text, std::string_view href) {
  if (text == href) return true;
  return starts_with_any_case(href, kMailto) && href.substr(kMailto.size()) == text;
}

// An attribute's whole number ("3", " -2 "), within +-kNumberMax;
// `fallback` when it is missing or not a number.
long number_attribute(const HtmlToken& token, std::string_view name, long fallback) {
  const HtmlAttribute* a = token.attribute(name);
  if (a == nullptr) return fallback;
  std::string_view v = trim_html_space(a->value);
  const bool negative = !v.empty() && v.front() == '-';
  if (!v.empty() && (v.front() == '-' || v.front() == '+')) v.remove_prefix(1);
  long n = 0;
  size_t digits = 0;
  for (; digits < v.size() && v[digits] >= '0' && v[digits] <= '9'; ++digits) n = std::min(n * 10 + (v[digits] - '0'), kNumberMax);
  if (digits == 0) return fallback;
  return negative ? -n : n;
}

// An item's number as its list's style writes it: 1, a, A, i or I (letters
// and Roman figures for numbers from 1; Roman figures below 4000).
std::string item_number(long n, char style) {
  std::string out;
  const bool upper = style == 'A' || style == 'I';
  if (n > 0 && (style == 'a' || style == 'A')) {
    for (; n > 0; n = (n - 1) / 26) out.insert(out.begin(), static_cast<char>('a' + (n - 1) % 26));
  } else if (n > 0 && n < 4000 && (style == 'i' || style == 'I')) {
    for (const RomanDigit& d : kRomanDigits)
      for (; n >= d.value; n -= d.value) out.append(d.text);
  } else {
    return std::to_string(n);
  }
  if (upper)
    for (char& c : out) c = static_cast<char>(c - 'a' + 'A');
  return out;
}

TextTable::Align cell_align(const HtmlToken& token) {
  const HtmlAttribute* a = token.attribute("align");
  if (a == nullptr) return TextTable::Align::none;
  const std::string_view v = trim_html_space(a->value);
  if (starts_with_any_case(v, "right") && v.size() == 5) return TextTable::Align::right;
  if (starts_with_any_case(v, "center") && v.size() == 6) return TextTable::Align::center;
  if (starts_with_any_case(v, "left") && v.size() == 4) return TextTable::Align::left;
  return TextTable::Align::none;
}

}  // namespace

HtmlText::HtmlText(std::function<void(std::string_view)> out)
    : tokenizer_([this](const HtmlToken& token) { on_token(token); }), lines_(std::move(out)) {}

void HtmlText::feed(std::string_view html_utf8) { tokenizer_.feed(html_utf8); }

void HtmlText::finish() {
  tokenizer_.finish();
  close_link();
  if (lead_c2_) {
    lead_c2_ = false;
    put(kNoBreakSpace.substr(0, 1), false);
  }
  unmarked_tables_ = 0;
  while (holding_table_ || !tables_.empty()) close_table();
  lines_.finish();
  cr_ = pre_start_ = in_head_ = link_gap_ = false;
  link_text_.clear();
  pre_depth_ = 0;
  hard_spaces_ = 0;
  heading_ = 0;
  contexts_.clear();
  unmarked_contexts_ = 0;
}

void HtmlText::on_token(const HtmlToken& token) {
  switch (token.kind) {
    case HtmlTokenKind::text:
      if (!in_head_) text(token.text, true, pre_depth_ > 0);
      break;
    case HtmlTokenKind::raw_text:
      for (const ShownRawText& shown : kShownRawText)
        if (token.name == shown.name) text(token.text, shown.references, true);
      break;
    case HtmlTokenKind::start_tag:
      pre_start_ = false;
      start_tag(token);
      break;
    case HtmlTokenKind::end_tag:
      pre_start_ = false;
      end_tag(token.name);
      break;
    default:  // comments, doctypes, and what is too large to be a tag
      break;
  }
}

void HtmlText::start_tag(const HtmlToken& token) {
  const std::string_view name = token.name;
  if (name == "head") {
    in_head_ = true;
    return;
  }
  if (in_head_) {
    if (std::find(std::begin(kHeadElements), std::end(kHeadElements), name) != std::end(kHeadElements)) return;
    in_head_ = false;
  }
  if (const BlockElement* b = find_block(name)) {
    if (holding_table_ && !b->in_cell) stream_table();
    // A list, quote, heading or table starts a line of its own even as a
    // cell's first content.
    if (!b->in_cell && !tables_.empty() && tables_.back().in_cell) tables_.back().cell_empty = false;
    if (b->layout != Layout::table) block(b->layout == Layout::line ? kLineBreaks : kParagraphBreaks);
  }
  if (name == "br") {
    line_break();
  } else if (name == "li") {
    open_item(token);
  } else if (name == "ul" || name == "ol" || name == "menu") {
    open_list(token);
  } else if (name == "blockquote") {
    open_quote();
  } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
    lines_.start_measure();
    heading_ = name[1] == '1' ? '=' : '-';
  } else if (name == "pre" || name == "listing") {
    ++pre_depth_;
    pre_start_ = true;
  } else if (name == "textarea") {
    pre_start_ = true;
  } else if (name == "a") {
    open_link(token);
  } else if (name == "img") {
    if (const HtmlAttribute* alt = token.attribute("alt")) text(alt->value, false, false);
  } else if (name == "table") {
    open_table();
  } else if (name == "tr") {
    open_row();
  } else if (name == "td" || name == "th") {
    open_cell(token);
  } else if (name == "caption") {
    if (holding_table_) table_.open_caption();
    else block(kLineBreaks);
  }
}

void HtmlText::end_tag(std::string_view name) {
  if (name == "head") {
    in_head_ = false;
    return;
  }
  const BlockElement* b = find_block(name);
  if (b != nullptr && holding_table_ && !b->in_cell && name != "table") stream_table();
  if (heading_ != 0 && name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
    lines_.underline(heading_);
    heading_ = 0;
    if (!tables_.empty()) tables_.back().row_text = false;  // the underline ends the row's line
  }
  if (b != nullptr && b->layout != Layout::table) block(b->layout == Layout::line ? kLineBreaks : kParagraphBreaks);
  if (name == "br") {
    line_break();  // "</br>" breaks the line as "<br>" does
  } else if (name == "li") {
    set_prefix();  // what follows the item in its list stands indented, unnumbered
  } else if (name == "ul" || name == "ol" || name == "menu") {
    close_context(false);
  } else if (name == "blockquote") {
    close_context(true);
  } else if ((name == "pre" || name == "listing") && pre_depth_ > 0) {
    --pre_depth_;
  } else if (name == "a") {
    close_link();
  } else if (name == "table") {
    close_table();
  } else if (name == "tr") {
    open_row();
  } else if (name == "td" || name == "th") {
    close_cell();
  } else if (name == "caption") {
    if (holding_table_) table_.close_cell();
    else block(kLineBreaks);
  }
}

// A link shows its address after its text, unless there is nothing to go
// to (no address, a place in this page, a script) or its text says it.
void HtmlText::open_link(const HtmlToken& token) {
  close_link();
  const HtmlAttribute* href = token.attribute("href");
  if (href == nullptr) return;
  const std::string_view address = trim_html_space(href->value);
  if (address.empty() || address.front() == '#' || starts_with_any_case(address, kJavascript)) return;
  in_link_ = true;
  link_gap_ = false;
  href_.assign(address);
  link_text_.clear();
}

// The address goes on the line of the link's text, even when a block
// around the text has already ended that line.
void HtmlText::close_link() {
  if (!in_link_) return;
  in_link_ = false;
  if (text_is_address(link_text_, href_)) return;
  emit_on_line("<" + href_ + ">");
}

// A list inside a list's item stands without blank lines around it.
void HtmlText::open_list(const HtmlToken& token) {
  const bool nested = std::any_of(contexts_.begin(), contexts_.end(), [](const Context& c) { return c.item; });
  block(nested ? kLineBreaks : kParagraphBreaks);
  if (contexts_.size() >= kContextsMax) {
    ++unmarked_contexts_;
    return;
  }
  Context list;
  list.ordered = token.name == "ol";
  if (const HtmlAttribute* type = token.attribute("type"))
    if (type->value.size() == 1 && kNumberStyles.find(type->value[0]) != std::string_view::npos)
      list.style = type->value[0];
  list.next = number_attribute(token, "start", 1);
  contexts_.push_back(list);
}

// An item outside any list is an item of a list of its own.
void HtmlText::open_item(const HtmlToken& token) {
  if (contexts_.empty() || contexts_.back().quote) {
    if (contexts_.size() >= kContextsMax) return;
    contexts_.emplace_back();
  }
  Context& list = contexts_.back();
  const long number = number_attribute(token, "value", list.next);
  list.next = std::min(number + 1, kNumberMax);
  std::string marker = list.ordered ? item_number(number, list.style) + ". " : "- ";
  list.item = true;
  list.indent = marker.size();
  set_prefix(std::move(marker));
}

void HtmlText::open_quote() {
  if (contexts_.size() >= kContextsMax) {
    ++unmarked_contexts_;
    return;
  }
  Context quote;
  quote.quote = true;
  contexts_.push_back(quote);
  set_prefix();
}

// Ends the innermost list (or quote) and whatever it holds.
void HtmlText::close_context(bool quote) {
  if (unmarked_contexts_ > 0) {
    --unmarked_contexts_;
    return;
  }
  for (size_t i = contexts_.size(); i > 0; --i) {
    if (contexts_[i - 1].quote != quote) continue;
    contexts_.resize(i - 1);
    set_prefix();
    const bool nested = std::any_of(contexts_.begin(), contexts_.end(), [](const Context& c) { return c.item; });
    block(quote || !nested ? kParagraphBreaks : kLineBreaks);
    return;
  }
}

// The prefix of the lines: "> " for each quote, an item's indent for each
// list; `marker` takes the place of the innermost item's indent on its
// first line.
void HtmlText::set_prefix(std::string marker) {
  std::string prefix;
  size_t marker_at = 0;
  for (const Context& c : contexts_) {
    if (c.quote) {
      prefix += "> ";
    } else if (c.item) {
      marker_at = prefix.size();
      prefix.append(c.indent, ' ');
    }
  }
  lines_.set_prefix(std::move(prefix), std::move(marker), marker_at);
}

void HtmlText::open_table() {
  block(kLineBreaks);
  if (tables_.size() >= kTablesMax) {
    ++unmarked_tables_;
    return;
  }
  holding_table_ = true;
  table_.clear();
}

// A held table is set in columns when it fits the lines' width, else shown
// one row a line.
void HtmlText::close_table() {
  if (unmarked_tables_ > 0) {
    --unmarked_tables_;
    return;
  }
  if (holding_table_) {
    const size_t width = kTextWidth > lines_.prefix_columns() ? kTextWidth - lines_.prefix_columns() : 0;
    if (table_.set(width, lines_)) {
      holding_table_ = false;
      table_.clear();
      tables_.emplace_back();
    } else {
      stream_table();
    }
  }
  if (tables_.empty()) return;
  tables_.pop_back();
  lines_.block(kLineBreaks);
  if (!tables_.empty()) {
    tables_.back().cell_empty = false;
    tables_.back().row_text = true;
  }
}

void HtmlText::open_row() {
  if (holding_table_) {
    table_.open_row();
  } else if (tables_.empty()) {
    block(kLineBreaks);
  } else {
    tables_.back().in_cell = tables_.back().row_text = false;
    lines_.block(kLineBreaks);
  }
}

void HtmlText::open_cell(const HtmlToken& token) {
  if (holding_table_) {
    const long span = std::clamp(number_attribute(token, "colspan", 1), 1L, static_cast<long>(kColumnSpanMax));
    if (table_.open_cell(static_cast<unsigned>(span), token.name == "th", cell_align(token))) return;
    stream_table();
  }
  if (tables_.empty()) {
    space();  // a cell outside any table stands a space apart
    return;
  }
  tables_.back().in_cell = tables_.back().cell_empty = true;
}

void HtmlText::close_cell() {
  if (holding_table_) table_.close_cell();
  else if (tables_.empty()) space();
  else tables_.back().in_cell = false;
}

// The held table goes out as it stands, one row a line, and the rest of it
// follows as it comes.
void HtmlText::stream_table() {
  holding_table_ = false;
  tables_.emplace_back();
  const auto word = [this](std::string_view w) { emit(w, true); };
  const auto gap = [this] { space(); };
  const auto breaks = [this](int n) { block(n); };
  for_each_word(table_.caption(), word, gap, breaks);
  const std::vector<TextTable::Cell>& cells = table_.cells();
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i == 0 || cells[i].row != cells[i - 1].row) open_row();
    tables_.back().in_cell = tables_.back().cell_empty = true;
    for_each_word(table_.cell_text(cells[i]), word, gap, breaks);
    tables_.back().in_cell = false;
  }
  if (table_.cell_open()) {
    tables_.back().in_cell = true;
    if (table_.pending_breaks() > 0) block(table_.pending_breaks());
    else if (table_.pending_space()) space();
  }
  table_.clear();
}

// A cell's first text follows the row's text on its line, " | " between.
void HtmlText::start_cell_text() {
  StreamedTable& t = tables_.back();
  if (!t.in_cell || !t.cell_empty) return;
  t.cell_empty = false;
  if (t.row_text) {
    lines_.cancel_breaks();
    lines_.space();
    lines_.text("|", true);
    lines_.space();
  }
  t.row_text = true;
}

// Text of the page (references decoded when `references`), flowing or
// preformatted. A no-break space may be cut between two texts: its first
// byte waits for the next.
void HtmlText::text(std::string_view html_text, bool references, bool pre) {
  std::string decoded;
  if (references && html_text.find('&') != std::string_view::npos) {
    decoded = decode_character_references(html_text);
    html_text = decoded;
  }
  if (html_text.empty()) return;
  if (lead_c2_) {
    lead_c2_ = false;
    if (html_text.front() == kNoBreakSpace[1]) {
      hard_space(pre);
      html_text.remove_prefix(1);
    } else {
      put(kNoBreakSpace.substr(0, 1), pre);
    }
  }
  if (!html_text.empty() && html_text.back() == kNoBreakSpace[0]) {
    lead_c2_ = true;
    html_text.remove_suffix(1);
  }
  if (pre) preformatted(html_text);
  else flowing(html_text);
}

// Runs of white space are one space, none at the start or end of a line.
void HtmlText::flowing(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t special = find_special(text, at, kFlowingSpecial);
    put(text.substr(at, special - at), false);
    if (special == text.size()) break;
    if (text.substr(special, 2) == kNoBreakSpace) {
      hard_space(false);
      at = special + 2;
    } else if (text[special] == kNoBreakSpace[0]) {
      put(text.substr(special, 1), false);
      at = special + 1;
    } else {
      space();
      at = special + 1;
    }
  }
}

// Every space and line end kept; CR LF and a lone CR are line ends, and a
// line end right after the element's start tag is not shown.
void HtmlText::preformatted(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t special = find_special(text, at, kPreformattedSpecial);
    if (special > at) {
      pre_start_ = cr_ = false;
      put(text.substr(at, special - at), true);
    }
    if (special == text.size()) break;
    const char c = text[special];
    at = special + 1;
    if (c == kNoBreakSpace[0]) {
      const bool pair = text.substr(special, 2) == kNoBreakSpace;
      put(pair ? " " : text.substr(special, 1), true);
      at += pair;
      pre_start_ = cr_ = false;
      continue;
    }
    const bool second_half = c == '\n' && cr_;
    cr_ = c == '\r';
    if (second_half) continue;
    if (pre_start_) pre_start_ = false;
    else line_break();
  }
}

void HtmlText::hard_space(bool pre) {
  if (pre) put(" ", true);
  else ++hard_spaces_;
}

// Text that shows, after the no-break spaces before it.
void HtmlText::put(std::string_view run, bool pre) {
  if (run.empty()) return;
  if (in_link_ && link_text_.size() <= href_.size()) {
    if (!link_text_.empty() && link_gap_) link_text_ += ' ';
    link_text_.append(run.substr(0, href_.size() + 1 - std::min(link_text_.size(), href_.size())));
  }
  link_gap_ = false;
  if (hard_spaces_ > 0) emit(std::string(hard_spaces_, ' '), !pre);
  hard_spaces_ = 0;
  emit(run, !pre);
}

// A streamed table shows no break or space outside its cells, nor before the
// first text of a cell that continues its row's line.
bool HtmlText::breaks_shown() const {
  if (tables_.empty()) return true;
  const StreamedTable& t = tables_.back();
  return t.in_cell && (!t.cell_empty || !t.row_text);
}

void HtmlText::block(int breaks) {
  hard_spaces_ = 0;
  link_gap_ = in_link_;
  if (holding_table_) table_.block(breaks);
  else if (breaks_shown()) lines_.block(breaks);
}

void HtmlText::line_break() {
  hard_spaces_ = 0;
  link_gap_ = in_link_;
  if (holding_table_) table_.line_break();
  else if (breaks_shown()) lines_.line_break();
}

void HtmlText::space() {
  link_gap_ = in_link_;
  if (holding_table_) table_.space();
  else if (breaks_shown()) lines_.space();
}

void HtmlText::emit(std::string_view run, bool wrap) {
  if (holding_table_) {
    if (table_.text(run)) return;
    stream_table();
  }
  if (!tables_.empty()) start_cell_text();
  lines_.text(run, wrap);
}

void HtmlText::emit_on_line(std::string_view run) {
  if (holding_table_) {
    if (table_.append_to_line(run)) return;
    stream_table();
  }
  lines_.append_to_line(run);
}

std::string html_text(std::string_view html_utf8) {
  std::string text;
  HtmlText converter([&text](std::string_view piece) { text.append(piece); });
  converter.feed(html_utf8);
  converter.finish();
  return text;
}

}  // namespace mime
