#include "app/options_parts.h"

#include <functional>
#include <utility>

#include "app/html_body.h"
#include "app/options_body.h"
#include "app/program_data.h"
#include "app/work_copies.h"
#include "mime/html_pictures.h"
#include "mime/html_text.h"
#include "mime/html_tokenizer.h"

namespace app {

namespace {

// ORDER: font sizes 1 to 7.
constexpr std::string_view kFontSizes[] = {"x-small", "small", "medium", "large", "x-large", "xx-large", "xxx-large"};
constexpr uint8_t kMiddleFontSize = 3;
// Without a face of its own, a text keeps its columns in a font whose
// letters are all of one width; HTML has the face the options always had.
constexpr std::string_view kTextFont = "monospace";
constexpr std::string_view kHtmlFont = "Arial";

constexpr std::string_view kPageStart =
    "<!DOCTYPE html>\n"
    "<html><head>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
constexpr std::string_view kPageEnd = "</body></html>\n";
constexpr std::string_view kTextStart = "<div style=\"white-space: pre-wrap; overflow-wrap: break-word;\">";
constexpr std::string_view kTextEnd = "</div>\n";
constexpr std::string_view kSignatureLine = "-- \n";
constexpr std::string_view kSignatureStart =
    "<pre class=\"signature\" style=\"font-family: inherit; white-space: pre-wrap; overflow-wrap: break-word;\">";
constexpr std::string_view kSignatureEnd = "</pre>\n";

// The part's bytes on their way to the writer, remembering the last.
class PartText {
 public:
  explicit PartText(const mime::ByteSink& put) : put_(put) {}
  void put(std::string_view bytes) {
    if (bytes.empty()) return;
    put_(bytes);
    last_ = bytes.back();
  }
  bool at_line_start() const { return last_ == '\n' || last_ == '\0'; }

 private:
  const mime::ByteSink& put_;
  char last_ = '\0';
};

// The signature's lines as they follow a text, the "-- " line first (unless
// the signature begins with it), each with its line end; empty for none.
std::string signature_lines(std::string_view signature) {
  while (!signature.empty() && (signature.back() == '\n' || signature.back() == '\r')) signature.remove_suffix(1);
  if (signature.empty()) return {};
  const bool marked = signature == "-- " || signature.starts_with(kSignatureLine) || signature.starts_with("-- \r\n");
  return (marked ? "" : std::string(kSignatureLine)) + std::string(signature) + "\n";
}

// Text as HTML text: "&", "<" and ">" as references.
void put_escaped(PartText& out, std::string_view text) {
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const std::string_view reference = c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : "";
    if (reference.empty()) continue;
    out.put(text.substr(from, i - from));
    out.put(reference);
    from = i + 1;
  }
  out.put(text.substr(from));
}

std::string attribute_text(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else if (c == '<') out += "&lt;";
    else out += c;
  }
  return out;
}

void put_sound_tag(PartText& out, const PageStyle& style) {
  if (style.sound_id.empty()) return;
  out.put("<bgsound src=\"cid:" + style.sound_id + "\" loop=\"" + std::to_string(style.loop_count) + "\">\n");
}

// The page around a text or a fragment: its head, and the body's start with
// the page colour, font and text colour of the arguments.
void put_page_start(PartText& out, const PageStyle& style, std::string_view fallback_font) {
  char page[6], font[6];
  ColorToHtml(style.background, page);
  ColorToHtml(style.text_color, font);
  out.put(kPageStart);
  put_sound_tag(out, style);
  out.put("</head>\n<body style=\"background-color: #" + std::string(page, 6) + "; color: #" + std::string(font, 6) +
          "; font-family: " + css_font_family(style.font, fallback_font) +
          "; font-size: " + std::string(css_font_size(style.font_size)) + ";\">\n");
}

// The signature's block of the page; nothing without one.
std::string signature_block(std::string_view signature) {
  const std::string lines = signature_lines(signature);
  if (lines.empty()) return {};
  std::string block;
  const mime::ByteSink to_block = [&block](std::string_view bytes) { block += bytes; };
  PartText out(to_block);
  out.put(kSignatureStart);
  put_escaped(out, std::string_view(lines).substr(0, lines.size() - 1));  // the block ends the last line
  out.put(kSignatureEnd);
  return block;
}

// Passes HTML on as it is, `block` before its first </body>.
class BlockBeforeBodyEnd {
 public:
  BlockBeforeBodyEnd(std::string_view block, std::function<void(std::string_view)> out)
      : block_(block), out_(std::move(out)), tokenizer_([this](const mime::HtmlToken& token) { on_token(token); }) {}
  void feed(std::string_view html) { tokenizer_.feed(html); }
  void finish() { tokenizer_.finish(); }
  bool placed() const { return placed_; }

