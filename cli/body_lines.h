// The body lines the composer takes (one queue entry each, written followed
// by "<br>"), made from a plain-text file, an HTML file or a picture to embed.
// Every line is quoted-printable, characters as body_text.h writes them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_data.h"

namespace cli {

// The most bytes a body line holds: it is written followed by "<br>" on one
// message line.
inline constexpr size_t kBodyLineRoom = app::kMessageLineSize - 4;

// Fills body lines one source line at a time. A source line longer than a body
// line can hold is split over several without losing a byte: each piece but
// the last ends with "<!--" and the next begins with "-->", so the "<br>" and
// the line break between them fall inside an HTML comment and are not shown.
class BodyLines {
 public:
  // Adds an indivisible piece (a character, a reference, a tag). An image tag
  // stands alone on its body line, so that the composer finds exactly its
  // reference and has room to write "cid:" and a number in place of the name.
  // False when the piece cannot fit on any body line.
  bool add(std::string_view piece, bool image = false);
  // Adds a piece of an HTML comment (one character at most): when it does not
  // fit, the body line ends before it, since inside the comment the "<br>" and
  // the line break are not shown.
  void add_hidden(std::string_view piece);
  // Ends the source line. A space at its end is written "=20": the composer
  // drops trailing spaces.
  void end_line();
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  void split();
  bool has_content() const { return line_.size() > prefix_; }

  std::vector<std::string> lines_;
  std::string line_;
  size_t prefix_ = 0;   // the "-->" that opens a continued line
  bool image_ = false;  // the line holds an image tag
};

// Where a body file could not be made into body lines: its line (from 1) and
// why. A line of 0 means there was no fault.
struct BodyFault {
  size_t line = 0;
  std::string_view reason;
  bool found() const { return line != 0; }
};

// A plain text, one body line per line (LF or CR LF), escaped for HTML so it
// shows as typed and never makes markup.
BodyFault add_text_body(std::string_view text, BodyLines& out);
// HTML, one body line per line. Tags and character references are kept whole
// (a line break inside a tag becomes a space), comments may be broken
// anywhere; the file named by an image tag's reference is kept byte for byte,
// for the composer to embed.
BodyFault add_html_body(std::string_view html, BodyLines& out);
// One body line that embeds the picture `file` (no double quote in its name).
bool add_picture_line(std::string_view file, BodyLines& out);

}  // namespace cli
