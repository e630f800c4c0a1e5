// The command-line query: the program's argument text, its own path, the
// n-th argument, a /flag or a name=value argument, chosen by a selector.
//
// The argument text is the process command line without the program name
// and the white space around it. It is made on the first query and kept for
// the life of the process.
//
// Arguments (tokens) are separated by white space and commas; a slash starts
// a new token; double quotes group, and two double quotes stand for one.
#pragma once

#include <cstdint>
#include <string_view>

namespace rt {

// The program's own path is at most this long.
inline constexpr uint32_t kModulePathMax = 260;

class CommandLine {
 public:
  // The argument text; made from the platform's command line on first use.
  std::string_view argument_text();

  // The result for a selector, written to `out`, which must hold
  // max(argument_text().size(), kModulePathMax) bytes; returns its length.
  //   ""          the whole argument text
  //   "0"         the program's full path
  //   "2"         the second token (empty when there are fewer)
  //   "/f"        the first token beginning with /f, without its slash
  //   "name"      the rest of the first token beginning with name=
  // Letters compare without regard to case, through the locale's tables.
  uint32_t select(std::string_view selector, char* out);

  // Forgets the argument text, so the next query reads the command line
  // again. Used between tests.
  void reset();

 private:
  char* text_ = nullptr;
  uint32_t length_ = 0;
  bool made_ = false;
};

CommandLine& command_line();

// The query on the string stack: pops the selector, pushes the result.
void command_line_query();

}  // namespace rt
