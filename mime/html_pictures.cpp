#include "mime/html_pictures.h"

#include <algorithm>

namespace mime {
namespace {

// Elements whose `src` is a picture: <image> is read as <img> by browsers.
constexpr std::string_view kPictureElements[] = {"img", "image"};

constexpr std::string_view kRemoteOrInline[] = {"http:", "https:", "data:", "cid:"};

// The picture source of a token, or nullptr.
const HtmlAttribute* picture_source(const HtmlToken& token) {
  if (token.kind != HtmlTokenKind::start_tag) return nullptr;
  if (std::find(std::begin(kPictureElements), std::end(kPictureElements), token.name) == std::end(kPictureElements))
    return nullptr;
  const HtmlAttribute* src = token.attribute("src");
  return src != nullptr && !trim_html_space(src->value).empty() ? src : nullptr;
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

bool is_remote_or_inline(std::string_view src) {
  return std::any_of(std::begin(kRemoteOrInline), std::end(kRemoteOrInline),
                     [src](std::string_view scheme) { return starts_with_any_case(src, scheme); });
}

PictureRewriter::PictureRewriter(std::function<std::optional<std::string>(std::string_view)> replace,
                                 std::function<void(std::string_view)> out)
    : replace_(std::move(replace)),
      out_(std::move(out)),
      tokenizer_([this](const HtmlToken& token) { on_token(token); }) {}

void PictureRewriter::feed(std::string_view chunk) { tokenizer_.feed(chunk); }

void PictureRewriter::finish() { tokenizer_.finish(); }

void PictureRewriter::on_token(const HtmlToken& token) {
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
