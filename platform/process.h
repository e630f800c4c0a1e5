// The running process: its command line, its program file, its identity and
// its end.
#pragma once

#include "platform/types.h"

namespace plat {

// The program path in double quotes, a space, then the arguments argv[1],
// argv[2], ... joined with single spaces, as raw bytes (no quoting is added to
// an argument that holds spaces). The text lives as long as the process.
LPSTR GetCommandLineA();

// The arguments main received. On Linux GetCommandLineA joins these rather
// than reading them from /proc/self/cmdline, which a system without /proc
// lacks; argc 0 forgets them. On Windows the command line stays the system's
// own text, which argv only approximates, and this does nothing.
void take_main_arguments(int argc, const char* const* argv);

// The absolute path of the running executable for `module` null or the
// program's own handle; another handle fails with 6. The path is cut to
// size - 1 bytes when the buffer is short, returning `size` with last error 122.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// The program's own handle for a null name or the program file's name (with or
// without its path); null with last error 126 for any other module.
HMODULE GetModuleHandleA(LPCSTR module_name);

// The value of the environment variable `name`, NUL-terminated, in `buffer`
// of `size` bytes. Returns its length; the size it needs (with the NUL) when
// the buffer is too small; 0 with last error 203 when it is not set.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;

// Opens `file` with the program the user's desktop keeps for its kind, as
// the shell's "open" verb does (`operation` null or "open"; `parameters`
// and `directory` must be null; `show` is not looked at). Returns a value
// above 32 once the program has taken the file, or one of the SE_ERR_ codes.
// On Linux the opener is `xdg-open`, looked for on PATH and waited for, its
// standard streams on the null device: SE_ERR_NOASSOC when there is none,
// SE_ERR_ASSOCINCOMPLETE (last error: the exit code) when it ends in failure.
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
constexpr DWORD SE_ERR_OOM = 8;
constexpr DWORD SE_ERR_ASSOCINCOMPLETE = 27;
constexpr DWORD SE_ERR_NOASSOC = 31;

// Ends the process with `exit_code` after flushing the standard streams.
[[noreturn]] void ExitProcess(UINT exit_code);

DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// True while a process with this id exists (one that this process may not
// signal or query included); false once it has ended.
bool process_running(DWORD process_id);

// Test hooks.
//
// Replaces the argument vector that GetCommandLineA reads (argv[0] is ignored:
// the program path is always the executable's). Passing argc 0 goes back to the
// process's real arguments.
void set_process_arguments(int argc, const char* const* argv);

// Replaces what ExitProcess does; the replacement must not return (a test
// throws from it). Null restores the real end of the process.
using exit_process_hook = void (*)(UINT exit_code);
void set_exit_process_hook(exit_process_hook hook);

// Runs `body(argument)` in a child process (a copy of this one) and waits for
// it; returns the child's result (0 to 255), or -1 when no child could be run.
// Lets tests show that sharing modes and locks hold between processes.
//
// Where the system cannot copy a running process (Windows), the child is a
// new run of the program that begins in enter_child_process: it gets a copy
// of the first 256 bytes at `argument` (nothing else of the parent's memory,
// so the argument must be a plain block) and ends with the body's result.
int run_in_child_process(int (*body)(void* argument), void* argument);

// Called first in main by a program that uses run_in_child_process: in a
// child run, runs the body and ends the process; otherwise returns at once.
void enter_child_process();

}  // namespace plat
