#include "app/message_output.h"

#include <cstring>

#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/file_declaration.h"
#include "drivers/record_statements.h"
#include "platform/dialog.h"
#include "platform/unfinished_files.h"
#include "runtime/number_text.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace app {

namespace {

// The wait cursor loaded by show_wait_cursor, null while none is shown.
plat::HCURSOR wait_cursor = nullptr;

// Read and write, others denied writing: no second writer while the draft
// is being written.
constexpr int32_t kMessageOpenMode = 0x22;

// Removes the draft, trying twice. One that will not go stays marked
// unfinished, so the end of the process removes it at last.
void remove_draft() {
  svc::ErrorState& errors = svc::error_state();
  for (int attempt = 0; attempt < 2; ++attempt) {
    errors.clear();
    drv::REMOVE(&program_data().message_file);
    if (errors.code() == 0 || errors.code() == svc::err::file_not_found) {
      plat::mark_finished(plat::unfinished_file::draft);
      return;
    }
  }
}

void note_write_failure() {
  ProgramData& data = program_data();
  const svc::ErrorState& errors = svc::error_state();
  run_outcome().note_failure(FailedFile::message_write, clipped(data.message_name, kFileNameSize), errors.code(),
                             errors.system_error());
}

}  // namespace

void write_line(std::initializer_list<std::string_view> pieces) {
  ProgramData& data = program_data();
  char* line = reinterpret_cast<char*>(data.message_line);
  uint32_t used = 0;
  for (std::string_view piece : pieces) {
    const uint32_t room = kMessageLineSize - used;
    const uint32_t n = piece.size() < room ? static_cast<uint32_t>(piece.size()) : room;
    if (n) std::memcpy(line + used, piece.data(), n);
    used += n;
  }
  for (uint32_t i = 0; i < used; ++i)
    if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
  rt::fill_spaces(line + used, kMessageLineSize - used);
  append_message_record();
}

void append_message_record() {
  drv::ADD(&program_data().message_file);
  if (!svc::error_state().is_clear()) note_write_failure();
}

bool message_intact() { return !run_outcome().message_write_failed(); }

bool open_message_file(std::string_view name) {
  ProgramData& data = program_data();
  rt::assign_string(data.message_name, kFileNameSize, name.data(), static_cast<uint32_t>(name.size()));
  drv::REMOVE(&data.message_file);  // a missing file is no concern here
  svc::error_state().clear();
  drv::CREATE(&data.message_file);
  const bool created = svc::error_state().is_clear();
  svc::error_state().clear();
  drv::OPEN(&data.message_file, kMessageOpenMode);
  const int32_t code = svc::error_state().code();
  if (code != 0) {
    run_outcome().note_failure(FailedFile::message, name, code);
    // An empty file made here would pass for a draft.
    if (created) drv::REMOVE(&data.message_file);
    return false;
  }
  // The name as the file calls take it: the clipped name variable.
  char path[kFileNameSize + 1];
  const std::string_view used = clipped(data.message_name, kFileNameSize);
  std::memcpy(path, used.data(), used.size());
  path[used.size()] = '\0';
  plat::mark_unfinished(plat::unfinished_file::draft, path);
  return true;
}

bool close_message_file() {
  ProgramData& data = program_data();
  drv::CLOSE(&data.message_file);
  if (svc::error_state().is_clear()) {
    plat::mark_finished(plat::unfinished_file::draft);
    return message_intact();
  }
  note_write_failure();
  remove_draft();
  return false;
}

void abandon_message_file() {
  drv::CLOSE(&program_data().message_file);
  remove_draft();
}

void show_wait_cursor() {
  if (wait_cursor == nullptr) wait_cursor = plat::LoadCursorA(nullptr, plat::IDC_WAIT);
  plat::SetCursor(wait_cursor);
}

void restore_cursor() {
  if (wait_cursor == nullptr) return;
  if (plat::GetCursor() == wait_cursor) plat::SetCursor(nullptr);
  plat::DestroyCursor(wait_cursor);
  wait_cursor = nullptr;
}

std::string_view decimal_text(int32_t value, char (&out)[rt::kNumberTextCapacity]) {
  return {out, rt::format_integer(value, out)};
}

}  // namespace app
