// Arbitrary bytes through the HTML tokenizer, whole and cut in two where the
// first byte says: the raw bytes of all tokens, written out in order, must
// give the input back; every value span must lie inside its tag; and the
// tags seen must not depend on the cut. The same bytes through the picture
// rewriter, replacing every source, must keep everything outside the tags
// it rewrites, and each source must name a file with a name and without a
// NUL byte, or no file; and through the text converter, must give lines with no
// more than one blank line in a row and none at the start or the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "mime/html_pictures.h"
#include "mime/html_text.h"
#include "mime/html_tokenizer.h"

namespace {

struct Seen {
  std::string raw;
  std::string tags;  // the raw bytes of each tag and comment, one after the other
};

Seen tokenize(std::string_view input, size_t cut) {
  Seen seen;
  mime::HtmlTokenizer tokenizer([&seen](const mime::HtmlToken& t) {
    seen.raw += t.raw;
    for (const mime::HtmlAttribute& a : t.attributes)
      if (a.value_begin > a.value_end || a.value_end > t.raw.size()) std::abort();
    if (t.kind != mime::HtmlTokenKind::text && t.kind != mime::HtmlTokenKind::raw_text &&
        t.kind != mime::HtmlTokenKind::error)
      seen.tags.append(t.raw).push_back('\0');
  });
  tokenizer.feed(input.substr(0, cut));
  tokenizer.feed(input.substr(cut));
  tokenizer.finish();
  return seen;
}

void check_text(std::string_view input) {
  const std::string text = mime::html_text(input);
  if (text.empty()) return;
  if (text.front() == '\n' || text.back() != '\n' || text.find("\n\n\n") != std::string::npos ||
      (text.size() >= 2 && text[text.size() - 2] == '\n'))
    std::abort();
}

// Every source becomes "cid:": taking the rewritten tags out of both the
// input and the output must leave the same bytes.
void check_rewrite(std::string_view input) {
  std::string kept;
  std::string rest;
  bool in_tag = false;
  mime::PictureRewriter rewriter(
      [&in_tag](std::string_view src) {
        const mime::PictureSource source = mime::classify_picture_source(src);
        if (source.kind == mime::SourceKind::file &&
            (source.file.empty() || source.file.find('\0') != std::string::npos))
          std::abort();
        in_tag = true;
        return std::optional<std::string>("cid:");
      },
      [&](std::string_view bytes) {
        if (!in_tag) kept += bytes;
        if (in_tag && bytes.find("\"cid:\"") == std::string_view::npos) std::abort();
        in_tag = false;
      });
  mime::HtmlTokenizer tokenizer([&](const mime::HtmlToken& t) {
    const bool picture = t.kind == mime::HtmlTokenKind::start_tag && (t.name == "img" || t.name == "image") &&
                         t.attribute("src") != nullptr && !mime::trim_html_space(t.attribute("src")->value).empty();
    if (!picture) rest += t.raw;
  });
  rewriter.feed(input);
  rewriter.finish();
  tokenizer.feed(input);
  tokenizer.finish();
  if (kept != rest) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  const Seen whole = tokenize(input, size);
  const Seen split = tokenize(input, cut);
  if (whole.raw != input || split.raw != input || whole.tags != split.tags) std::abort();
  check_text(input);
  check_rewrite(input);
  return 0;
}
