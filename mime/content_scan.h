// What a reading of a whole file tells about how it may travel in a draft:
// whether it can keep a text type, and whether it is a message that can be
// carried unencoded inside another.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace mime {

// The longest line, without its line end, that a part written unencoded may
// hold.
inline constexpr size_t kMaxUnencodedLine = 998;

// Whether a line, as it stands in a multipart body, could be taken for a
// delimiter of one of `boundaries`: it begins with two hyphens and the
// boundary. A parser compares only the beginning of a line, so whatever
// follows does not matter.
bool opens_with_delimiter(std::string_view line, std::span<const std::string_view> boundaries);

struct ContentVerdict {
  bool nul = false;             // a NUL byte
  bool lone_cr = false;         // a CR byte that no LF follows
  bool eight_bit = false;       // a byte from 0x80 up
  bool long_line = false;       // a line longer than kMaxUnencodedLine
  bool delimiter_line = false;  // a line that opens_with_delimiter
  bool message_shape = false;   // header fields, then an empty line
  bool operator==(const ContentVerdict&) const = default;
};

// Reads a file's bytes in pieces cut anywhere and judges the whole. Lines
// end at LF, with or without a CR before it; the last line may have no end.
class ContentScan {
 public:
  // The boundaries are kept by reference: they outlive the scan.
  explicit ContentScan(std::span<const std::string_view> boundaries);
  void put(std::span<const unsigned char> bytes);
  // The verdict on everything put so far.
  ContentVerdict verdict() const;

 private:
  // Where the header block stands: a header field is a name of printable
  // bytes other than ":", then ":"; a line that begins with a blank
  // continues the field before it.
  enum class Header { line_start, name, value, continuation, body, broken };
  void put_byte(unsigned char b);
  void line_byte(unsigned char b);  // a byte of a line, other than its line end
  void end_line();
  void header_byte(unsigned char b);

  std::span<const std::string_view> boundaries_;
  size_t start_size_ = 0;  // the first bytes of a line that the delimiter check needs
  ContentVerdict found_;
  std::string line_start_;
  size_t line_length_ = 0;
  bool cr_pending_ = false;
  bool continuation_blank_ = true;  // the continuation line so far is blanks only
  bool any_field_ = false;
  Header header_ = Header::line_start;
};

}  // namespace mime
