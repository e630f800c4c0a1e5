#include "mime/folded_lines.h"

#include <algorithm>

#include "mime/encoded_words.h"

namespace mime {

size_t FoldedLines::room() const {
  const size_t used = lines_.back().size();
  return used < kHeaderLineLimit ? kHeaderLineLimit - used : 0;
}

void append_encoded_words(FoldedLines& lines, std::string_view utf8, std::string_view first_separator,
                          size_t reserve) {
  const WordEncoding encoding = word_encoding_for(utf8);
  std::string_view separator = first_separator;
  for (size_t at = 0; at < utf8.size();) {
    // A continuation line's indent already separates its first word.
    const std::string_view before = lines.at_line_start() ? std::string_view() : separator;
    const size_t taken = before.size() + reserve;
    const size_t limit = std::min(lines.room() > taken ? lines.room() - taken : 0, kEncodedWordLimit);
    size_t size = word_text_size(utf8, at, limit, encoding);
    if (size == 0 && !lines.at_line_start()) {
      lines.start_line();
      continue;
    }
    // Even a fresh line too short for one character (a large reserve) takes
    // a word of it, so the text always moves on.
    if (size == 0) size = word_text_size(utf8, at, kEncodedWordLimit, encoding);
    lines.append(before);
    lines.append(encoded_word(utf8.substr(at, size), encoding));
    at += size;
    separator = " ";
  }
}

}  // namespace mime
