#include "services/debug_log.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "platform/file.h"
#include "platform/handle.h"
#include "platform/memory.h"
#include "platform/profile.h"
#include "platform/sync.h"
#include "platform/text.h"

namespace svc {
namespace {

constexpr char log_name[] = "B5LOG.TXT";
constexpr int max_trace_frames = 10;

void write_to_log_file(const char* text, std::size_t length);

// The log's process-wide state. Lines of different threads never interleave:
// every writer holds the critical section, and a line produced while one is
// being written (from inside the output operation) is dropped.
struct DebugLog {
  plat::CRITICAL_SECTION section;
  int in_progress = 0;
  bool profile_read = false;  // the AUX switch is read at the first line
  bool file_tried = false;    // the log is created at most once per run
  plat::HANDLE file = plat::INVALID_HANDLE_VALUE;
  bool aux_copy = false;
  plat::HFILE aux = plat::HFILE_ERROR;
  TraceOutput output = write_to_log_file;

  DebugLog() { plat::InitializeCriticalSection(&section); }

  // Lines after this are dropped: the log is not created a second time in
  // one run, which would throw away what it already holds.
  void close() {
    if (file != plat::INVALID_HANDLE_VALUE) plat::CloseHandle(file);
    if (aux != plat::HFILE_ERROR) plat::_lclose(aux);
    file = plat::INVALID_HANDLE_VALUE;
    aux = plat::HFILE_ERROR;
    aux_copy = false;
  }

  void write_line(const char* text, std::size_t length);
};

DebugLog& debug_log() {
  static DebugLog log;
  return log;
}

// The default output: the log is created afresh at the first line of a run;
// when it cannot be created, lines are dropped.
void write_to_log_file(const char* text, std::size_t length) {
  DebugLog& log = debug_log();
  if (!log.file_tried) {
    log.file_tried = true;
    // Never through a link, which would have it write over what the link names.
    log.file = plat::CreateFileA(log_name, plat::GENERIC_WRITE, 0, nullptr, plat::CREATE_ALWAYS,
                                 plat::FILE_ATTRIBUTE_NORMAL | plat::FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  }
  if (log.file == plat::INVALID_HANDLE_VALUE) return;
  plat::DWORD written = 0;
  plat::WriteFile(log.file, text, static_cast<plat::DWORD>(length), &written, nullptr);
}

void DebugLog::write_line(const char* text, std::size_t length) {
  if (!profile_read) {
    profile_read = true;
    char setting[20];
    aux_copy = plat::GetProfileStringA("Brindle 5 Tracing", "auxtrace", "", setting,
                                       sizeof setting) > 0;
  }
  output(text, length);
  if (aux_copy) {
    if (aux == plat::HFILE_ERROR) aux = plat::_lopen("AUX", plat::OF_WRITE);
    if (aux != plat::HFILE_ERROR) plat::_lwrite(aux, text, static_cast<plat::UINT>(length));
  }
}

void write_trace(const char* format, va_list arguments) {
  DebugLog& log = debug_log();
  plat::EnterCriticalSection(&log.section);
  if (log.in_progress == 0) {
    ++log.in_progress;
    if (format == nullptr) {
      const char* text = va_arg(arguments, const char*);
      if (text != nullptr) log.write_line(text, std::strlen(text));
    } else {
      char line[plat::WSPRINTF_LIMIT];
      int length = plat::wvsprintfA(line, format, arguments);
      log.write_line(line, static_cast<std::size_t>(length));
    }
    --log.in_progress;
  }
  plat::LeaveCriticalSection(&log.section);
}

// Frames further apart than this are taken as the end of the chain.
constexpr std::uintptr_t max_frame_distance = 1u << 20;

// Return addresses from the frame `frame` upward, found by following the
// chain of saved frame pointers. Every frame is probed before it is read and
// must lie a little above the one before it, so a chain broken by code built
// without frame pointers ends the walk instead of faulting.
int collect_return_addresses(const std::uintptr_t* frame,
                             std::uintptr_t (&addresses)[max_trace_frames]) {
  int count = 0;
  while (count < max_trace_frames && frame != nullptr &&
         !plat::IsBadReadPtr(frame, 2 * sizeof(std::uintptr_t))) {
    std::uintptr_t return_address = frame[1];
    auto* caller = reinterpret_cast<const std::uintptr_t*>(frame[0]);
    if (return_address == 0) break;
    addresses[count++] = return_address;
    std::uintptr_t distance = reinterpret_cast<std::uintptr_t>(caller) -
                              reinterpret_cast<std::uintptr_t>(frame);
    if (caller <= frame || distance > max_frame_distance) break;
    frame = caller;
  }
  return count;
}

}  // namespace

void trace(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  write_trace(format, arguments);
  va_end(arguments);
}

__attribute__((noinline)) void trace_error(const char* text) {
  trace("Error: %s\r\n", text);
  // This function's own frame holds the return address into its caller,
  // where the trace starts.
  std::uintptr_t addresses[max_trace_frames];
  int count = collect_return_addresses(
      static_cast<const std::uintptr_t*>(__builtin_frame_address(0)), addresses);
  for (int i = 0; i < count; ++i) {
    trace("   %.8I64x\r\n", static_cast<std::uint64_t>(addresses[i]));
  }
  trace("----------------------------------\r\n");
}

void trace_support_routine(int argument) {
  DebugLog& log = debug_log();
  if (argument == 0) return;  // the critical section exists from the first use
  plat::EnterCriticalSection(&log.section);
  log.close();
  plat::LeaveCriticalSection(&log.section);
}

TraceOutput set_trace_output(TraceOutput output) {
  DebugLog& log = debug_log();
  plat::EnterCriticalSection(&log.section);
  TraceOutput previous = log.output;
  log.output = output != nullptr ? output : write_to_log_file;
  plat::LeaveCriticalSection(&log.section);
  return previous;
}

void reset_debug_log() {
  DebugLog& log = debug_log();
  plat::EnterCriticalSection(&log.section);
  log.close();
  log.profile_read = false;
  log.file_tried = false;
  log.in_progress = 0;
  log.output = write_to_log_file;
  plat::LeaveCriticalSection(&log.section);
}

}  // namespace svc
