// The main procedure: splits the command line into the call text, the body
// lines (between bytes 0xDC) and the attachment names (between bytes 0xDD),
// makes the message procedure callable by name and runs the call text
// through the expression evaluator.
#pragma once

#include <cstdint>

namespace app {

class ProgramQueue;

inline constexpr uint32_t kCommandTextSize = 10000;
inline constexpr char kLineDelimiter = '\xdc';
inline constexpr char kFileDelimiter = '\xdd';

// Main's locals, one heap block for the procedure's run, shared with its
// routine ProcessCommandLine. Layout:
//   0  current      position of the delimiter found last
//   4  first_line   position of the first line delimiter, 0 if none
//   8  next         position of the delimiter after `current`
//  12  first_file   position of the first file delimiter, 0 if none
//  16  index        the number-stripping loop's index
//  20  result       STRING(32): the evaluation's value, never read
struct MainLocals {
  int32_t current;
  int32_t first_line;
  int32_t next;
  int32_t first_file;
  int32_t index;
  char result[32];
};
static_assert(sizeof(MainLocals) == 52);

// Runs once, after start-up; returns when the program is to end.
void Main();

// The steps of the command line, on a CommandText of kCommandTextSize bytes.
void ProcessCommandLine(char* command_text, MainLocals& locals);

// Appends each text between two successive `delimiter` bytes of the command
// text to `queue`; returns the position of the first delimiter (0 if none).
int32_t split_delimited(const char* command_text, char delimiter, ProgramQueue& queue, MainLocals& locals);

// Blanks the leading number: digits and spaces among the first 100 bytes,
// up to the first other byte.
void strip_leading_number(char* command_text, MainLocals& locals);

// The bound procedure: takes its 13 arguments from the string stack (the
// first on top), converts four of them to numbers and composes the message.
int32_t MakeEMLAttachmentFileSW();

}  // namespace app
