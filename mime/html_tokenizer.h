// A streaming HTML tokenizer of our own. The mail bodies need only tags,
// attributes, text, comments and the raw text of elements such as <script>
// and <style>, not a document tree; they must stream, so that a body of any
// size passes through in bounded memory; and every token must carry its exact
// bytes, so that a picture reference can be rewritten without touching
// anything else. The well-kept HTML libraries (lexbor, gumbo) build a tree
// and give neither the streaming nor the bytes, so this small one follows
// the HTML tokenizing rules directly, as far as mail HTML needs them.
//
// Writing out the raw bytes of every token, in order, gives back the input
// exactly, however it was cut into chunks.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mime {

enum class HtmlTokenKind {
  text,       // character data, references not decoded
  start_tag,  // <name attributes> or <name ... />
  end_tag,    // </name>
  comment,    // <!-- ... -->, and the malformed <! ... >, <? ... >, </ ... >
  doctype,    // <!DOCTYPE ...>
  raw_text,   // the content of <script>, <style>, <textarea>, <title> ...
  error,      // a construct too large to hold, or a tag cut off by the end
};

enum class QuoteStyle { none, single_quote, double_quote };

struct HtmlAttribute {
  std::string name;   // letters in lower case
  std::string value;  // character references decoded
  QuoteStyle quote = QuoteStyle::none;
  bool has_value = false;  // false for a bare name (<input disabled>)
  // The value as written, quotes included, as offsets into the token's raw
  // bytes; for a bare name, an empty span just after the name.
  size_t value_begin = 0;
  size_t value_end = 0;
};

struct HtmlToken {
  HtmlTokenKind kind = HtmlTokenKind::text;
  std::string_view raw;   // the input's bytes of this token, exactly
  std::string_view name;  // tags: lower case; raw_text: its element's name
  std::span<const HtmlAttribute> attributes;  // start tags: the first of each name, in order
  bool self_closing = false;                  // start tags written <name ... />
  // text and raw_text: the bytes (as raw); comment: what lies between
  // "<!--" and "-->"; doctype: what lies between "<!" and ">".
  std::string_view text;

  // The attribute of that (lower-case) name, or nullptr.
  const HtmlAttribute* attribute(std::string_view attribute_name) const;
};

// The white space of HTML: space, tab, LF, CR and FF.
bool is_html_space(char c);

// `text` without the white space at either end (as a browser reads an
// address from an attribute).
std::string_view trim_html_space(std::string_view text);

// Whether `text` starts with `lower_prefix`, ASCII letters in either case
// ("JavaScript:" starts with "javascript:").
bool starts_with_any_case(std::string_view text, std::string_view lower_prefix);

// The largest tag, comment or doctype held whole, and the most attributes
// in one tag. A larger construct is passed on in pieces as error tokens.
inline constexpr size_t kHtmlConstructMax = 1 << 20;
inline constexpr size_t kHtmlAttributesMax = 256;

// feed() any number of times, then finish(). Tokens go to the sink as soon
// as they are complete; their views and spans are valid during the call only.
// Text and raw text are passed on as they arrive, in as many pieces as it
// takes; a piece never ends inside a character reference, so that a reader
// can decode it piece by piece. At most one construct (a tag, a comment, the
// start of a reference) is held between chunks.
class HtmlTokenizer {
 public:
  using Sink = std::function<void(const HtmlToken&)>;
  explicit HtmlTokenizer(Sink sink);

  void feed(std::string_view chunk);
  void finish();  // passes on what is held; the tokenizer can then start again

  enum class State : unsigned char;

 private:
  struct AttributeSpan {
    size_t name_begin, name_end, value_begin, value_end;
    QuoteStyle quote;
    bool has_value;
  };

  // The scanner: one function per group of states; each takes the byte at
  // `i` and returns false to have it looked at again in the new state.
  void run();
  bool content_step(size_t i);
  bool reference_step(size_t i);
  bool tag_open_step(size_t i);
  bool markup_step(size_t i);
  bool comment_step(size_t i);
  bool tag_step(size_t i);
  bool attribute_value_step(size_t i);
  bool raw_end_step(size_t i);

  // Constructs: where they begin, how long they are, and how they end.
  size_t offset(size_t i) const { return held_.size() + i - mark_; }
  bool in_tag_state() const;
  void begin_construct(size_t i, State state);
  void begin_tag(size_t name_begin, bool end_tag);
  void begin_attribute(size_t i);
  AttributeSpan& span();
  std::string_view construct_bytes(size_t end);
  void end_as_text(size_t end);
  void end_construct(HtmlTokenKind kind, size_t end, size_t content_begin, size_t content_end);
  void end_tag(size_t i);
  void note_raw_text_start();
  void finish_construct(size_t end);

  // Tokens to the sink.
  void emit_tag(std::string_view raw);
  size_t build_attributes(std::string_view raw);
  void emit_text(std::string_view bytes);
  void emit_error(std::string_view bytes);
  void flush_text(size_t end);

  Sink sink_;
  State state_;
  std::string_view chunk_;  // the chunk being fed
  size_t text_start_ = 0;   // in chunk_: first byte of text not yet passed on
  size_t mark_ = 0;         // in chunk_: first byte of the current construct
  std::string held_;        // the construct's bytes from earlier chunks
  bool oversized_ = false;  // the construct is passed on as error tokens

  // The element whose raw text is being read (empty: ordinary content),
  // and whether references count in it.
  std::string_view raw_element_;
  bool raw_references_ = false;
  size_t raw_end_matched_ = 0;  // letters of "</name" matched so far
  // The raw-text element that the start tag being read begins, if any.
  static constexpr size_t kRawTextNameMax = 8;  // "noframes"
  std::string_view raw_start_;
  bool raw_start_references_ = false;

  size_t reference_length_ = 0;  // bytes of a possible reference so far
  size_t markup_matched_ = 0;    // bytes after "<!" matched against "--" or "doctype"
  bool markup_dashes_ = false;   // ... and which of the two
  size_t content_begin_ = 0;     // comment, doctype: where their text begins
  size_t name_begin_ = 0;        // tag: offsets of its name
  size_t name_end_ = 0;
  bool end_tag_ = false;
  bool self_closing_ = false;
  std::vector<AttributeSpan> spans_;
  AttributeSpan scratch_{};  // written to once the tag is oversized

  // The tag passed on: its name and attributes.
  std::string name_;
  std::vector<HtmlAttribute> attributes_;
};

}  // namespace mime
