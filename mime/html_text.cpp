#include "mime/html_text.h"

#include <algorithm>
#include <iterator>

#include "mime/html_references.h"

namespace mime {
namespace {

// How an element breaks the text around it, at its start and at its end.
enum class Layout : unsigned char {
  line,       // starts on a line of its own
  paragraph,  // ... with a blank line before and after
  cell,       // a space between it and its neighbours
};

struct BlockElement {
  std::string_view name;
  Layout layout;
};

constexpr BlockElement kBlockElements[] = {
    {"address", Layout::line},       {"article", Layout::line},      {"aside", Layout::line},
    {"blockquote", Layout::paragraph}, {"body", Layout::line},       {"caption", Layout::line},
    {"center", Layout::line},        {"dd", Layout::line},           {"details", Layout::line},
    {"dialog", Layout::line},        {"div", Layout::line},          {"dl", Layout::paragraph},
    {"dt", Layout::line},            {"fieldset", Layout::line},     {"figcaption", Layout::line},
    {"figure", Layout::paragraph},   {"footer", Layout::line},       {"form", Layout::line},
    {"h1", Layout::paragraph},       {"h2", Layout::paragraph},      {"h3", Layout::paragraph},
    {"h4", Layout::paragraph},       {"h5", Layout::paragraph},      {"h6", Layout::paragraph},
    {"header", Layout::line},        {"hgroup", Layout::line},       {"hr", Layout::paragraph},
    {"html", Layout::line},          {"legend", Layout::line},       {"li", Layout::line},
    {"listing", Layout::paragraph},  {"main", Layout::line},         {"menu", Layout::paragraph},
    {"nav", Layout::line},           {"ol", Layout::paragraph},      {"p", Layout::paragraph},
    {"pre", Layout::paragraph},      {"section", Layout::line},      {"summary", Layout::line},
    {"table", Layout::line},         {"tbody", Layout::line},        {"td", Layout::cell},
    {"textarea", Layout::line},      {"tfoot", Layout::line},        {"th", Layout::cell},
    {"thead", Layout::line},         {"tr", Layout::line},           {"ul", Layout::paragraph},
    {"xmp", Layout::paragraph},
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
constexpr size_t kFlushSize = 64 * 1024;
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kMailto = "mailto:";
constexpr std::string_view kJavascript = "javascript:";

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

}  // namespace

HtmlText::HtmlText(std::function<void(std::string_view)> out)
    : out_(std::move(out)), tokenizer_([this](const HtmlToken& token) { on_token(token); }) {}

void HtmlText::feed(std::string_view html_utf8) { tokenizer_.feed(html_utf8); }

void HtmlText::finish() {
  tokenizer_.finish();
  close_link();
  if (lead_c2_) {
    lead_c2_ = false;
    put(kNoBreakSpace.substr(0, 1));
  }
  if (written_) write("\n");
  flush();
  written_ = space_ = bullet_ = cr_ = pre_start_ = in_head_ = false;
  link_text_.clear();
  breaks_ = pre_depth_ = 0;
  hard_spaces_ = 0;
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
    if (b->layout == Layout::cell) space();
    else block(b->layout == Layout::line ? kLineBreaks : kParagraphBreaks);
  }
  if (name == "br") {
    line_break();
  } else if (name == "li") {
    bullet_ = true;
  } else if (name == "pre" || name == "listing") {
    ++pre_depth_;
    pre_start_ = true;
  } else if (name == "textarea") {
    pre_start_ = true;
  } else if (name == "a") {
    open_link(token);
  } else if (name == "img") {
    if (const HtmlAttribute* alt = token.attribute("alt")) text(alt->value, false, false);
  }
}

void HtmlText::end_tag(std::string_view name) {
  if (name == "head") {
    in_head_ = false;
    return;
  }
  if (const BlockElement* b = find_block(name)) {
    if (b->layout == Layout::cell) space();
    else block(b->layout == Layout::line ? kLineBreaks : kParagraphBreaks);
  }
  if (name == "br") {
    line_break();  // "</br>" breaks the line as "<br>" does
  } else if (name == "li") {
    bullet_ = false;
  } else if ((name == "pre" || name == "listing") && pre_depth_ > 0) {
    --pre_depth_;
  } else if (name == "a") {
    close_link();
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
  href_.assign(address);
  link_text_.clear();
}

// The address goes on the line of the link's text, even when a block
// around the text has already ended that line.
void HtmlText::close_link() {
  if (!in_link_) return;
  in_link_ = false;
  if (text_is_address(link_text_, href_)) return;
  const int breaks = breaks_;
  const bool bullet = bullet_;
  breaks_ = 0;
  bullet_ = false;
  space();
  put("<");
  put(href_);
  put(">");
  breaks_ = breaks;
  bullet_ = bullet;
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
      put(kNoBreakSpace.substr(0, 1));
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
    const size_t special = std::min(text.find_first_of(" \t\n\r\f\xC2", at), text.size());
    put(text.substr(at, special - at));
    if (special == text.size()) break;
    if (text.substr(special, 2) == kNoBreakSpace) {
      hard_space(false);
      at = special + 2;
    } else if (text[special] == kNoBreakSpace[0]) {
      put(text.substr(special, 1));
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
    const size_t special = std::min(text.find_first_of("\r\n\xC2", at), text.size());
    if (special > at) {
      pre_start_ = cr_ = false;
      put(text.substr(at, special - at));
    }
    if (special == text.size()) break;
    const char c = text[special];
    at = special + 1;
    if (c == kNoBreakSpace[0]) {
      const bool pair = text.substr(special, 2) == kNoBreakSpace;
      put(pair ? " " : text.substr(special, 1));
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
  if (pre) put(" ");
  else ++hard_spaces_;
}

void HtmlText::block(int breaks) {
  if (written_) breaks_ = std::max(breaks_, breaks);
  space_ = false;
  hard_spaces_ = 0;
}

void HtmlText::line_break() {
  if (written_) breaks_ = std::min(breaks_ + 1, kParagraphBreaks);
  space_ = false;
  hard_spaces_ = 0;
}

void HtmlText::space() {
  if (!at_line_start()) space_ = true;
}

// Text that shows, after whatever breaks, spaces and bullet are pending.
void HtmlText::put(std::string_view run) {
  if (run.empty()) return;
  std::string_view before;
  if (breaks_ > 0 && written_) {
    write(std::string_view("\n\n", static_cast<size_t>(breaks_)));
    before = " ";
  } else if (space_ && written_) {
    write(" ");
    before = " ";
  }
  breaks_ = 0;
  space_ = false;
  if (bullet_) write("- ");
  bullet_ = false;
  for (; hard_spaces_ > 0; --hard_spaces_) write(" ");
  write(run);
  written_ = true;
  if (in_link_ && link_text_.size() <= href_.size()) {
    if (!link_text_.empty()) link_text_.append(before);
    link_text_.append(run.substr(0, href_.size() + 1 - std::min(link_text_.size(), href_.size())));
  }
}

void HtmlText::write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushSize) flush();
}

void HtmlText::flush() {
  if (!buffer_.empty()) out_(buffer_);
  buffer_.clear();
}

std::string html_text(std::string_view html_utf8) {
  std::string text;
  HtmlText converter([&text](std::string_view piece) { text.append(piece); });
  converter.feed(html_utf8);
  converter.finish();
  return text;
}

}  // namespace mime
