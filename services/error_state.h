// The runtime's error state: the code and message of the last failure an
// operation posted, the failing file, and the system error of that moment.
//
// Statements do not return failure; they post here, and the program tests the
// code right after the statement that matters. One state for the process,
// unguarded: operations on several threads overwrite each other's error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace svc {

// The record file whose operation failed, as the file drivers know it (the
// address of its declaration). The error state only keeps and compares it.
using FailingFile = const void*;

// Error codes. File codes are posted by the drivers and file statements;
// 300 + n is system error n; 4xx run-time checks, 5xx internal and window
// failures, 6xx DDE, 8xx the expression evaluator.
namespace err {
inline constexpr std::int32_t none = 0;
inline constexpr std::int32_t file_not_found = 2;
inline constexpr std::int32_t path_not_found = 3;
inline constexpr std::int32_t too_many_open_files = 4;
inline constexpr std::int32_t access_denied = 5;
inline constexpr std::int32_t memory_corrupted = 7;
inline constexpr std::int32_t insufficient_memory = 8;
inline constexpr std::int32_t entry_not_found = 30;
inline constexpr std::int32_t file_already_locked = 32;
inline constexpr std::int32_t record_not_available = 33;
inline constexpr std::int32_t record_not_found = 35;
inline constexpr std::int32_t invalid_data_file = 36;
inline constexpr std::int32_t file_not_open = 37;
inline constexpr std::int32_t invalid_key_file = 38;
inline constexpr std::int32_t creates_duplicate_key = 40;
inline constexpr std::int32_t record_already_held = 43;
inline constexpr std::int32_t invalid_filename = 45;
inline constexpr std::int32_t key_file_must_be_rebuilt = 46;
inline constexpr std::int32_t invalid_record_declaration = 47;
inline constexpr std::int32_t unable_to_log_transaction = 48;
inline constexpr std::int32_t file_already_open = 52;
inline constexpr std::int32_t invalid_brindle_file = 53;
inline constexpr std::int32_t no_create_attribute = 54;
inline constexpr std::int32_t file_must_be_shared = 55;
inline constexpr std::int32_t logout_already_active = 56;
inline constexpr std::int32_t invalid_memo_file = 57;
inline constexpr std::int32_t exclusive_access_required = 63;
inline constexpr std::int32_t sharing_violation = 64;
inline constexpr std::int32_t unable_to_rollback = 65;
inline constexpr std::int32_t memo_file_missing = 73;
inline constexpr std::int32_t invalid_field_type = 75;
inline constexpr std::int32_t invalid_index_string = 76;
inline constexpr std::int32_t unable_to_access_index = 77;
inline constexpr std::int32_t invalid_parameter_count = 78;
inline constexpr std::int32_t unsupported_data_type = 79;
inline constexpr std::int32_t unsupported_driver_function = 80;
inline constexpr std::int32_t unknown_error_posted = 81;
inline constexpr std::int32_t invalid_key_length = 88;
inline constexpr std::int32_t record_changed = 89;
inline constexpr std::int32_t file_system_error = 90;
inline constexpr std::int32_t logout_not_active = 91;
inline constexpr std::int32_t build_in_progress = 92;
inline constexpr std::int32_t build_cancelled = 93;
inline constexpr std::int32_t server_not_found = 95;
inline constexpr std::int32_t remote_object_not_found = 96;

inline constexpr std::int32_t system_base = 300;  // 300 + system error number
// System errors from here up have no code of 300 + n: a file operation that
// meets one posts access denied.
inline constexpr std::uint32_t system_error_limit = 100;
// The code that stands for system error n.
constexpr std::int32_t system_code(std::uint32_t n) {
  return system_base + std::int32_t(n);
}

inline constexpr std::int32_t runtime_check_base = 400;  // 400 + n: run-time checks
inline constexpr std::int32_t no_return_value = 406;
inline constexpr std::int32_t internal_error_base = 500;  // 500 + n: "Internal error n"
inline constexpr std::int32_t internal_error_01 = 501;
inline constexpr std::int32_t internal_error_02 = 502;
inline constexpr std::int32_t internal_error_03 = 503;
inline constexpr std::int32_t event_to_report_control = 522;
inline constexpr std::int32_t printer_open_failed = 524;
inline constexpr std::int32_t application_already_active = 526;
inline constexpr std::int32_t application_system_modal = 527;
inline constexpr std::int32_t unable_to_open_application = 528;
inline constexpr std::int32_t unable_to_open_window = 529;
inline constexpr std::int32_t too_many_keystrokes = 534;
inline constexpr std::int32_t window_already_open = 535;
inline constexpr std::int32_t window_not_open = 536;
inline constexpr std::int32_t accept_needs_window = 537;

inline constexpr std::int32_t invalid_expression = 800;
inline constexpr std::int32_t no_bind_on_variable = 801;
inline constexpr std::int32_t mismatched_scope = 802;
}  // namespace err

