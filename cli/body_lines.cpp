#include "cli/body_lines.h"

#include <algorithm>

#include "cli/body_text.h"
#include "mime/utf8.h"

namespace cli {

namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
// The composer writes "cid:" and the image number (ten digits at most) in
// place of the quoted name, which has at least one byte.
constexpr size_t kImageGrowth = 4 + 10 - 3;
// The longest character reference kept whole: "&" name ";".
constexpr size_t kReferenceReach = 32;

constexpr std::string_view kNotUtf8 = "is not valid UTF-8";
constexpr std::string_view kTooLong = "holds a tag too long for a message line";

// One indivisible piece of a body line and how it may be placed.
struct Piece {
  std::string text;
  bool image = false;   // an image tag
  bool hidden = false;  // inside an HTML comment: a line may end before it
};

// Reads one piece at `at`: fills `piece`, keeps `in_comment` (whether the
// source is inside an HTML comment), returns the bytes taken, 0 when the
// bytes there are not UTF-8.
using PieceReader = size_t (*)(std::string_view source, size_t at, bool& in_comment, Piece& piece);

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t find_lower(std::string_view text, std::string_view word, size_t from) {
  for (size_t i = from; i + word.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < word.size() && lower(text[i + k]) == word[k]) ++k;
    if (k == word.size()) return i;
  }
  return std::string_view::npos;
}

// The length of the tag that begins with '<' at `at`; 0 when the '<' begins
// none (then it is text).
size_t tag_length(std::string_view html, size_t at) {
  const std::string_view rest = html.substr(at);
  if (rest.size() < 2 || !(is_letter(rest[1]) || rest[1] == '/' || rest[1] == '!' || rest[1] == '?')) return 0;
  char quote = 0;
  for (size_t i = 1; i < rest.size(); ++i) {
    if (quote != 0) {
      if (rest[i] == quote) quote = 0;
    } else if (rest[i] == '"' || rest[i] == '\'') {
      quote = rest[i];
    } else if (rest[i] == '>') {
      return i + 1;
    }
  }
  return 0;
}

// The length of the character reference ("&amp;", "&#20013;", "&#x4E2D;")
// that begins at `at`; 0 when the '&' begins none.
size_t reference_length(std::string_view html, size_t at) {
  const size_t reach = std::min(html.size(), at + kReferenceReach);
  size_t i = at + 1;
  if (i < reach && html[i] == '#') ++i;
  if (i < reach && html[i - 1] == '#' && lower(html[i]) == 'x') ++i;
  const size_t name = i;
  while (i < reach && (is_letter(html[i]) || is_digit(html[i]))) ++i;
  return i > name && i < reach && html[i] == ';' ? i + 1 - at : 0;
}

bool is_image_tag(std::string_view tag) {
  if (tag.size() < 5 || find_lower(tag, "<img", 0) != 0) return false;
  const char next = tag[4];
  return next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '/' || next == '>';
}

// The bytes of the reference the composer takes from a line that holds this
// tag: between the first pair of double quotes after "src" (single quotes
// when there is no double quote). Empty when there is none.
std::string_view composer_reference(std::string_view tag) {
  const size_t src = find_lower(tag, "src", find_lower(tag, "img", 0));
  if (src == std::string_view::npos) return {};
  for (char quote : {'"', '\''}) {
    const size_t open = tag.find(quote, src);
    if (open == std::string_view::npos) continue;
    const size_t close = tag.find(quote, open + 1);
    if (close == std::string_view::npos) return {};
    return tag.substr(open + 1, close - open - 1);
  }
  return {};
}

// A tag or reference as the body carries it. A line break inside becomes a
// space; the reference of an image tag stays byte for byte, since the
// composer reads the file by that name and writes "cid:" and a number in its
// place.
std::string encoded_markup(std::string_view markup, bool image) {
  const std::string_view keep = image ? composer_reference(markup) : std::string_view();
  const size_t keep_at = keep.empty() ? markup.size() : static_cast<size_t>(keep.data() - markup.data());
  std::string out;
  for (size_t at = 0; at < markup.size();) {
    if (at == keep_at) {
      out += keep;
      at += keep.size();
    } else if (markup[at] == '\r' || markup[at] == '\n') {
      if (markup[at] == '\n' || markup.substr(at, 2) != "\r\n") out += ' ';
      ++at;
    } else {
      const mime::Utf8Char c = mime::decode_utf8(markup, at);
      append_body_character(out, c.code_point);
      at += c.length;
    }
  }
  return out;
}