 private:
  void on_token(const mime::HtmlToken& token) {
    if (!placed_ && token.kind == mime::HtmlTokenKind::end_tag && token.name == "body") {
      out_(block_);
      placed_ = true;
    }
    out_(token.raw);
  }

  std::string_view block_;
  std::function<void(std::string_view)> out_;
  mime::HtmlTokenizer tokenizer_;
  bool placed_ = false;
};

// The pictures of -i, one below the other.
void put_end_pictures(PartText& out, const PreparedBody& body, const PageStyle& style) {
  for (const uint32_t id : body.end_pictures)
    out.put("<div><img src=\"cid:" + style.picture_ids[id - 1] + "\" alt=\"" +
            attribute_text(base_name(body.pictures[id - 1], true)) + "\"></div>\n");
}

bool text_page(const OptionsBody& body, const PageStyle& style, const mime::ByteSink& put) {
  PartText out(put);
  put_page_start(out, style, kTextFont);
  out.put(kTextStart);
  const bool read = body.read([&out](std::string_view piece) { put_escaped(out, piece); });
  out.put(kTextEnd);
  put_end_pictures(out, body.prepared(), style);
  out.put(signature_block(style.signature));
  out.put(kPageEnd);
  return read;
}

// The HTML as written (Markdown's as rendered), the sources of its embedded pictures made cid: URLs.
bool html_page(const OptionsBody& options_body, const PageStyle& style, const mime::ByteSink& put) {
  const PreparedBody& body = options_body.prepared();
  PartText out(put);
  if (!body.document) put_page_start(out, style, kHtmlFont);
  const std::string signature = signature_block(style.signature);
  BlockBeforeBodyEnd signed_page(signature, [&out](std::string_view bytes) { out.put(bytes); });
  mime::PictureRewriter rewriter(
      [&body, &style](std::string_view src) -> std::optional<std::string> {
        const std::optional<uint32_t> id = body.content_id(src);
        if (!id) return std::nullopt;
        return "cid:" + style.picture_ids[*id - 1];
      },
      [&out, &signed_page, &signature](std::string_view bytes) {
        if (signature.empty()) out.put(bytes);
        else signed_page.feed(bytes);
      });
  const bool read = options_body.read_html([&rewriter](std::string_view piece) { rewriter.feed(piece); });
  rewriter.finish();
  signed_page.finish();
  const bool signature_follows = !signature.empty() && !signed_page.placed();
  // What follows the HTML begins a line of its own; a whole document is
  // followed only by what it must be.
  const bool followed =
      !body.document || !body.end_pictures.empty() || !style.sound_id.empty() || signature_follows;
  if (followed && !out.at_line_start()) out.put("\n");
  if (body.document) put_sound_tag(out, style);
  put_end_pictures(out, body, style);
  if (signature_follows) out.put(signature);
  if (!body.document) out.put(kPageEnd);
  return read;
}

}  // namespace

std::string css_font_family(std::string_view face, std::string_view fallback) {
  if (face.empty()) return std::string(fallback);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "'";
  for (const char c : face) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\'' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      out += {'\\', kHex[byte >> 4], kHex[byte & 15], ' '};
    } else if (c == '&' || c == '"' || c == '<') {
      out += attribute_text(std::string_view(&c, 1));
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string_view css_font_size(uint8_t size) {
  static_assert(std::size(kFontSizes) == 7);
  if (size < 1 || size > std::size(kFontSizes)) size = kMiddleFontSize;
  return kFontSizes[size - 1];
}

bool options_plain_text(const OptionsBody& body, std::string_view signature, const mime::ByteSink& put) {
  if (body.prepared().kind != BodyKind::html) {
    PartText out(put);
    const bool read = body.read([&out](std::string_view piece) { out.put(piece); });
    const std::string lines = signature_lines(signature);
    if (!lines.empty() && !out.at_line_start()) out.put("\n");
    out.put(lines);
    return read;
  }
  // The signature's block in the HTML as the page has it, its text made
  // from it as the HTML's own is.
  mime::HtmlText text([&put](std::string_view utf8) { put(utf8); });
  const std::string block = signature_block(signature);
  BlockBeforeBodyEnd signed_page(block, [&text](std::string_view html) { text.feed(html); });
  const bool read = body.read([&](std::string_view piece) {
    if (block.empty()) text.feed(piece);
    else signed_page.feed(piece);
  });
  signed_page.finish();
  if (!signed_page.placed()) text.feed(block);
  text.finish();
  return read;
}

bool options_html_text(const OptionsBody& body, const PageStyle& style, const mime::ByteSink& put) {
  return body.prepared().kind == BodyKind::text ? text_page(body, style, put) : html_page(body, style, put);
}

}  // namespace app
