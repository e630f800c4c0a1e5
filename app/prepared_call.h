// The message procedure called with arguments prepared by the program itself
// rather than by evaluating a call text: the same program data (the thirteen
// arguments, the file queue GLQ) and the same composer, so every message is
// written by one code path; the body is a file taken as it is written
// (options_body.h) rather than the body lines of GBQ.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "app/composer.h"
#include "app/options_body.h"

namespace app {

// The arguments of MakeEMLAttachmentFileSW. ORDER: the procedure's parameters.
enum class Argument : size_t {
  message_file,
  unused,
  to_list,
  subject,
  back_color,
  font_face,
  font_color,
  font_size,
  cc_list,
  bcc_list,
  sound_file,
  sound_loop,
  priority,
  count
};

struct PreparedCall {
  // Texts as the call text would carry them (numbers in decimal).
  std::array<std::string, static_cast<size_t>(Argument::count)> arguments;
  BodyRequest body;                     // the body, instead of GBQ
  std::vector<std::string> file_names;  // GLQ entries, at most 255 bytes each
  bool to_standard_output = false;      // the message goes to standard output
  std::vector<HeaderField> header_fields;  // after the Subject, in order

  std::string& operator[](Argument a) { return arguments[static_cast<size_t>(a)]; }
};

// Prepares the work directory and the body, fills GLQ, and calls the
// message procedure with the arguments on the string stack, as the
// evaluator does. Its outcome is in run_outcome().
void RunPreparedCall(const PreparedCall& call);

}  // namespace app
