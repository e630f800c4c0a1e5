// The terminal behind the message box and the modal dialog: what they show
// goes to standard error, the answer is read from standard input. Internal to
// the platform layer.
#pragma once

#include <string>

namespace plat::detail {

// True when standard input and standard error are both terminals, so that a
// box or dialog may ask instead of taking its default button.
bool terminal_attached();
// Writes ANSI (Windows-1252) text to standard error as the terminal's UTF-8,
// so accented letters read right. A failing write drops the rest.
void write_to_terminal(const std::string& ansi_text);
// One line typed at the terminal, without its line end (CR LF or LF); false
// at end of input with nothing read.
bool read_terminal_line(std::string& line);

}  // namespace plat::detail
