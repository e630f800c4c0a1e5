#include "app/output_checks.h"

#include <cstring>
#include <string>

#include "app/run_outcome.h"
#include "drivers/common_operations.h"
#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"

namespace app {

namespace {

// Room for a name as the program's fields hold it, and for its full path.
constexpr uint32_t kNameRoom = 4096;

// `name` as a C string in `out`; false when it does not fit.
bool c_name(std::string_view name, char (&out)[kNameRoom]) {
  if (name.size() >= kNameRoom) return false;
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

// Names one file while it exists: its volume and its index there.
struct Identity {
  bool known = false;
  plat::DWORD volume = 0, index_high = 0, index_low = 0;
  bool same(const Identity& other) const {
    return known && other.known && volume == other.volume && index_high == other.index_high &&
           index_low == other.index_low;
  }
};

// Only a name that leads to a regular file is opened to be looked at: an
// open of a FIFO, even one given up at once, would let its writer go on
// into nothing.
bool leads_to_file(const char* name) {
  plat::name_entry entry;
  return plat::GetNameEntry(name, &entry) && entry.kind == plat::entry_kind::file;
}

Identity identity_of(const char* name) {
  Identity identity;
  if (!leads_to_file(name)) return identity;
  const plat::HANDLE file =
      plat::CreateFileA(name, plat::GENERIC_READ, plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE | plat::FILE_SHARE_DELETE,
                        nullptr, plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) return identity;
  plat::BY_HANDLE_FILE_INFORMATION info;
  if (plat::GetFileInformationByHandle(file, &info))
    identity = {true, info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  plat::CloseHandle(file);
  return identity;
}

bool same_full_path(const char* a, const char* b) {
  char full_a[kNameRoom], full_b[kNameRoom];
  const plat::DWORD na = plat::GetFullPathNameA(a, kNameRoom, full_a, nullptr);
  const plat::DWORD nb = plat::GetFullPathNameA(b, kNameRoom, full_b, nullptr);
  if (na == 0 || nb == 0 || na >= kNameRoom || nb >= kNameRoom) return std::strcmp(a, b) == 0;
  for (plat::DWORD i = 0; i < na; ++i)
    if (plat::is_path_separator(full_a[i])) full_a[i] = '/';
  for (plat::DWORD i = 0; i < nb; ++i)
    if (plat::is_path_separator(full_b[i])) full_b[i] = '/';
  return std::strcmp(full_a, full_b) == 0;
}

}  // namespace

bool same_file(std::string_view a, std::string_view b) {
  char name_a[kNameRoom], name_b[kNameRoom];
  if (a.empty() || b.empty() || !c_name(a, name_a) || !c_name(b, name_b)) return false;
  // A first name that names no file yet (the usual message file) needs no
  // look at the second.
  bool same = same_full_path(name_a, name_b);
  if (!same) {
    const Identity first = identity_of(name_a);
    same = first.known && first.same(identity_of(name_b));
  }
  plat::SetLastError(0);
  return same;
}

DraftFiles walk_draft_files(const mime::Message& message, std::string_view output,
                            const std::function<void(const mime::Part&)>& visit) {
  DraftFiles files;
  files.size_bound = mime::header_size_bound(message);
  mime::for_each_part(message.root, [&](const mime::Part& part) {
    files.size_bound += mime::part_size_bound(part);
    if (!output.empty() && same_file(output, part.body.file)) files.reading_output.push_back(&part);
    if (visit) visit(part);
  });
  return files;
}

const char* part_file_role(mime::PartRole role) {
  switch (role) {
    case mime::PartRole::attachment:
      return "attachment";
    case mime::PartRole::picture:
      return "picture";
    case mime::PartRole::sound:
      return "sound file";
    default:
      return "body file";
  }
}

bool message_path_replaceable(std::string_view message_file) {
  RunOutcome& outcome = run_outcome();
  char name[kNameRoom];
  if (!c_name(message_file, name)) {
    outcome.note_failure(FailedFile::message, message_file, plat::ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  plat::name_entry entry;
  if (!plat::GetNameEntry(name, &entry)) {
    outcome.note_failure(FailedFile::message, message_file, drv::code_of_system_error(plat::GetLastError()));
    plat::SetLastError(0);
    return false;
  }
  if (entry.kind == plat::entry_kind::nothing && !entry.link) return true;
  if (entry.kind == plat::entry_kind::nothing) {
    outcome.refuse(kExitCannotCreate, "cannot write message '" + std::string(message_file) +
                                          "': it is a link that leads to no file, and is not replaced");
    return false;
  }
  if (entry.kind != plat::entry_kind::file) {
    outcome.note_failure(FailedFile::message, message_file, plat::ERROR_ACCESS_DENIED);
    return false;
  }
  // The file must be one the draft could be written over: not read only,
  // and not held by another run that writes it.
  const plat::HANDLE file = plat::CreateFileA(name, plat::GENERIC_READ | plat::GENERIC_WRITE, plat::FILE_SHARE_READ,
                                              nullptr, plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) {
    const plat::DWORD error = plat::GetLastError();
    plat::SetLastError(0);
    const plat::DWORD shown = error == plat::ERROR_SHARING_VIOLATION ? plat::ERROR_ACCESS_DENIED : error;
    outcome.note_failure(FailedFile::message, message_file, drv::code_of_system_error(shown));
    return false;
  }
  plat::CloseHandle(file);
  plat::SetLastError(0);
  return true;
}

}  // namespace app
