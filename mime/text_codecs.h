// Text as a draft carries it: Windows-1252 text turned into UTF-8, and
// quoted-printable decoded and encoded (the encoder a filter that a body
// streams through, line by line).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mime {

// Windows-1252 bytes (the code page of the call text) as UTF-8, each byte the
// character the platform's ANSI conversion gives it; the five bytes that code
// page leaves undefined become the C1 controls U+0081, U+008D, U+008F, U+0090
// and U+009D.
std::string windows_1252_to_utf8(std::string_view bytes);

// Quoted-printable decoded: "=XX" (either letter case) is the byte XX; "="
// at a line end, with nothing but white space between, joins the line to the
// next; any other "=" stays as it is. Line ends stay as they are.
std::string quoted_printable_decode(std::string_view qp);

// Encodes text as quoted-printable, line by line. LF and CR LF in the input
// are line ends: each line goes to `emit` without its end. "=", control
// characters (not tab) and bytes from 0x80 are written "=XX"; a space or tab
// that ends a line as "=20" or "=09". A line longer than 76 bytes is broken
// with "=" at the end of each part; no break falls inside an "=XX" nor inside
// the "=XX" run of a UTF-8 character. finish() writes the last line, which
// is none when the input ended with a line end. Holds one line at most.
class QuotedPrintableEncoder {
 public:
  explicit QuotedPrintableEncoder(std::function<void(std::string_view line)> emit);
  void put(std::string_view bytes);
  void finish();

 private:
  void put_byte(unsigned char b);
  void take_character();
  void add(std::string_view piece);
  void add_bytes(const char* bytes, size_t n);
  void soft_break();
  void end_line();

  std::function<void(std::string_view)> emit_;
  std::string line_;
  size_t last_piece_ = 0;        // where the last piece added to `line_` begins
  std::string character_;        // the bytes so far of a UTF-8 character cut by put()
  size_t character_length_ = 0;  // the bytes that character needs
  bool carriage_return_ = false; // a CR that may begin a line end
  bool line_open_ = false;       // bytes have come since the last line end
};

}  // namespace mime
