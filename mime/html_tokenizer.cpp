#include "mime/html_tokenizer.h"

#include <algorithm>

#include "mime/html_references.h"

namespace mime {

// The scanner's states. A construct's bytes run from `mark_` (or from the
// start of held_) to the byte that ends it.
//
//   content ──"<"──> tag_open ──letter──> tag_name ... ──">"──> content
//      │                ├─"/"─> end_tag_open ──letter──> tag_name
//      │                ├─"!"─> markup_open ──> comment_start ... | doctype | bogus_comment
//      │                └─"?"─> bogus_comment
//      ├──"&"──> reference ──(end of the reference)──> content
//      └──"<" in raw text──> raw_end ──"</name" and a delimiter──> tag_name
enum class HtmlTokenizer::State : unsigned char {
  content,  // text, or the raw text of raw_element_
  reference,
  tag_open,
  end_tag_open,
  markup_open,
  comment_start,
  comment_start_dash,
  comment,
  comment_end_dash,
  comment_end,
  comment_end_bang,
  bogus_comment,
  doctype,
  tag_name,
  before_attribute_name,
  attribute_name,
  after_attribute_name,
  before_attribute_value,
  value_double,
  value_single,
  value_unquoted,
  after_value_quoted,
  self_closing_start,
  raw_end,
};

namespace {

using State = HtmlTokenizer::State;

struct RawTextElement {
  std::string_view name;
  bool references;  // character references count in its text
};

// Elements whose content is text up to their own end tag, never tags.
// No name is longer than kRawTextNameMax.
constexpr RawTextElement kRawTextElements[] = {
    {"script", false},  {"style", false},    {"xmp", false},
    {"iframe", false},  {"noembed", false},  {"noframes", false},
    {"textarea", true}, {"title", true},
};

bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_reference_byte(char c) { return is_alpha(c) || (c >= '0' && c <= '9') || c == '#'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The raw-text element of that name, letter case ignored; nullptr for none.
const RawTextElement* raw_text_element(std::string_view name) {
  for (const RawTextElement& element : kRawTextElements)
    if (name.size() == element.name.size() && starts_with_any_case(name, element.name)) return &element;
  return nullptr;
}

void assign_lower(std::string& out, std::string_view text) {
  out.assign(text);
  std::transform(out.begin(), out.end(), out.begin(), lower);
}

}  // namespace

bool is_html_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view trim_html_space(std::string_view text) {
  while (!text.empty() && is_html_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_html_space(text.back())) text.remove_suffix(1);
  return text;
}

bool starts_with_any_case(std::string_view text, std::string_view lower_prefix) {
  return text.size() >= lower_prefix.size() &&
         std::equal(lower_prefix.begin(), lower_prefix.end(), text.begin(),
                    [](char p, char c) { return p == lower(c); });
}

const HtmlAttribute* HtmlToken::attribute(std::string_view attribute_name) const {
  for (const HtmlAttribute& a : attributes)
    if (a.name == attribute_name) return &a;
  return nullptr;
}

HtmlTokenizer::HtmlTokenizer(Sink sink) : sink_(std::move(sink)), state_(State::content) {}

void HtmlTokenizer::feed(std::string_view chunk) {
  chunk_ = chunk;
  text_start_ = 0;
  mark_ = 0;
  run();
  if (state_ == State::content) {
    flush_text(chunk_.size());
    return;
  }
  flush_text(mark_);
  if (!oversized_ && offset(chunk_.size()) > kHtmlConstructMax) oversized_ = true;
  if (oversized_) {
    HtmlToken token;
    token.kind = HtmlTokenKind::error;
    token.raw = construct_bytes(chunk_.size());
    sink_(token);
    held_.clear();
  } else {
    held_.append(chunk_.substr(mark_));
  }
}

void HtmlTokenizer::finish() {
  chunk_ = {};
  mark_ = 0;
  const size_t end = held_.size();
  switch (state_) {
    case State::content:
      break;
    case State::reference:
    case State::tag_open:
    case State::end_tag_open:
    case State::raw_end:
      end_as_text(0);
      break;
    case State::markup_open:
      end_construct(HtmlTokenKind::comment, 0, 2, end);
      break;
    case State::doctype:
      end_construct(HtmlTokenKind::doctype, 0, content_begin_, end);
      break;
    default:
      // A comment runs to the end of the input; a tag cut off is no tag.
      end_construct(in_tag_state() ? HtmlTokenKind::error : HtmlTokenKind::comment, 0,
                    std::min(content_begin_, end), end);
      break;
  }
  held_.clear();
  oversized_ = false;
  raw_element_ = {};
  state_ = State::content;
}

bool HtmlTokenizer::in_tag_state() const {
  return state_ >= State::tag_name && state_ <= State::self_closing_start;
}

// The bytes where a state has something to do; the rest are skipped at once.
void HtmlTokenizer::run() {
  const size_t n = chunk_.size();
  for (size_t i = 0; i < n;) {
    switch (state_) {
      case State::content:
        // The "&" looked for only up to the next "<": find_first_of would
        // search its set once for every byte.
        if (raw_element_.empty() || raw_references_) {
          const size_t tag = std::min(chunk_.find('<', i), n);
          i = std::min(chunk_.substr(0, tag).find('&', i), tag);
        } else {
          i = chunk_.find('<', i);
        }
        break;
      case State::comment:
        i = chunk_.find('-', i);
        break;
      case State::bogus_comment:
      case State::doctype:
        i = chunk_.find('>', i);
        break;
      case State::value_double:
        i = chunk_.find('"', i);
        break;
      case State::value_single:
        i = chunk_.find('\'', i);
        break;
      default:
        break;
    }
    if (i >= n) break;
    bool consumed;
    switch (state_) {
      case State::content:
        consumed = content_step(i);
        break;
      case State::reference:
        consumed = reference_step(i);
        break;
      case State::tag_open:
      case State::end_tag_open:
        consumed = tag_open_step(i);
        break;
      case State::markup_open:
        consumed = markup_step(i);
        break;
      case State::raw_end:
        consumed = raw_end_step(i);
        break;
      case State::before_attribute_value:
      case State::value_double:
      case State::value_single:
      case State::value_unquoted:
      case State::after_value_quoted:
      case State::self_closing_start:
        consumed = attribute_value_step(i);
        break;
      default:
        consumed = in_tag_state() ? tag_step(i) : comment_step(i);
        break;
    }
    if (consumed) ++i;
  }
}

// content: "<" may begin a tag (or, in raw text, its end tag); "&" may
// begin a reference.
bool HtmlTokenizer::content_step(size_t i) {
  if (chunk_[i] == '<') {
    begin_construct(i, raw_element_.empty() ? State::tag_open : State::raw_end);
    raw_end_matched_ = 0;
  } else {
    mark_ = i;
    state_ = State::reference;
    reference_length_ = 1;
  }
  return true;
}

// reference -> "&" reference-byte* [";"], at most kReferenceLengthMax
// bytes and one more; what they mean is the decoder's business.
bool HtmlTokenizer::reference_step(size_t i) {
  const char c = chunk_[i];
  if (c == ';') {
    end_as_text(i + 1);
    return true;
  }
  if (!is_reference_byte(c)) {
    end_as_text(i);
    return false;
  }
  if (reference_length_ == kReferenceLengthMax) {
    end_as_text(i + 1);
    return true;
  }
  ++reference_length_;
  return true;
}

// tag_open -> letter (a start tag) | "/" | "!" | "?" | anything else (text)
// end_tag_open -> letter (an end tag) | ">" (nothing: an empty comment) | other (bogus comment)
bool HtmlTokenizer::tag_open_step(size_t i) {
  const char c = chunk_[i];
  const bool end_tag = state_ == State::end_tag_open;
  if (is_alpha(c)) {
    begin_tag(offset(i), end_tag);
    state_ = State::tag_name;
    return true;
  }
  content_begin_ = offset(i);
  if (end_tag) {
    if (c == '>') {
      end_construct(HtmlTokenKind::comment, i + 1, content_begin_, content_begin_);
      return true;
    }
    state_ = State::bogus_comment;
    return false;
  }
  switch (c) {
    case '/':
      state_ = State::end_tag_open;
      return true;
    case '!':
      state_ = State::markup_open;
      markup_matched_ = 0;
      return true;
    case '?':
      state_ = State::bogus_comment;
      return true;
    default:
      end_as_text(i);
      return false;
  }
}

// markup_open -> "--" (comment) | "doctype" in any case | other (bogus comment)
bool HtmlTokenizer::markup_step(size_t i) {
  const char c = lower(chunk_[i]);
  const size_t at = markup_matched_;
  if (at == 0) markup_dashes_ = c == '-';
  const bool dashes = markup_dashes_;
  const std::string_view target = dashes ? std::string_view("--") : std::string_view("doctype");
  if (c != target[at]) {
    content_begin_ = 2;
    state_ = State::bogus_comment;
    return false;
  }
  if (++markup_matched_ == target.size()) {
    content_begin_ = dashes ? offset(i + 1) : 2;
    state_ = dashes ? State::comment_start : State::doctype;
  }
  return true;
}

// comment_start -> "-" | ">" (an empty comment) | other
// comment -> ... "--" ">" ends it, as do "--!>" and, for a bogus comment or
// a doctype, the first ">"
bool HtmlTokenizer::comment_step(size_t i) {
  const char c = chunk_[i];
  switch (state_) {
    case State::comment_start:
    case State::comment_start_dash:
      if (c == '>') {
        end_construct(HtmlTokenKind::comment, i + 1, content_begin_, content_begin_);
        return true;
      }
      if (c != '-') break;
      state_ = state_ == State::comment_start ? State::comment_start_dash : State::comment_end;
      return true;
    case State::comment:
      if (c == '-') state_ = State::comment_end_dash;
      return true;
    case State::comment_end_dash:
      if (c != '-') break;
      state_ = State::comment_end;
      return true;
    case State::comment_end:
    case State::comment_end_bang:
      if (c == '>') {
        const size_t closing = state_ == State::comment_end ? 2 : 3;  // "--" or "--!"
        end_construct(HtmlTokenKind::comment, i + 1, content_begin_, offset(i) - closing);
        return true;
      }
      if (state_ == State::comment_end && (c == '-' || c == '!')) {
        if (c == '!') state_ = State::comment_end_bang;
        return true;
      }
      if (c != '-') break;
      state_ = State::comment_end_dash;
      return true;
    default:  // bogus_comment, doctype
      if (c == '>') {
        const HtmlTokenKind kind = state_ == State::doctype ? HtmlTokenKind::doctype : HtmlTokenKind::comment;
        end_construct(kind, i + 1, content_begin_, offset(i));
      }
      return true;
  }
  state_ = State::comment;
  return false;
}

// tag_name -> name-byte* (space | "/" | ">")
// attributes -> (name ["=" value])*, names ending at a space, "/", ">" or "="
bool HtmlTokenizer::tag_step(size_t i) {
  const char c = chunk_[i];
  const bool delimiter = is_html_space(c) || c == '/' || c == '>';
  switch (state_) {
    case State::tag_name:
      if (!delimiter) return true;
      name_end_ = offset(i);
      note_raw_text_start();
      state_ = State::before_attribute_name;
      return false;
    case State::before_attribute_name:
      if (is_html_space(c)) return true;
      if (delimiter) {
        state_ = State::after_attribute_name;
        return false;
      }
      begin_attribute(i);  // a leading "=" is part of the name
      return true;
    case State::attribute_name:
      if (!delimiter && c != '=') return true;
      span().name_end = span().value_begin = span().value_end = offset(i);
      state_ = c == '=' ? State::before_attribute_value : State::after_attribute_name;
      return c == '=';
    default:  // after_attribute_name
      if (is_html_space(c)) return true;
      if (c == '/') state_ = State::self_closing_start;
      else if (c == '=') state_ = State::before_attribute_value;
      else if (c == '>') end_tag(i);
      else begin_attribute(i);
      return true;
  }
}

// value -> '"' byte* '"' | "'" byte* "'" | unquoted-byte+ ; then a space,
// "/" or ">" (anything else starts the next attribute)
bool HtmlTokenizer::attribute_value_step(size_t i) {
  const char c = chunk_[i];
  switch (state_) {
    case State::before_attribute_value: {
      if (is_html_space(c)) return true;
      AttributeSpan& s = span();
      s.has_value = true;
      s.value_begin = s.value_end = offset(i);
      if (c == '>') {
        end_tag(i);
        return true;
      }
      s.quote = c == '"' ? QuoteStyle::double_quote : c == '\'' ? QuoteStyle::single_quote : QuoteStyle::none;
      state_ = s.quote == QuoteStyle::double_quote   ? State::value_double
               : s.quote == QuoteStyle::single_quote ? State::value_single
                                                     : State::value_unquoted;
      return true;
    }
    case State::value_double:
    case State::value_single:
      span().value_end = offset(i) + 1;
      state_ = State::after_value_quoted;
      return true;
    case State::value_unquoted:
      if (!is_html_space(c) && c != '>') return true;
      span().value_end = offset(i);
      if (c == '>') end_tag(i);
      else state_ = State::before_attribute_name;
      return true;
    case State::after_value_quoted:
      if (is_html_space(c)) state_ = State::before_attribute_name;
      else if (c == '/') state_ = State::self_closing_start;
      else if (c == '>') end_tag(i);
      else state_ = State::before_attribute_name;
      return is_html_space(c) || c == '/' || c == '>';
    default:  // self_closing_start
      if (c != '>') {
        state_ = State::before_attribute_name;
        return false;
      }
      self_closing_ = true;
      end_tag(i);
      return true;
  }
}

// raw_end -> "/" the element's name in any case, then a space, "/" or ">";
// anything else leaves the bytes in the raw text.
bool HtmlTokenizer::raw_end_step(size_t i) {
  const char c = chunk_[i];
  const size_t matched = raw_end_matched_;
  if (matched == 0 ? c == '/' : matched <= raw_element_.size() && lower(c) == raw_element_[matched - 1]) {
    ++raw_end_matched_;
    return true;
  }
  if (matched == raw_element_.size() + 1 && (is_html_space(c) || c == '/' || c == '>')) {
    begin_tag(2, true);
    state_ = State::tag_name;
    return false;
  }
  end_as_text(i);
  return false;
}

void HtmlTokenizer::begin_construct(size_t i, State state) {
  flush_text(i);
  mark_ = i;
  state_ = state;
}

void HtmlTokenizer::begin_tag(size_t name_begin, bool end_tag) {
  name_begin_ = name_begin;
  end_tag_ = end_tag;
  raw_start_ = {};
  self_closing_ = false;
  spans_.clear();
}

// An attribute past the most a tag may have makes the tag an error, so
// that the spans kept stay few.
void HtmlTokenizer::begin_attribute(size_t i) {
  state_ = State::attribute_name;
  if (!oversized_ && spans_.size() == kHtmlAttributesMax) oversized_ = true;
  if (!oversized_) spans_.emplace_back();
  span() = AttributeSpan{offset(i), offset(i), offset(i), offset(i), QuoteStyle::none, false};
}

HtmlTokenizer::AttributeSpan& HtmlTokenizer::span() {
  return oversized_ || spans_.empty() ? scratch_ : spans_.back();
}

// The construct's bytes up to `end` (in chunk_), whole.
std::string_view HtmlTokenizer::construct_bytes(size_t end) {
  if (held_.empty()) return chunk_.substr(mark_, end - mark_);
  held_.append(chunk_.substr(0, end));
  return held_;
}

// What looked like the start of a construct is text after all; it ends
// before `end` (in chunk_), where the text goes on.
void HtmlTokenizer::end_as_text(size_t end) {
  if (!held_.empty()) {
    held_.append(chunk_.substr(0, end));
    emit_text(held_);
    held_.clear();
    text_start_ = end;
  }
  state_ = State::content;
}

void HtmlTokenizer::end_construct(HtmlTokenKind kind, size_t end, size_t content_begin, size_t content_end) {
  const std::string_view raw = construct_bytes(end);
  if (oversized_ || raw.size() > kHtmlConstructMax) {
    emit_error(raw);
  } else {
    HtmlToken token;
    token.kind = kind;
    token.raw = raw;
    token.text = raw.substr(content_begin, content_end - content_begin);
    sink_(token);
  }
  finish_construct(end);
}

// A start or end tag ends with the ">" at `i`. A tag too large to hold is
// an error token, and does not start raw text; any end tag read in raw text
// ends it.
void HtmlTokenizer::end_tag(size_t i) {
  const std::string_view raw = construct_bytes(i + 1);
  const bool ends_raw_text = end_tag_ && !raw_element_.empty();
  if (oversized_ || raw.size() > kHtmlConstructMax) emit_error(raw);
  else emit_tag(raw);
  if (ends_raw_text) raw_element_ = {};
  if (!raw_start_.empty()) {
    raw_element_ = raw_start_;
    raw_references_ = raw_start_references_;
  }
  finish_construct(i + 1);
}

// Whether the start tag whose name has just ended begins raw text. Told from
// the name alone, so that a tag too large to hold (thousands of attributes)
// still begins it, as it does in a browser: its text must not be read as
// markup.
void HtmlTokenizer::note_raw_text_start() {
  static_assert(std::all_of(std::begin(kRawTextElements), std::end(kRawTextElements),
                            [](const RawTextElement& e) { return e.name.size() <= kRawTextNameMax; }));
  raw_start_ = {};
  const size_t length = name_end_ - name_begin_;
  if (end_tag_ || oversized_ || length > kRawTextNameMax) return;
  char name[kRawTextNameMax];
  for (size_t k = 0; k < length; ++k) {
    const size_t at = name_begin_ + k;
    name[k] = at < held_.size() ? held_[at] : chunk_[mark_ + at - held_.size()];
  }
  if (const RawTextElement* element = raw_text_element({name, length})) {
    raw_start_ = element->name;
    raw_start_references_ = element->references;
  }
}

void HtmlTokenizer::finish_construct(size_t end) {
  held_.clear();
  oversized_ = false;
  text_start_ = end;
  state_ = State::content;
}

void HtmlTokenizer::emit_tag(std::string_view raw) {
  HtmlToken token;
  token.kind = end_tag_ ? HtmlTokenKind::end_tag : HtmlTokenKind::start_tag;
  token.raw = raw;
  assign_lower(name_, raw.substr(name_begin_, name_end_ - name_begin_));
  token.name = name_;
  const size_t count = end_tag_ ? 0 : build_attributes(raw);  // may move attributes_
  token.attributes = {attributes_.data(), count};
  token.self_closing = !end_tag_ && self_closing_;
  sink_(token);
}

// The attributes of the tag in `raw` from their spans: the first of each
// name, values decoded. Returns how many.
size_t HtmlTokenizer::build_attributes(std::string_view raw) {
  size_t count = 0;
  for (const AttributeSpan& s : spans_) {
    if (attributes_.size() == count) attributes_.emplace_back();
    HtmlAttribute& a = attributes_[count];
    assign_lower(a.name, raw.substr(s.name_begin, s.name_end - s.name_begin));
    const auto earlier = attributes_.begin() + static_cast<std::ptrdiff_t>(count);
    if (std::any_of(attributes_.begin(), earlier, [&a](const HtmlAttribute& b) { return b.name == a.name; }))
      continue;
    const size_t quotes = s.quote == QuoteStyle::none ? 0 : 1;
    const std::string_view written = raw.substr(s.value_begin + quotes, s.value_end - s.value_begin - 2 * quotes);
    a.value = decode_character_references(written, ReferenceContext::attribute);
    a.quote = s.quote;
    a.has_value = s.has_value;
    a.value_begin = s.value_begin;
    a.value_end = s.value_end;
    ++count;
  }
  return count;
}

void HtmlTokenizer::emit_text(std::string_view bytes) {
  if (bytes.empty()) return;
  HtmlToken token;
  token.kind = raw_element_.empty() ? HtmlTokenKind::text : HtmlTokenKind::raw_text;
  token.raw = token.text = bytes;
  token.name = raw_element_;
  sink_(token);
}

void HtmlTokenizer::emit_error(std::string_view bytes) {
  if (bytes.empty()) return;
  HtmlToken token;
  token.kind = HtmlTokenKind::error;
  token.raw = bytes;
  sink_(token);
}

void HtmlTokenizer::flush_text(size_t end) {
  if (end > text_start_) emit_text(chunk_.substr(text_start_, end - text_start_));
  text_start_ = end;
}

}  // namespace mime
