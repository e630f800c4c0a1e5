#include "app/options_parts.h"

#include "app/html_body.h"
#include "app/options_body.h"
#include "app/program_data.h"
#include "app/work_copies.h"
#include "mime/html_pictures.h"
#include "mime/html_text.h"

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
  out.put(kPageEnd);
  return read;
}

// The HTML as written, the sources of its embedded pictures made cid: URLs.
bool html_page(const OptionsBody& options_body, const PageStyle& style, const mime::ByteSink& put) {
  const PreparedBody& body = options_body.prepared();
  PartText out(put);
  if (!body.document) put_page_start(out, style, kHtmlFont);
  mime::PictureRewriter rewriter(
      [&body, &style](std::string_view src) -> std::optional<std::string> {
        const std::optional<uint32_t> id = body.content_id(src);
        if (!id) return std::nullopt;
        return "cid:" + style.picture_ids[*id - 1];
      },
      [&out](std::string_view bytes) { out.put(bytes); });
  const bool read = options_body.read([&rewriter](std::string_view piece) { rewriter.feed(piece); });
  rewriter.finish();
  // What follows the HTML begins a line of its own; a whole document is
  // followed only by what it must be.
  const bool followed = !body.document || !body.end_pictures.empty() || !style.sound_id.empty();
  if (followed && !out.at_line_start()) out.put("\n");
  if (body.document) put_sound_tag(out, style);
  put_end_pictures(out, body, style);
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

bool options_plain_text(const OptionsBody& body, const mime::ByteSink& put) {
  if (body.prepared().kind == BodyKind::text) return body.read(put);
  mime::HtmlText text([&put](std::string_view utf8) { put(utf8); });
  const bool read = body.read([&text](std::string_view piece) { text.feed(piece); });
  text.finish();
  return read;
}

bool options_html_text(const OptionsBody& body, const PageStyle& style, const mime::ByteSink& put) {
  return body.prepared().kind == BodyKind::text ? text_page(body, style, put) : html_page(body, style, put);
}

}  // namespace app
