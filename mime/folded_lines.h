// The lines of one header while it is built: pieces go onto the last line,
// and the builder starts a continuation line (four spaces) where a piece
// would pass the 78-byte limit.
#pragma once

#include <string>
#include <string_view>

#include "mime/header_policy.h"

namespace mime {

class FoldedLines {
 public:
  explicit FoldedLines(std::string first_line) { lines_.push_back(std::move(first_line)); }

  // The bytes the last line can still take within 78.
  size_t room() const;
  // The last line is a continuation line holding nothing yet.
  bool at_line_start() const { return lines_.size() > 1 && lines_.back() == kContinuationIndent; }
  // Adds to the last line, however long it gets.
  void append(std::string_view piece) { lines_.back() += piece; }
  void start_line() { lines_.emplace_back(kContinuationIndent); }
  HeaderLines take() { return std::move(lines_); }

 private:
  HeaderLines lines_;
};

// Adds `utf8` as encoded-words separated by single spaces: the first after
// `first_separator` on the last line, as many on each line as fit, leaving
// `reserve` bytes free after each word for what follows the last.
void append_encoded_words(FoldedLines& lines, std::string_view utf8, std::string_view first_separator,
                          size_t reserve);

}  // namespace mime
