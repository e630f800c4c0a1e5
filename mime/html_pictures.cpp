#include "mime/html_pictures.h"

#include <algorithm>

#include "mime/text_decoder.h"

namespace mime {
namespace {

// Elements whose `src` is a picture: <image> is read as <img> by browsers.
constexpr std::string_view kPictureElements[] = {"img", "image"};

// The picture source of a token, or nullptr.
const HtmlAttribute* picture_source(const HtmlToken& token) {
  if (token.kind != HtmlTokenKind::start_tag) return nullptr;
  if (std::find(std::begin(kPictureElements), std::end(kPictureElements), token.name) == std::end(kPictureElements))
    return nullptr;
  const HtmlAttribute* src = token.attribute("src");
  return src != nullptr && !trim_html_space(src->value).empty() ? src : nullptr;
}

bool is_separator(char c) { return c == '/' || c == '\\'; }

bool starts_with_two_separators(std::string_view path) {
  return path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]);
}

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A drive: a letter and a colon ("C:", "C:\x", "c:/x").
bool is_drive(std::string_view path) { return path.size() >= 2 && is_ascii_letter(path[0]) && path[1] == ':'; }

// The length of the scheme that begins `text` (without its colon), 0 when
// none does: scheme -> letter (letter | digit | "+" | "-" | ".")* ":".
size_t scheme_length(std::string_view text) {
  if (text.empty() || !is_ascii_letter(text[0])) return 0;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ':') return i;
    if (!is_ascii_letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

// Paths compared byte for byte, a slash and a backslash alike.
bool same_path_text(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return x == y || (is_separator(x) && is_separator(y)); });
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%" and two hexadecimal digits as the byte they give; a "%" without them
// stays as written.
std::string percent_decoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? hex_digit(text[i + 1]) : -1;
    const int low = high >= 0 ? hex_digit(text[i + 2]) : -1;
    if (low < 0) {
      out += text[i];
      continue;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

void append_quoted(std::string& out, std::string_view value) {
  out += '"';
  for (const char c : value) {
    if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  out += '"';
}

}  // namespace

std::vector<std::string> picture_sources(std::string_view html) {
  std::vector<std::string> sources;
  PictureRewriter finder(
      [&sources](std::string_view src) {
        sources.emplace_back(src);
        return std::optional<std::string>();
      },
      [](std::string_view) {});
  finder.feed(html);
  finder.finish();
  return sources;
}

PictureSource classify_picture_source(std::string_view src) {
  PictureSource source;
  if (src.find('\0') != std::string_view::npos) {
    source.kind = SourceKind::refused;
    return source;
  }
  std::string_view path = src.substr(0, src.find_first_of("?#"));
  if (starts_with_two_separators(path)) return source;
  const size_t scheme = scheme_length(path);
  if (scheme > 1) {  // one letter is a drive
    if (!starts_with_any_case(path, "file:")) return source;
    path.remove_prefix(scheme + 1);
    if (starts_with_two_separators(path)) {
      const size_t end = std::min(path.find_first_of("/\\", 2), path.size());
      const std::string_view host = path.substr(2, end - 2);
      if (!host.empty() && !(host.size() == 9 && starts_with_any_case(host, "localhost"))) return source;
      path.remove_prefix(end);
    }
    // "file:///C:/x": the drive's path.
    if (path.size() >= 3 && is_separator(path[0]) && is_drive(path.substr(1))) path.remove_prefix(1);
  }
  if (path.empty()) return source;
  source.file = percent_decoded(path);
  source.kind = source.file.find('\0') == std::string::npos ? SourceKind::file : SourceKind::refused;
  source.absolute = is_separator(source.file[0]) || is_drive(source.file);
  return source;
}

std::string picture_file(std::string_view folder, const PictureSource& source) {
  return source.absolute ? source.file : std::string(folder) + source.file;
}

bool path_within(std::string_view folder, std::string_view path) {
  while (!folder.empty() && is_separator(folder.back())) folder.remove_suffix(1);
  if (path.size() < folder.size() || !same_path_text(path.substr(0, folder.size()), folder)) return false;
  return path.size() == folder.size() || is_separator(path[folder.size()]);
}

PictureRewriter::PictureRewriter(std::function<std::optional<std::string>(std::string_view)> replace,
                                 std::function<void(std::string_view)> out)
    : replace_(std::move(replace)),
      out_(std::move(out)),
      tokenizer_([this](const HtmlToken& token) { on_token(token); }) {}

void PictureRewriter::feed(std::string_view chunk) { tokenizer_.feed(chunk); }

void PictureRewriter::finish() { tokenizer_.finish(); }

namespace {

// The tag of a <meta> that declares a character set other than UTF-8, made
// to declare utf-8: the rewritten text is UTF-8, whatever it was read in.
// Only the declared name changes where the value is written without
// references; else the value is written anew in double quotes.
std::optional<std::string> utf8_meta(const HtmlToken& token) {
  const MetaCharset meta = meta_charset(token);
  const std::string_view name = trim_html_space(meta.name);
  if (name.empty() || (name.size() == 5 && starts_with_any_case(name, "utf-8"))) return std::nullopt;
  const HtmlAttribute& attribute = *meta.attribute;
  const size_t name_at = static_cast<size_t>(name.data() - attribute.value.data());
  std::string value = attribute.value;
  value.replace(name_at, name.size(), "utf-8");
  const size_t quotes = attribute.quote == QuoteStyle::none ? 0 : 1;
  const std::string_view written =
      token.raw.substr(attribute.value_begin + quotes, attribute.value_end - attribute.value_begin - 2 * quotes);
  std::string tag(token.raw.substr(0, attribute.value_begin));
  if (written == attribute.value) {
    tag.append(token.raw.substr(attribute.value_begin, quotes)).append(value);
    tag.append(token.raw.substr(attribute.value_end - quotes));
  } else {
    append_quoted(tag, value);
    tag.append(token.raw.substr(attribute.value_end));
  }
  return tag;
}

}  // namespace

void PictureRewriter::on_token(const HtmlToken& token) {
  if (const std::optional<std::string> meta = utf8_meta(token)) {
    out_(*meta);
    return;
  }
  const HtmlAttribute* src = picture_source(token);
  const std::optional<std::string> value = src ? replace_(trim_html_space(src->value)) : std::nullopt;
  if (!value) {
    out_(token.raw);
    return;
  }
  tag_.assign(token.raw.substr(0, src->value_begin));
  append_quoted(tag_, *value);
  tag_.append(token.raw.substr(src->value_end));
  out_(tag_);
}

}  // namespace mime
