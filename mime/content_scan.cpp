#include "mime/content_scan.h"

#include <algorithm>

namespace mime {

namespace {

bool is_blank(unsigned char b) { return b == ' ' || b == '\t'; }
// A byte of a header field's name: printable, not a blank, not the colon.
bool is_name_byte(unsigned char b) { return b > ' ' && b < 0x7F && b != ':'; }

}  // namespace

bool opens_with_delimiter(std::string_view line, std::span<const std::string_view> boundaries) {
  if (!line.starts_with("--")) return false;
  line.remove_prefix(2);
  return std::any_of(boundaries.begin(), boundaries.end(),
                     [&](std::string_view boundary) { return line.starts_with(boundary); });
}

ContentScan::ContentScan(std::span<const std::string_view> boundaries) : boundaries_(boundaries) {
  for (std::string_view boundary : boundaries) start_size_ = std::max(start_size_, 2 + boundary.size());
}

void ContentScan::put(std::span<const unsigned char> bytes) {
  for (unsigned char b : bytes) put_byte(b);
}

ContentVerdict ContentScan::verdict() const {
  ContentScan rest = *this;
  if (rest.cr_pending_) {  // a CR that ends the file is a byte of its last line
    rest.found_.lone_cr = true;
    rest.line_byte('\r');
  }
  if (rest.line_length_ != 0) rest.end_line();  // the last line, which has no line end
  rest.found_.message_shape = rest.header_ == Header::body;
  return rest.found_;
}

void ContentScan::put_byte(unsigned char b) {
  if (cr_pending_) {
    cr_pending_ = false;
    if (b == '\n') return end_line();
    found_.lone_cr = true;
    line_byte('\r');
  }
  if (b == '\r') {
    cr_pending_ = true;
  } else if (b == '\n') {
    end_line();
  } else {
    line_byte(b);
  }
}

void ContentScan::line_byte(unsigned char b) {
  found_.nul |= b == 0;
  found_.eight_bit |= b >= 0x80;
  if (++line_length_ > kMaxUnencodedLine) found_.long_line = true;
  if (line_start_.size() < start_size_) line_start_.push_back(static_cast<char>(b));
  header_byte(b);
}

void ContentScan::header_byte(unsigned char b) {
  switch (header_) {
    case Header::line_start:
      continuation_blank_ = true;
      header_ = is_blank(b)       ? (any_field_ ? Header::continuation : Header::broken)
                : is_name_byte(b) ? Header::name
                                  : Header::broken;
      break;
    case Header::name:
      if (b == ':') {
        header_ = Header::value;
        any_field_ = true;
      } else if (!is_name_byte(b)) {
        header_ = Header::broken;
      }
      break;
    case Header::continuation:
      continuation_blank_ &= is_blank(b);
      break;
    case Header::value:
    case Header::body:
    case Header::broken:
      break;
  }
}

void ContentScan::end_line() {
  if (opens_with_delimiter(line_start_, boundaries_)) found_.delimiter_line = true;
  switch (header_) {
    case Header::line_start:  // an empty line ends the header block
      header_ = any_field_ ? Header::body : Header::broken;
      break;
    case Header::name:  // a name without its colon
      header_ = Header::broken;
      break;
    case Header::value:
      header_ = Header::line_start;
      break;
    case Header::continuation:  // a line of blanks ends the block for some readers and not for others
      header_ = continuation_blank_ ? Header::broken : Header::line_start;
      break;
    case Header::body:
    case Header::broken:
      break;
  }
  line_start_.clear();
  line_length_ = 0;
}

}  // namespace mime
