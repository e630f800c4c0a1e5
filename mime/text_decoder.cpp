#include "mime/text_decoder.h"

#include <algorithm>
#include <utility>

namespace mime {

namespace {

constexpr size_t kOutputSize = 64 * 1024;
constexpr std::string_view kUtf8 = "UTF-8";

// The byte-order marks, each with its set. UTF-32's little-endian mark
// begins with UTF-16's, so it is looked at first.
struct Mark {
  std::string_view bytes, charset;
};
constexpr Mark kMarks[] = {
    {"\xEF\xBB\xBF", "UTF-8"},
    {std::string_view("\xFF\xFE\0\0", 4), "UTF-32LE"},
    {std::string_view("\0\0\xFE\xFF", 4), "UTF-32BE"},
    {"\xFF\xFE", "UTF-16LE"},
    {"\xFE\xFF", "UTF-16BE"},
};
constexpr size_t kLongestMark = 4;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of "charset=" in a Content-Type's text, quoted or not.
std::string_view content_charset(std::string_view content) {
  for (size_t at = 0; at + 7 <= content.size(); ++at) {
    if (!starts_with_any_case(content.substr(at), "charset")) continue;
    size_t i = at + 7;
    while (i < content.size() && is_html_space(content[i])) ++i;
    if (i == content.size() || content[i] != '=') continue;
    ++i;
    while (i < content.size() && is_html_space(content[i])) ++i;
    const char quote = i < content.size() && (content[i] == '"' || content[i] == '\'') ? content[i] : '\0';
    if (quote != '\0') ++i;
    size_t end = i;
    while (end < content.size() && content[end] != quote && content[end] != ';' &&
           (quote != '\0' || !is_html_space(content[end])))
      ++end;
    return content.substr(i, end - i);
  }
  return {};
}

// The name as a browser takes a page's declaration.
std::string declared(std::string_view value) {
  std::string name = charset_name(trim_html_space(value));
  if (name.rfind("UTF-16", 0) == 0 || name.rfind("UTF-32", 0) == 0) return std::string(kUtf8);
  if (name == "ISO-8859-1" || name == "US-ASCII") return "WINDOWS-1252";
  return name;
}

}  // namespace

std::string charset_name(std::string_view name) {
  const std::string text(name);
  if (text.find('\0') != std::string::npos) return {};
  const char* const preferred = plat::CharsetNameA(text.c_str());
  return preferred == nullptr ? std::string() : std::string(preferred);
}

MetaCharset meta_charset(const HtmlToken& token) {
  if (token.kind != HtmlTokenKind::start_tag || token.name != "meta") return {};
  if (const HtmlAttribute* charset = token.attribute("charset")) return {charset, charset->value};
  const HtmlAttribute* equiv = token.attribute("http-equiv");
  const HtmlAttribute* content = token.attribute("content");
  std::string kind = equiv != nullptr ? equiv->value : std::string();
  std::transform(kind.begin(), kind.end(), kind.begin(), lower);
  if (kind != "content-type" || content == nullptr) return {};
  return {content, content_charset(content->value)};
}

std::string html_declared_charset(std::string_view head) {
  std::string found;
  bool done = false;
  HtmlTokenizer tokenizer([&](const HtmlToken& token) {
    if (done) return;
    const std::string_view value = meta_charset(token).name;
    if (value.empty()) return;
    found = declared(value);
    done = true;  // the first declaration counts, known or not
  });
  tokenizer.feed(head.substr(0, kCharsetPrescanSize));
  tokenizer.finish();
  return found;
}

TextDecoder::TextDecoder(std::string named, bool html, Sink out)
    : named_(std::move(named)), html_(html), out_(std::move(out)) {}

TextDecoder::~TextDecoder() { plat::CloseTextConverter(converter_); }

bool TextDecoder::fail(Failure failure) {
  failure_ = failure;
  return false;
}

// Decides the set from the start held, and passes that start on.
bool TextDecoder::decide() {
  std::string_view text = head_;
  for (const Mark& mark : kMarks) {
    if (text.substr(0, mark.bytes.size()) != mark.bytes) continue;
    charset_ = mark.charset;
    text.remove_prefix(mark.bytes.size());
    break;
  }
  if (charset_.empty() && !named_.empty()) charset_ = charset_name(named_);
  if (charset_.empty() && html_) charset_ = html_declared_charset(text);
  if (charset_.empty()) charset_ = kUtf8;
  if (charset_ != kUtf8 && (converter_ = plat::OpenTextConverterA(charset_.c_str())) == nullptr)
    return fail(Failure::unsupported);
  const std::string start(text);
  head_.clear();
  head_.shrink_to_fit();
  return pass(start, false);
}

// Converts `bytes` after what is held, holding a character they cut.
bool TextDecoder::pass(std::string_view bytes, bool last) {
  if (converter_ == nullptr) {
    if (!bytes.empty()) out_(bytes);
    return true;
  }
  std::string input = std::exchange(held_, std::string());
  input.append(bytes);
  std::string output(std::min(kOutputSize, std::max<size_t>(input.size(), 16) * 4), '\0');
  std::string_view rest = input;
  while (!rest.empty()) {
    plat::DWORD used = 0, written = 0;
    const bool converted = plat::ConvertToUtf8(converter_, rest.data(), static_cast<plat::DWORD>(rest.size()), last,
                                               output.data(), static_cast<plat::DWORD>(output.size()), &used, &written);
    if (written > 0) out_(std::string_view(output.data(), written));
    rest.remove_prefix(used);
    if (!converted) return fail(Failure::invalid);
    if (used == 0 && written == 0) break;  // a cut character waits for the next piece
  }
  held_.assign(rest);
  return true;
}

bool TextDecoder::feed(std::string_view piece) {
  if (failure_ != Failure::none) return false;
  if (charset_.empty()) {
    const size_t wanted = std::max(html_ ? kCharsetPrescanSize : 0, kLongestMark);
    const size_t take = std::min(piece.size(), wanted - std::min(wanted, head_.size()));
    head_.append(piece.substr(0, take));
    piece.remove_prefix(take);
    if (head_.size() < wanted) return true;
    if (!decide()) return false;
  }
  return pass(piece, false);
}

bool TextDecoder::finish() {
  if (failure_ != Failure::none) return false;
  if (charset_.empty() && !decide()) return false;
  if (!pass({}, true)) return false;
  return held_.empty() || fail(Failure::invalid);
}

}  // namespace mime
