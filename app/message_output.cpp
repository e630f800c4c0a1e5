#include "app/message_output.h"

#include <algorithm>
#include <cstring>

#include "app/draft_names.h"
#include "app/output_checks.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "drivers/file_declaration.h"
#include "drivers/full_path.h"
#include "drivers/low_level_io.h"
#include "drivers/record_statements.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/process.h"
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
constexpr uint32_t kCopyBlock = 16 * 1024;

// The draft of the message being written: the message file's full path as
// the drivers name it, and the temporary file that stands in for it.
struct Draft {
  bool open = false;  // from its creation until it is moved or removed
  bool to_standard_output = false;
  char path[drv::kFullPathSize] = {};
  char temporary[kDraftPathSize] = {};  // empty until CREATE makes it
  plat::HANDLE blocks = nullptr;  // the draft open for blocks; null for records
};
Draft draft;

// Set while a LineCheck lives, and when a line checked then would be cut.
bool checking_lines = false;
bool line_cut = false;

// Notes whether the line made of `pieces` has a byte other than a space
// beyond the message line's end.
void note_cut(std::initializer_list<std::string_view> pieces) {
  size_t at = 0;
  for (std::string_view piece : pieces) {
    const size_t kept = clipped(piece).size();
    if (kept != 0 && at + kept > kMessageLineSize) line_cut = true;
    at += piece.size();
  }
}

void note_write_failure() {
  ProgramData& data = program_data();
  const svc::ErrorState& errors = svc::error_state();
  run_outcome().note_failure(FailedFile::message_write, clipped(data.message_name, kFileNameSize), errors.code(),
                             errors.system_error());
}

// A write, commit or close of a draft written in blocks that failed with the
// system's `error`: noted as the ASCII driver notes a record it could not
// write.
void note_block_failure(uint32_t error) {
  plat::SetLastError(0);
  run_outcome().note_failure(FailedFile::message_write, clipped(program_data().message_name, kFileNameSize),
                             svc::err::access_denied, error);
}

// Closes the draft's file. A whole draft's bytes are committed to the disk
// first (the driver's CLOSE commits a record file itself); a failure is noted.
void close_draft_file(bool whole) {
  if (draft.blocks == nullptr) {
    drv::CLOSE(&program_data().message_file);
    if (whole && !svc::error_state().is_clear()) note_write_failure();
    return;
  }
  const uint32_t committed = whole ? drv::sys::commit(draft.blocks) : 0;
  const uint32_t closed = drv::sys::close(draft.blocks);
  draft.blocks = nullptr;
  if (whole && (committed != 0 || closed != 0)) note_block_failure(committed != 0 ? committed : closed);
}

// A failure of the system call that puts the draft in place, as the system
// error it left.
void note_move_failure() {
  const plat::DWORD error = plat::GetLastError();
  plat::SetLastError(0);
  run_outcome().note_failure(FailedFile::message_write, clipped(program_data().message_name, kFileNameSize),
                             drv::code_of_system_error(error), error);
}

// The draft is no longer this run's to remove: it took the message file's
// place, or it is gone.
void forget_draft() {
  drv::sys::unstage();
  plat::mark_finished(plat::unfinished_file::draft);
  draft.open = false;
}

// Removes the temporary draft, trying twice. One that will not go stays
// marked unfinished, so the end of the process removes it at last.
void remove_draft() {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (draft.temporary[0] == '\0' || plat::DeleteFileA(draft.temporary) ||
        plat::GetLastError() == plat::ERROR_FILE_NOT_FOUND) {
      plat::SetLastError(0);
      forget_draft();
      return;
    }
  }
  plat::SetLastError(0);
  drv::sys::unstage();
  draft.open = false;
}

// Copies the whole draft to standard output.
bool copy_to_standard_output() {
  const plat::HANDLE in = plat::CreateFileA(draft.temporary, plat::GENERIC_READ, plat::FILE_SHARE_READ, nullptr,
                                            plat::OPEN_EXISTING, plat::FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == plat::INVALID_HANDLE_VALUE) return false;
  const plat::HANDLE out = plat::GetStdHandle(plat::STD_OUTPUT_HANDLE);
  bool copied = out != nullptr;
  char block[kCopyBlock];
  for (plat::DWORD got = 0, put = 0; copied;) {
    copied = plat::ReadFile(in, block, sizeof block, &got, nullptr) != 0;
    if (!copied || got == 0) break;
    copied = plat::WriteFile(out, block, got, &put, nullptr) != 0 && put == got;
  }
  const plat::DWORD error = plat::GetLastError();
  if (out != nullptr) plat::CloseHandle(out);
  plat::CloseHandle(in);
  plat::SetLastError(error);
  return copied;
}

// Puts the closed, committed draft in the message file's place: moved over
// it in one step that is itself on the disk when it returns, or copied to
// standard output and removed. False, with the failure noted, when it could
// not be.
bool put_draft_in_place() {
  if (draft.to_standard_output) {
    if (!copy_to_standard_output()) {
      note_move_failure();
      return false;
    }
    remove_draft();
    return true;
  }
  if (!plat::MoveFileExA(draft.temporary, draft.path,
                         plat::MOVEFILE_REPLACE_EXISTING | plat::MOVEFILE_WRITE_THROUGH)) {
    note_move_failure();
    return false;
  }
  forget_draft();
  return true;
}

