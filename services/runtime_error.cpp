#include "services/runtime_error.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/dialog.h"
#include "platform/text.h"
#include "services/debug_log.h"
#include "services/error_state.h"
#include "services/process_state.h"

namespace svc {
namespace {

struct Diagnostic {
  int code;
  const char* format;
};

// Searched from the first row; the row with code -1 ends the table and gives
// the text for any code not found. The order is the runtime's own, not
// ascending.
constexpr std::array<Diagnostic, 31> diagnostics = {{
    {0, "Corrupt block/Unknown block type freed.  This is probably caused by freeing a static "
        "variable or a bad pointer."},
    {1, "Out of free space"},
    {2, "Data was written past the end of the block being freed."},
    {3, "Block tags are inconsistant"},
    {4, "Illegal block size"},
    {5, "e_free_block_tag_corrupt:"},
    {6, "Tags mismatch"},
    {7, "size inconsitancy"},
    {8, "bad block pointer"},
    {9, "mangled free list"},
    {10, "memory leak %ld bytes (%ld allocs)"},
    {11, "memory block free'd twice"},
    {50, "read from stream when last op was write"},
    {54, "unget() from stream when last op was write"},
    {51, "write to stream when last op was read"},
    {53, "write to read-only file"},
    {52, "read from write-only file"},
    {60, "setvbuf() after operation on stream"},
    {58, "stream has been closed already"},
    {59, "opened with handle not as stream"},
    {62, "Illegal combination of stream & direct io."},
    {55, "fflush() when last op was read"},
    {57, "operation on NULL stream"},
    {70, "bad combination of format flags"},
    {20, "Test character is not EOF or unsigned char"},
    {64, "Unable to delete temporary file"},
    {40, "O_EXCL and O_TRUNC are exclusive options"},
    {41, "O_EXCL should only be given with O_CREAT"},
    {80, "Pure virtual function called"},
    {81, "Unimplemented function %s"},
    {-1, "Unknown Error"},
}};
static_assert(diagnostics.back().code == -1, "the table must end with the row for unknown codes");

constexpr std::string_view question = "\nDo you want to GPF?";
RuntimeErrorNotice the_notice = nullptr;
constexpr std::size_t message_limit = 79;  // of the error's message text
constexpr char separator[] = " : ";

// Appends what fits of `part` while keeping `reserve` bytes free.
void append(char* text, std::size_t& length, std::string_view part, std::size_t reserve) {
  std::size_t room = runtime_error_text_size - 1 - reserve - length;
  std::size_t count = std::min(room, part.size());
  std::memcpy(text + length, part.data(), count);
  length += count;
}

// The message of `number` as the box shows it: leading blanks skipped, at
// most 79 characters, trailing blanks dropped.
std::string_view box_message(const svc::MessageText& message) {
  std::string_view text = message.view();
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  text = text.substr(0, message_limit);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

}  // namespace

const char* diagnostic_format(int code) {
  for (const Diagnostic& row : diagnostics) {
    if (row.code == code || row.code == -1) return row.format;
  }
  return diagnostics.back().format;
}

// A long extra text is cut, never the question: the user must still be able
// to answer it.
std::size_t runtime_error_text(std::int32_t number, const char* extra,
                               char (&text)[runtime_error_text_size]) {
  std::size_t length = 0;
  if (number != 0) {
    svc::MessageText message = svc::error_state().message_of(number);
    append(text, length, box_message(message), question.size());
    if (extra != nullptr) append(text, length, separator, question.size());
  }
  if (extra != nullptr) append(text, length, extra, question.size());
  append(text, length, question, 0);
  text[length] = '\0';
  return length;
}

void set_runtime_error_notice(RuntimeErrorNotice notice) { the_notice = notice; }

void raise_runtime_error(std::int32_t number, const char* extra) {
  if (number != 0) svc::error_state().post(number);
  char text[runtime_error_text_size];
  const std::size_t length = runtime_error_text(number, extra, text);
  if (the_notice != nullptr) {
    char told[runtime_error_text_size];
    const std::size_t told_length = length - question.size();  // the question always fits
    std::memcpy(told, text, told_length);
    told[told_length] = '\0';
    the_notice(told);
  }
  int answer = plat::MessageBoxA(nullptr, text, "Runtime error",
                                 plat::MB_YESNO | plat::MB_ICONHAND | plat::MB_DEFBUTTON2);
  // Yes asks for the process to stop where it is, so that a debugger (or a
  // core dump) shows the state that led here.
  if (answer == plat::IDYES) std::abort();
  ProcessState& process = process_state();
  process.run_final_file_cleanup();
  if (process.running()) process.exit(2);
}

void report_diagnostic(int code, ...) {
  char text[plat::WSPRINTF_LIMIT];
  va_list arguments;
  va_start(arguments, code);
  plat::wvsprintfA(text, diagnostic_format(code), arguments);
  va_end(arguments);
  trace_error(text);
  raise_runtime_error(0, text);
}

void abstract_call() {
  report_diagnostic(diag::pure_virtual_call);
  process_state().exit(2);
}

}  // namespace svc