size_t read_character(std::string_view source, size_t at, void (*append)(std::string&, char32_t), Piece& piece) {
  const mime::Utf8Char c = mime::decode_utf8(source, at);
  if (c.valid()) append(piece.text, c.code_point);
  return c.length;
}

size_t read_text_piece(std::string_view text, size_t at, bool&, Piece& piece) {
  return read_character(text, at, &append_text_character, piece);
}

// A comment is read a character at a time, so that a long one, or one over
// several lines, is carried over several body lines: inside it the "<br>"
// and the line break are not shown.
size_t read_html_piece(std::string_view html, size_t at, bool& in_comment, Piece& piece) {
  const std::string_view rest = html.substr(at);
  if (in_comment) {
    piece.hidden = true;
    in_comment = !rest.starts_with(kCommentClose);
    if (!in_comment) piece.text = kCommentClose;
    return in_comment ? read_character(html, at, &append_body_character, piece) : kCommentClose.size();
  }
  if (rest.starts_with(kCommentOpen)) {
    in_comment = true;
    piece.text = kCommentOpen;
    return kCommentOpen.size();
  }
  const size_t markup = rest[0] == '<' ? tag_length(html, at) : rest[0] == '&' ? reference_length(html, at) : 0;
  if (markup == 0) return read_character(html, at, &append_body_character, piece);
  const std::string_view text = rest.substr(0, markup);
  if (mime::first_invalid_utf8(text) != std::string_view::npos) return 0;
  piece.image = is_image_tag(text);
  piece.text = encoded_markup(text, piece.image);
  return markup;
}

BodyFault add_body(std::string_view source, PieceReader read, BodyLines& out) {
  size_t line = 1;
  bool in_comment = false;
  for (size_t at = 0; at < source.size();) {
    if (source[at] == '\n' || source.substr(at, 2) == "\r\n") {
      out.end_line();
      ++line;
      at += source[at] == '\r' ? 2 : 1;
      continue;
    }
    Piece piece;
    const size_t taken = read(source, at, in_comment, piece);
    if (taken == 0) return {line, kNotUtf8};
    if (piece.hidden) {
      out.add_hidden(piece.text);
    } else if (!out.add(piece.text, piece.image)) {
      return {line, kTooLong};
    }
    line += static_cast<size_t>(std::count(source.begin() + at, source.begin() + at + taken, '\n'));
    at += taken;
  }
  if (!source.empty() && source.back() != '\n') out.end_line();
  return {};
}

}  // namespace

bool BodyLines::add(std::string_view piece, bool image) {
  const size_t cost = piece.size() + (image ? kImageGrowth : 0);
  const auto fits = [&] { return line_.size() + cost + kCommentOpen.size() <= kBodyLineRoom; };
  if (has_content() && (image || image_ || !fits())) split();
  if (!fits()) return false;
  line_ += piece;
  image_ = image_ || image;
  return true;
}

void BodyLines::add_hidden(std::string_view piece) {
  // Room stays for the comment opener of a later split, as in add().
  if (line_.size() + piece.size() + kCommentOpen.size() > kBodyLineRoom) {
    lines_.push_back(std::move(line_));
    line_.clear();
    prefix_ = 0;
    image_ = false;
  }
  line_ += piece;
}

void BodyLines::split() {
  line_ += kCommentOpen;
  lines_.push_back(std::move(line_));
  line_ = kCommentClose;
  prefix_ = kCommentClose.size();
  image_ = false;
}

void BodyLines::end_line() {
  if (!line_.empty() && line_.back() == ' ') {
    line_.pop_back();
    line_ += "=20";
  }
  lines_.push_back(std::move(line_));
  line_.clear();
  prefix_ = 0;
  image_ = false;
}

BodyFault add_text_body(std::string_view text, BodyLines& out) { return add_body(text, &read_text_piece, out); }

BodyFault add_html_body(std::string_view html, BodyLines& out) { return add_body(html, &read_html_piece, out); }

bool add_picture_line(std::string_view file, BodyLines& out) {
  std::string tag = "<img src=3D\"";
  tag += file;
  tag += "\">";
  if (!out.add(tag, true)) return false;
  out.end_line();
  return true;
}

}  // namespace cli