// Stands the temporary draft in for the message file in the drivers' file
// calls; the draft itself is made by the CREATE that follows. False, with
// the failure noted, when the names cannot be.
bool stage_draft(std::string_view name) {
  char given[kFileNameSize + 1];
  std::memcpy(given, name.data(), name.size());
  given[name.size()] = '\0';
  const uint32_t error = drv::expand_full_path(given, "", draft.path);
  if (error != 0) {
    run_outcome().note_failure(FailedFile::message, name, drv::code_of_system_error(error));
    return false;
  }
  char pattern[kDraftPathSize];
  temporary_draft_pattern(draft.path, plat::GetCurrentProcessId(), pattern);
  remove_abandoned_drafts(draft.path);
  draft.temporary[0] = '\0';
  if (!drv::sys::stage(draft.path, pattern)) {
    run_outcome().note_failure(FailedFile::message, name, plat::ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  draft.open = true;
  return true;
}

// The draft that CREATE made, if it made one (even when it then failed to
// close it), marked unfinished from here on.
void note_draft_made() {
  if (drv::sys::staged_temporary()[0] == '\0') return;
  std::strncpy(draft.temporary, drv::sys::staged_temporary(), kDraftPathSize - 1);
  draft.temporary[kDraftPathSize - 1] = '\0';
  plat::mark_unfinished(plat::unfinished_file::draft, draft.temporary);
}

}  // namespace

LineCheck::LineCheck() {
  checking_lines = true;
  line_cut = false;
}
LineCheck::~LineCheck() { checking_lines = false; }
bool LineCheck::any_cut() const { return line_cut; }

void write_line(std::initializer_list<std::string_view> pieces) {
  if (checking_lines) {
    note_cut(pieces);
    return;
  }
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

void write_lines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) write_line(line);
}

void append_message_record() {
  drv::ADD(&program_data().message_file);
  if (!svc::error_state().is_clear()) note_write_failure();
}

void write_bytes(std::string_view bytes) {
  if (bytes.empty()) return;
  drv::FileDeclaration* file = &program_data().message_file;
  // The driver stores each record as it is, without a line end of its own,
  // until the lines of the message are written again.
  drv::SEND(file, "CLIP=OFF");
  drv::SEND(file, "ENDOFRECORD=0");
  // Never a record of length 0, which would cut the file.
  while (!bytes.empty() && message_intact()) {
    const size_t n = std::min<size_t>(bytes.size(), kMessageLineSize);
    std::memcpy(program_data().message_line, bytes.data(), n);
    drv::ADD(file, static_cast<int32_t>(n));
    if (!svc::error_state().is_clear()) note_write_failure();
    bytes.remove_prefix(n);
  }
  drv::SEND(file, "ENDOFRECORD=2,13,10");
  drv::SEND(file, "CLIP=ON");
  rt::fill_spaces(reinterpret_cast<char*>(program_data().message_line), kMessageLineSize);
}

bool message_intact() { return !run_outcome().message_write_failed(); }

bool open_message_file(std::string_view name, DraftWrites writes) {
  ProgramData& data = program_data();
  rt::assign_string(data.message_name, kFileNameSize, name.data(), static_cast<uint32_t>(name.size()));
  name = clipped(data.message_name, kFileNameSize);
  if (!draft.to_standard_output && !message_path_replaceable(name)) return false;
  if (!stage_draft(name)) return false;
  // The removal of the message file reports what it would; the file itself
  // stays until the whole draft takes its place.
  drv::REMOVE(&data.message_file);
  svc::error_state().clear();
  drv::CREATE(&data.message_file);
  note_draft_made();
  // The first failure is the cause: an OPEN after a CREATE that failed
  // would only find no file.
  int32_t code = svc::error_state().code();
  if (code == 0 && writes == DraftWrites::blocks) {
    // The file the driver's OPEN would open, with the same sharing.
    const uint32_t error = drv::sys::open_existing(draft.path, kMessageOpenMode, draft.blocks);
    if (error != 0) code = drv::code_of_system_error(error);
  } else if (code == 0) {
    drv::OPEN(&data.message_file, kMessageOpenMode);
    code = svc::error_state().code();
  }
  if (code == 0) return true;
  run_outcome().note_failure(FailedFile::message, name, code);
  remove_draft();
  return false;
}

void write_draft_block(std::string_view bytes) {
  if (draft.blocks == nullptr || bytes.empty() || !message_intact()) return;
  uint32_t put = 0;
  uint32_t error = drv::sys::write(draft.blocks, bytes.data(), static_cast<uint32_t>(bytes.size()), put);
  if (error == 0 && put != bytes.size()) error = plat::ERROR_DISK_FULL;
  if (error != 0) note_block_failure(error);
}

bool close_message_file() {
  if (!draft.open) return false;
  close_draft_file(true);
  // Only a whole message, on the disk, takes the message file's place.
  if (run_outcome().any_failure() || !put_draft_in_place()) {
    remove_draft();
    return false;
  }
  return true;
}

void abandon_message_file() {
  if (!draft.open) return;
  close_draft_file(false);
  remove_draft();
}

void write_message_to_standard_output(bool on) { draft.to_standard_output = on; }
bool message_to_standard_output() { return draft.to_standard_output; }

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
