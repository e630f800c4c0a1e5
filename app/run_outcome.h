// What one run of the program achieved, kept so that the process can tell
// its caller: the exit code and, when it is not 0, one line on standard
// error that names the file concerned and the runtime's error message.
//
// Exit codes: 0 the message was written; 64 the call text was empty, did not
// compile, or never called the message procedure; 66 a file to encode could
// not be read; 73 the message file could not be opened; 2 a runtime error
// (ended through the runtime error box, not through here).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

inline constexpr int kExitWritten = 0;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitNoInput = 66;
inline constexpr int kExitCannotCreate = 73;

// The kind of file whose failure ended the composer.
enum class FailedFile : uint8_t { none, attachment, image, message };

struct RunOutcome {
  bool call_text_blank = false;
  bool composer_called = false;
  uint8_t composer_result = 0;
  int32_t evaluation_error = 0;  // the error code that EVALUATE left
  FailedFile failed = FailedFile::none;
  std::string failed_name;
  int32_t failed_code = 0;

  // Records the file that ended the composer and the error code it met.
  void note_failure(FailedFile kind, std::string_view name, int32_t code);
  int exit_code() const;
  // The line for standard error (with its newline); empty for exit code 0.
  std::string error_line() const;
  void reset() { *this = RunOutcome{}; }
};

RunOutcome& run_outcome();

}  // namespace app
