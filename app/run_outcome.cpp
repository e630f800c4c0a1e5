#include "app/run_outcome.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "app/composer.h"
#include "app/main_procedure.h"
#include "app/program_data.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/unfinished_files.h"
#include "services/error_state.h"
#include "services/error_table.h"
#include "services/heap.h"

namespace app {

namespace {

RunOutcome the_outcome;

// ORDER: FailedFile
constexpr const char* kFailureVerbs[] = {"cannot read file",     "cannot read attachment", "cannot read image",
                                         "cannot read sound file", "cannot write message",   "cannot write message",
                                         "cannot remove work copy", "cannot make work copy"};
static_assert(std::size(kFailureVerbs) == static_cast<size_t>(FailedFile::work_copy_made) + 1);

// The runtime's message text of an error code, without its padding.
std::string message_of(int32_t code) {
  const svc::MessageText text = svc::error_state().message_of(code);
  return std::string(clipped(text.text, static_cast<uint32_t>(text.length)));
}

std::string call_text_failure(const RunOutcome& outcome) {
  if (outcome.command_line_length != 0)
    return "the command line is " + std::to_string(outcome.command_line_length) + " bytes; at most " +
           std::to_string(kCommandTextSize) + " are read";
  if (outcome.call_text_blank) return "no call text given ('msgmake --help' shows the command-line form)";
  // A text that never names the procedure was most likely meant as options
  // or file names, which the options form takes.
  const bool no_call = !outcome.call_text_names_procedure;
  const std::string options_hint =
      no_call ? " (to give options, begin with one: msgmake -o FILE ...; 'msgmake --help' shows both forms)" : "";
  if (outcome.evaluation_error != 0)
    return "the call text cannot be run: " + message_of(outcome.evaluation_error) +
           (no_call ? "; it holds no call of MakeEMLAttachmentFileSW" : "") + options_hint;
  return "the call text does not call MakeEMLAttachmentFileSW; nothing was written" + options_hint;
}

}  // namespace

RunOutcome& run_outcome() { return the_outcome; }

namespace {

std::terminate_handler previous_terminate = nullptr;

// Nothing here may ask for memory, nor wait for a lock that the frame which
// threw may hold: the line goes out as it stands, and the process ends
// without its shutdown.
[[noreturn]] void end_on_terminate() {
  if (const std::exception_ptr thrown = std::current_exception()) {
    try {
      std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
      std::fputs("msgmake: ", stderr);
      std::fputs(kOutOfMemoryText, stderr);
      std::fputs("\n", stderr);
      plat::remove_unfinished_files();
      std::_Exit(kExitOutOfMemory);
    } catch (...) {
    }
  }
  if (previous_terminate != nullptr) previous_terminate();
  std::abort();
}

}  // namespace

void end_runs_out_of_memory_cleanly() { previous_terminate = std::set_terminate(&end_on_terminate); }

void announce_runtime_error(const char* text) {
  std::fputs("msgmake: runtime error: ", stderr);
  for (const char* c = text; *c != '\0'; ++c) std::fputc(*c == '\n' || *c == '\r' ? ' ' : *c, stderr);
  std::fputs("\n", stderr);
  std::fflush(stderr);
}

bool is_folder(std::string_view name) {
  const uint32_t last_error = plat::GetLastError();
  plat::name_entry entry;
  const bool folder = plat::GetNameEntry(std::string(name).c_str(), &entry) && entry.kind == plat::entry_kind::folder;
  plat::SetLastError(last_error);
  return folder;
}

bool is_unreadable_input(int32_t code, uint32_t system_error) {
  switch (system_error != 0 ? static_cast<int32_t>(system_error) : code) {
    case plat::ERROR_FILE_NOT_FOUND:
    case plat::ERROR_PATH_NOT_FOUND:
    case plat::ERROR_ACCESS_DENIED:
    case plat::ERROR_SHARING_VIOLATION:
    case plat::ERROR_LOCK_VIOLATION:
    case svc::err::invalid_filename:
    case plat::ERROR_INVALID_NAME:
    case plat::ERROR_BAD_PATHNAME:
    case plat::ERROR_FILENAME_EXCED_RANGE:
      return true;
    default:
      return false;
  }
}

std::string system_error_description(uint32_t system_error) {
  const char* text = plat::system_error_message(system_error);
  if (text == nullptr) return "";
  std::string line(text);
  if (!line.empty() && line.back() == '.') line.pop_back();
  return line + " (system error " + std::to_string(system_error) + ")";
}

std::string error_description(int32_t code) {
  if (svc::table_message(code).data() == nullptr && code > 0) {
    // Drivers post some system errors by their own number, others as 300 + it.
    const bool own_number = plat::system_error_message(static_cast<uint32_t>(code)) != nullptr;
    const int32_t system = own_number || code <= svc::err::system_base ? code : code - svc::err::system_base;
    if (std::string text = system_error_description(static_cast<uint32_t>(system)); !text.empty()) return text;
  }
  return message_of(code);
}

void RunOutcome::note_failure(FailedFile kind, std::string_view name, int32_t code, uint32_t system_error) {
  if (failed != FailedFile::none) return;
  failed = kind;
  failed_name.assign(name);
  failed_code = code;
  failed_system_error = system_error;
}

void RunOutcome::refuse(int exit_code, std::string text) {
  if (failed != FailedFile::none || refused_exit != 0) return;
  refused_exit = exit_code;
  refused_text = std::move(text);
}

bool RunOutcome::out_of_memory() const { return svc::process_heap().refusals() > heap_refusals_at_start; }

void RunOutcome::reset() {
  *this = RunOutcome{};
  heap_refusals_at_start = svc::process_heap().refusals();
}

std::string RunOutcome::failure_text() const {
  const bool input = failed == FailedFile::attachment || failed == FailedFile::image || failed == FailedFile::sound;
  if (input && is_unreadable_input(failed_code, failed_system_error) && is_folder(failed_name)) return kFolderText;
  // The platform's word for a file that changed while it was read.
  if (failed_system_error == plat::ERROR_FILE_INVALID || failed_code == plat::ERROR_FILE_INVALID ||
      failed_code == svc::err::system_base + static_cast<int32_t>(plat::ERROR_FILE_INVALID))
    return "it changed while being read";
  // A transfer fails with a general code of the driver; what the system
  // said is the useful part.
  if (failed_system_error != 0 && static_cast<int32_t>(failed_system_error) != failed_code)
    if (std::string text = system_error_description(failed_system_error); !text.empty()) return text;
  return error_description(failed_code);
}

int RunOutcome::exit_code() const {
  if (out_of_memory()) return kExitOutOfMemory;
  if (refused_exit != 0) return refused_exit;
  if (!composer_called) return kExitUsage;
  switch (failed) {
    case FailedFile::none:
      return kExitWritten;
    case FailedFile::attachment:
    case FailedFile::image:
    case FailedFile::sound:
      return is_unreadable_input(failed_code, failed_system_error) ? kExitNoInput : kExitIoError;
    case FailedFile::message:
      return kExitCannotCreate;
    case FailedFile::message_write:
    case FailedFile::work_copy:
    case FailedFile::work_copy_made:
      return kExitIoError;
  }
  return kExitIoError;
}

std::string RunOutcome::error_line() const {
  if (exit_code() == kExitWritten) return "";
  std::string line = "msgmake: ";
  if (out_of_memory())
    line += kOutOfMemoryText;
  else if (refused_exit != 0)
    line += refused_text;
  else if (!composer_called)
    line += call_text_failure(*this);
  else
    line += std::string(kFailureVerbs[static_cast<size_t>(failed)]) + " '" + failed_name + "': " + failure_text();
  return line + "\n";
}

}  // namespace app
