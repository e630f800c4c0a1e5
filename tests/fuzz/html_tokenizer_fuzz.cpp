// Arbitrary bytes through the HTML tokenizer, whole and cut in two where the
// first byte says: the raw bytes of all tokens, written out in order, must
// give the input back; every value span must lie inside its tag; and the
// tags seen must not depend on the cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  const Seen whole = tokenize(input, size);
  const Seen split = tokenize(input, cut);
  if (whole.raw != input || split.raw != input || whole.tags != split.tags) std::abort();
  return 0;
}
