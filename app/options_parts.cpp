#include "app/options_parts.h"

#include "app/composer.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/options_body.h"
#include "app/program_data.h"
#include "app/work_copies.h"
#include "mime/html_pictures.h"
#include "mime/html_text.h"
#include "mime/text_codecs.h"

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

// The part's text through the quoted-printable encoder onto message lines.
// A line end that ends the text is kept: an empty line stands for it before
// the delimiter that closes the part.
class PartText {
 public:
  PartText() : encoder_([](std::string_view line) { write_line(line); }) {}
  void put(std::string_view bytes) {
    if (bytes.empty()) return;
    encoder_.put(bytes);
    last_ = bytes.back();
  }
  bool at_line_start() const { return last_ == '\n' || last_ == '\0'; }
  void finish() {
    encoder_.finish();
    if (last_ == '\n') write_empty_line();
  }

 private:
  mime::QuotedPrintableEncoder encoder_;
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

void put_sound_tag(PartText& out, const MessageArguments& args) {
  if (is_blank(args.sound_file)) return;
  out.put("<bgsound src=\"cid:sf\" loop=\"" + std::to_string(sound_loop_count(args.sound_loop)) + "\">\n");
}

// The page around a text or a fragment: its head, and the body's start with
// the page colour, font and text colour of the arguments.
void put_page_start(PartText& out, const MessageArguments& args, std::string_view fallback_font) {
  char page[6], font[6];
  argument_colors(args, page, font);
  out.put(kPageStart);
  put_sound_tag(out, args);
  out.put("</head>\n<body style=\"background-color: #" + std::string(page, 6) + "; color: #" + std::string(font, 6) +
          "; font-family: " + css_font_family(clipped(args.font_face), fallback_font) +
          "; font-size: " + std::string(css_font_size(args.font_size)) + ";\">\n");
}

// The pictures of -i, one below the other.
void put_end_pictures(PartText& out) {
  const PreparedBody& body = prepared_body();
  for (const uint32_t id : body.end_pictures)
    out.put("<div><img src=\"cid:" + std::to_string(id) + "\" alt=\"" +
            attribute_text(base_name(body.pictures[id - 1], true)) + "\"></div>\n");
}

bool write_text_page(const MessageArguments& args) {
  PartText out;
  put_page_start(out, args, kTextFont);
  out.put(kTextStart);
  const bool read = read_body([&out](std::string_view piece) { put_escaped(out, piece); });
  out.put(kTextEnd);
  put_end_pictures(out);
  out.put(kPageEnd);
  out.finish();
  return read;
}

// The HTML as written, the sources of its embedded pictures made "cid:N".
bool write_html_page(const MessageArguments& args) {
  const PreparedBody& body = prepared_body();
  PartText out;
  if (!body.document) put_page_start(out, args, kHtmlFont);
  mime::PictureRewriter rewriter(
      [&body](std::string_view src) -> std::optional<std::string> {
        const std::optional<uint32_t> id = body.content_id(src);
        if (!id) return std::nullopt;
        return "cid:" + std::to_string(*id);
      },
      [&out](std::string_view bytes) { out.put(bytes); });
  const bool read = read_body([&rewriter](std::string_view piece) { rewriter.feed(piece); });
  rewriter.finish();
  // What follows the HTML begins a line of its own; a whole document is
  // followed only by what it must be.
  const bool followed = !body.document || !body.end_pictures.empty() || !is_blank(args.sound_file);
  if (followed && !out.at_line_start()) out.put("\n");
  if (body.document) put_sound_tag(out, args);
  put_end_pictures(out);
  if (!body.document) out.put(kPageEnd);
  out.finish();
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

bool write_options_plain_text() {
  PartText out;
  bool read = false;
  if (prepared_body().kind == BodyKind::text) {
    read = read_body([&out](std::string_view piece) { out.put(piece); });
  } else {
    mime::HtmlText text([&out](std::string_view utf8) { out.put(utf8); });
    read = read_body([&text](std::string_view piece) { text.feed(piece); });
    text.finish();
  }
  out.finish();
  return read;
}

bool write_options_html_text(const MessageArguments& args) {
  return prepared_body().kind == BodyKind::text ? write_text_page(args) : write_html_page(args);
}

}  // namespace app
