// What one run of the program achieved, kept so that the process can tell
// its caller: the exit code and, when it is not 0, one line on standard
// error that names the file concerned and the runtime's error message.
//
// Exit codes: 0 the message was written; 64 the command line was too long,
// the call text was empty, did not compile, never called the message
// procedure or left out some of its arguments, or the message file is also
// a file to read; 65 an argument does not fit its field, the message would
// be too large to write, or a file to encode has a name the run cannot take;
// 66 a file to encode was missing or could not be opened; 71 memory ran out;
// 73 the message file could not be opened, what stands at its path may not
// be replaced, or the work directory could not be made ready; 74 the message
// could not be made whole: a write of it failed, a file changed while it was
// read, or the system failed to read, copy or remove a file it needs; 75 the
// work directory is held by another run, or cannot be locked; 2 a runtime
// error (ended through the runtime error box, not through here); 128 + n the
// process was ended by signal n. Whatever the code, a message that is not
// whole never takes the place of the message file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

inline constexpr int kExitWritten = 0;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitDataError = 65;
inline constexpr int kExitNoInput = 66;
inline constexpr int kExitOutOfMemory = 71;
inline constexpr int kExitCannotCreate = 73;
inline constexpr int kExitIoError = 74;
inline constexpr int kExitTryLater = 75;

// The line of a run that ran out of memory, without "msgmake: ".
inline constexpr char kOutOfMemoryText[] = "out of memory";

// The kind of file whose failure ended the composer.
// ORDER: kFailureVerbs in run_outcome.cpp.
enum class FailedFile : uint8_t { none, attachment, image, sound, message, message_write, work_copy, work_copy_made };

// What a file to read is told to be when it is a folder: no part can hold
// one, and the system's "Access Denied" would not say why.
inline constexpr char kFolderText[] = "it is a folder, not a file";
// True when the name leads to a folder; the last error stays as it was.
bool is_folder(std::string_view name);

// An error that says a file is not there or may not be read (missing, a
// folder, no right, held by another program): the caller's input is at
// fault. Any other error (an I/O error, a full disk) is the system's.
// `system_error` 0 means the code is the whole story.
bool is_unreadable_input(int32_t code, uint32_t system_error);

struct RunOutcome {
  uint32_t command_line_length = 0;  // set only when over the limit
  bool call_text_blank = false;
  bool call_text_names_procedure = false;
  bool composer_called = false;
  uint8_t composer_result = 0;
  int32_t evaluation_error = 0;  // the error code that EVALUATE left
  FailedFile failed = FailedFile::none;
  std::string failed_name;
  int32_t failed_code = 0;
  uint32_t failed_system_error = 0;  // the system's error number at that moment
  // A run refused, or given up for a cause of its own: the exit code and
  // the text of its line (without "msgmake: "); 0 when none.
  int refused_exit = 0;
  std::string refused_text;
  // The heap's refusals when the run began: any since mean that memory ran
  // out somewhere, and whatever was made then may be missing a part.
  uint64_t heap_refusals_at_start = 0;

  // Records the file that ended the composer, the error code it met and
  // the system error behind it; the first failure is the one reported.
  void note_failure(FailedFile kind, std::string_view name, int32_t code, uint32_t system_error = 0);
  // Records a refusal with its exit code and text, unless a failure came first.
  void refuse(int exit_code, std::string text);
  bool message_write_failed() const { return failed == FailedFile::message_write; }
  bool any_failure() const { return failed != FailedFile::none || refused_exit != 0 || out_of_memory(); }
  // Memory ran out since the run began.
  bool out_of_memory() const;
  int exit_code() const;
  // The line for standard error (with its newline); empty for exit code 0.
  std::string error_line() const;
  // What went wrong with the failed file, for the error line.
  std::string failure_text() const;
  void reset();
};

RunOutcome& run_outcome();

// Makes memory that runs out outside the runtime's heap (an allocation of
// the C++ library that cannot be met, whose std::bad_alloc nothing catches)
// end the process with the one line on standard error, the unfinished files
// removed and exit code 71. Any other end through std::terminate stays as
// it was. Called first thing in main.
void end_runs_out_of_memory_cleanly();

// The line on standard error that a runtime error (exit code 2) begins with,
// before its box: "msgmake: runtime error: " and the box's text on one line.
// Told by the runtime as the box is about to show.
void announce_runtime_error(const char* text);

// A readable text for an error code: the runtime's message, or for a system
// error number that the runtime's table does not name, the system's own text
// and the number.
std::string error_description(int32_t code);
// The system's own text and number for a system error; empty when the system
// has no text for it.
std::string system_error_description(uint32_t system_error);

}  // namespace app
