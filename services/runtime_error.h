// The runtime error box: conditions the runtime cannot continue from (a
// window operation with no window, an internal inconsistency, heap misuse, a
// call of an abstract operation). The box shows the error's message and asks
// "Do you want to GPF?"; No (the default) closes the files and ends the
// process with exit code 2 while the program runs, or returns during the
// shutdown sequence so that the shutdown goes on. Yes stops the process at
// once so that a debugger can take over.
//
// This is not the ordinary error code of a failing statement, which the
// program tests itself and which never shows a box.
#pragma once

#include <cstddef>
#include <cstdint>

namespace svc {

// The capacity of the box text, terminator included.
inline constexpr std::size_t runtime_error_text_size = 256;

// Diagnostic codes that the heap and the abstract-call handler raise.
namespace diag {
inline constexpr int corrupt_block = 0;
inline constexpr int out_of_free_space = 1;
inline constexpr int freed_twice = 11;
inline constexpr int pure_virtual_call = 80;
}  // namespace diag

// Shows the runtime error box for `number` (0: no number, `extra` is the whole
// message) with the optional extra text (a component tag or a description).
// A number other than 0 also becomes the current error code. Returns only
// when the running flag is already cleared (or a test replaced the exit).
void raise_runtime_error(std::int32_t number, const char* extra = nullptr);

// Told of each runtime error just before its box shows, with the box's text
// without its question: the program says there, in its own words, what ended
// the run. None by default.
using RuntimeErrorNotice = void (*)(const char* text);
void set_runtime_error_notice(RuntimeErrorNotice notice);

// Formats diagnostic `code` from the diagnostic table with the arguments
// (wvsprintfA conventions), writes it to the debug log with a stack trace and
// raises it. Returns as raise_runtime_error does.
void report_diagnostic(int code, ...);

// The operation placed in every unfilled slot of an operation table: reports
// "Pure virtual function called" and ends the process with code 2 whatever
// the running flag says.
void abstract_call();

// Builds the box text for `number` and `extra` into `text` (always
// terminated) and returns its length. The error code is not touched.
std::size_t runtime_error_text(std::int32_t number, const char* extra,
                               char (&text)[runtime_error_text_size]);

// The message format of a diagnostic code; "Unknown Error" when the table has
// no row for it.
const char* diagnostic_format(int code);

}  // namespace svc
