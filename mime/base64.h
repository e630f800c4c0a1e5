// Base64 as the draft carries it: the one encoder of the program, used for
// the words of a header and, as a filter that a part's bytes stream through,
// for the lines of a binary part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mime {

// The characters of one line of a base64 part: 57 bytes.
inline constexpr size_t kBase64LineLength = 76;

// The number of characters that `bytes` bytes become, padding included.
inline constexpr size_t base64_size(size_t bytes) { return (bytes + 2) / 3 * 4; }

// Appends the base64 text of `bytes`, padded with "=" to whole groups of four.
void append_base64(std::string& out, std::string_view bytes);

// Encodes a stream of bytes into lines of 76 characters, each handed to
// `emit` without a line end. finish() pads the last group and hands over the
// last line, which is empty when the bytes filled whole lines (none at all
// included): a reader sees the part's text end at an empty line either way.
// Holds one line at most, so a body of any size streams through.
class Base64Encoder {
 public:
  explicit Base64Encoder(std::function<void(std::string_view line)> emit);
  void put(std::string_view bytes);
  void finish();

 private:
  void put_group(uint32_t group);

  std::function<void(std::string_view)> emit_;
  char line_[kBase64LineLength];
  size_t column_ = 0;
  uint32_t group_ = 0;  // the bytes of a group not yet whole, the first in the highest bits
  uint32_t held_ = 0;   // how many
};

}  // namespace mime