inline constexpr std::size_t error_message_width = 80;        // space-padded
inline constexpr std::size_t file_error_message_width = 255;  // space-padded
inline constexpr std::size_t file_error_code_width = 81;      // space-padded
// The longest message text a lookup gives.
inline constexpr std::size_t message_text_limit = 255;

// A message text as looked up for a code (NUL-terminated, at most 255 chars).
struct MessageText {
  char text[message_text_limit + 1] = {};
  std::size_t length = 0;
  std::string_view view() const { return {text, length}; }
};

// The message overrides of the environment file (filled by the locale).
// Gives true and the text when the override list holds the code.
using MessageOverride = bool (*)(std::int32_t code, std::string_view* text);

// The six fields that save and restore carry.
struct ErrorFields {
  std::uint32_t system_error = 0;
  std::int32_t code = 0;
  FailingFile failing_file = nullptr;
  char message[error_message_width];
  char file_error_message[file_error_message_width];
  char file_error_code[file_error_code_width];
  // Texts blank. Constant, so that the process's state needs no run-time
  // construction.
  constexpr ErrorFields() {
    for (char& c : message) c = ' ';
    for (char& c : file_error_message) c = ' ';
    for (char& c : file_error_code) c = ' ';
  }
};

class ErrorState {
 public:
  constexpr ErrorState() = default;
  ~ErrorState();
  ErrorState(const ErrorState&) = delete;
  ErrorState& operator=(const ErrorState&) = delete;

  // Posts code c (0 means "the system error": 300 + the last system error),
  // looks up its message and clears the failing file. Returns the code.
  std::int32_t post(std::int32_t c);
  // As post, with detail appended to the message (cut to the field's width),
  // for messages that name what they are about: "No BIND on variable (X)".
  std::int32_t post(std::int32_t c, std::string_view detail);
  void note_failing_file(FailingFile file);
  // Code 0, failing file null, texts blank; the system error is kept.
  void clear();
  // Pushes a copy of the whole state; restore pops it back. Restoring with
  // nothing saved leaves the state as it is.
  void save();
  void restore();

  std::int32_t code() const { return fields_.code; }
  // Code 0 and no failing file: what clearing leaves. One flag, kept with
  // every change, since the records loop asks it for every record it reads
  // or writes and clears a state that is seldom anything but clear.
  bool is_clear() const { return clear_; }
  std::uint32_t system_error() const { return fields_.system_error; }
  FailingFile failing_file() const { return fields_.failing_file; }
  // The error message field, space-padded to 80 characters.
  std::string_view message() const { return {fields_.message, error_message_width}; }
  std::string_view file_error_message() const {
    return {fields_.file_error_message, file_error_message_width};
  }
  std::string_view file_error_code() const {
    return {fields_.file_error_code, file_error_code_width};
  }
  const ErrorFields& fields() const { return fields_; }

  // The message text of a code: override list, then the compiled message
  // table, else "Unknown Error Posted : <code>". Code 0 reads as 81.
  MessageText message_of(std::int32_t c) const;

  void set_message_override(MessageOverride hook) { override_ = hook; }
  // Called after every post and clear (the debugger snapshot); null by default.
  void set_change_hook(void (*hook)(const ErrorState&)) { change_hook_ = hook; }

  // Back to the starting condition: clear, no system error, nothing saved,
  // no hooks.
  void reset();

 private:
  struct Saved;
  // After every change of the code or the failing file.
  void keep_clear_flag();
  // After a post or a clear: keeps the clear flag and calls the change hook.
  void changed();
  void drop_saved();

  // Ahead of the fields, on the line of the code that a statement's caller
  // reads next.
  bool clear_ = true;
  ErrorFields fields_;
  Saved* saved_ = nullptr;
  std::uint32_t lost_saves_ = 0;  // saves that found no memory
  MessageOverride override_ = nullptr;
  void (*change_hook_)(const ErrorState&) = nullptr;
};

namespace detail {
// Constant-initialized: a statement reaches it at a fixed address with no
// first-use check, and it outlives every object that may post at exit.
extern constinit ErrorState g_error_state;
}  // namespace detail

// The process-wide error state.
inline ErrorState& error_state() { return detail::g_error_state; }

}  // namespace svc
