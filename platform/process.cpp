// The running process: command line, program file, identity, end.
#include "platform/process.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/last_error.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif
#include "platform/unfinished_files.h"

// The system part of this service.
#ifdef _WIN32
#include "platform/win32/process.inc"
#else
#include "platform/posix/process.inc"
#endif

namespace plat {
namespace {

struct process_text {
  std::mutex lock;
  bool arguments_replaced = false;
  std::vector<std::string> replaced_arguments;
  bool main_arguments_taken = false;
  std::vector<std::string> main_arguments;
  std::string command_line;  // built on first use
  bool command_line_built = false;
};

process_text& state() {
  static process_text* instance = new process_text;  // lives until the process ends
  return *instance;
}

// Keeps an argument vector in the given members (argc 0 keeps none); the
// command line is built anew at its next use.
void keep_arguments(bool process_text::*kept, std::vector<std::string> process_text::*arguments,
                    int argc, const char* const* argv) {
  process_text& s = state();
  std::lock_guard guard(s.lock);
  s.*kept = argc > 0;
  (s.*arguments).assign(argv, argv + (argc > 0 ? argc : 0));
  s.command_line_built = false;
}

char module_marker;  // its address is the program's module handle

std::atomic<exit_process_hook> exit_hook{nullptr};

std::string base_name(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The program path in double quotes, then arguments[1], arguments[2], ...
// each after one space.
std::string joined_command_line(const std::vector<std::string>& arguments) {
  // Appended piece by piece: the operator+ chain trips a false overlap
  // warning in the optimiser of the compiler used here.
  std::string line(1, '"');
  line.append(detail::executable_path()).push_back('"');
  for (size_t i = 1; i < arguments.size(); ++i) line.append(1, ' ').append(arguments[i]);
  return line;
}

#ifndef _WIN32
// The process's own command line: its arguments joined.
std::string system_command_line() {
  return joined_command_line(detail::process_arguments());
}
#else
using detail::system_command_line;
#endif

}  // namespace

#ifndef _WIN32
void enter_child_process() {}  // a child is a copy of the running process
#endif

LPSTR GetCommandLineA() {
  process_text& s = state();
  std::lock_guard guard(s.lock);
  if (!s.command_line_built) {
    s.command_line = s.arguments_replaced     ? joined_command_line(s.replaced_arguments)
                     : s.main_arguments_taken ? joined_command_line(s.main_arguments)
                                              : system_command_line();
    s.command_line_built = true;
  }
  return s.command_line.data();
}

void take_main_arguments([[maybe_unused]] int argc, [[maybe_unused]] const char* const* argv) {
#ifndef _WIN32
  keep_arguments(&process_text::main_arguments_taken, &process_text::main_arguments, argc, argv);
#endif
}

void set_process_arguments(int argc, const char* const* argv) {
  keep_arguments(&process_text::arguments_replaced, &process_text::replaced_arguments, argc, argv);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  if (module != nullptr && module != GetModuleHandleA(nullptr))
    return detail::fail(ERROR_MOD_NOT_FOUND);
  std::string path = detail::executable_path();
  if (path.empty()) return 0;  // last error already set
  if (buffer == nullptr || size == 0) return detail::fail(ERROR_INSUFFICIENT_BUFFER);
  if (path.size() + 1 > size) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

HMODULE GetModuleHandleA(LPCSTR module_name) {
  auto program = reinterpret_cast<HMODULE>(&module_marker);
  if (module_name == nullptr) return program;
  std::string wanted = base_name(module_name), own = base_name(detail::executable_path());
  if (wanted == own || wanted + ".exe" == own || wanted == own + ".exe") return program;
  detail::fail(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* value = name == nullptr ? nullptr : std::getenv(name);
  if (value == nullptr) {
    detail::fail(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const size_t length = std::strlen(value);
  if (buffer == nullptr || length >= size) return DWORD(length + 1);
  std::memcpy(buffer, value, length + 1);
  return DWORD(length);
}

void ExitProcess(UINT exit_code) {
#ifndef _WIN32  // the Windows file cache keeps what was written
  detail::write_out_gathered_files();
#endif
  // A file still marked unfinished at the end was abandoned half made.
  remove_unfinished_files();
  if (exit_process_hook hook = exit_hook.load()) {
    hook(exit_code);
    std::abort();  // a hook must not return
  }
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(exit_code));
}

void set_exit_process_hook(exit_process_hook hook) {
  exit_hook.store(hook);
}

}  // namespace plat
