#include "drivers/low_level_io.h"

#include <cstring>

#include "platform/file.h"
#include "platform/handle.h"
#include "platform/last_error.h"
#include "services/error_state.h"

namespace drv::sys {
namespace {

// The outcome of a call: 0, or the last error (cleared again).
uint32_t outcome(bool ok) {
  if (ok) return 0;
  uint32_t error = plat::GetLastError();
  plat::SetLastError(0);
  return error != 0 ? error : plat::ERROR_GEN_FAILURE;
}

uint32_t remap_open_error(uint32_t error) {
  switch (error) {
    case plat::ERROR_SHARING_VIOLATION: return plat::ERROR_ACCESS_DENIED;
    case plat::ERROR_INVALID_NAME: return svc::err::invalid_filename;
    case plat::ERROR_BAD_PATHNAME: return plat::ERROR_PATH_NOT_FOUND;
    default: return error;
  }
}

plat::DWORD link_flag(Links links) { return links == Links::refused ? plat::FILE_FLAG_OPEN_REPARSE_POINT : 0; }

plat::DWORD access_of(uint32_t mode) {
  switch (mode & 3) {
    case 1: return plat::GENERIC_WRITE;
    case 2: return plat::GENERIC_READ | plat::GENERIC_WRITE;
    default: return plat::GENERIC_READ;
  }
}

plat::DWORD sharing_of(uint32_t mode) {
  switch (mode & 0x70) {
    case 0x00:
    case 0x40: return plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE;
    case 0x20: return plat::FILE_SHARE_READ;
    case 0x30: return plat::FILE_SHARE_WRITE;
    default: return 0;
  }
}

// Names one file while it exists: its volume and its index there.
struct FileIdentity {
  plat::DWORD volume = 0, index_high = 0, index_low = 0;
  bool operator==(const FileIdentity&) const = default;
};

bool identify(HANDLE handle, FileIdentity& identity) {
  plat::BY_HANDLE_FILE_INFORMATION info;
  if (!plat::GetFileInformationByHandle(handle, &info)) return false;
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

// The file that create() made last on this thread, by name and identity. A
// created file is closed at once and opened again by name; the open must find
// that same file, not one that another program put under the name meanwhile.
struct CreatedFile {
  static constexpr uint32_t kNameCapacity = 2 * plat::MAX_PATH;
  char name[kNameCapacity] = {};
  FileIdentity identity;

  // Notes the file just created (nothing when it cannot be told).
  void note(const char* created, HANDLE handle) {
    name[0] = 0;
    if (std::strlen(created) < kNameCapacity && identify(handle, identity))
      std::strcpy(name, created);
  }
  // False when `opened` is named as the file last created but is another file.
  bool same_as_created(const char* opened, HANDLE handle) {
    if (name[0] == 0 || std::strcmp(opened, name) != 0) return true;
    name[0] = 0;
    FileIdentity found;
    return identify(handle, found) && found == identity;
  }
};

thread_local CreatedFile last_created;

// The staged name, the pattern of its temporary file's name, and the
// temporary file made; all empty when none is staged.
struct StagedFile {
  static constexpr size_t kNameCapacity = 4096;
  char name[kNameCapacity] = {};
  char pattern[kNameCapacity] = {};
  char temporary[kNameCapacity] = {};

  bool staged(const char* wanted) const { return name[0] != 0 && std::strcmp(wanted, name) == 0; }
};

StagedFile staged_file;

// What removing `name` would report, found without removing it: 0 when an
// entry stands there, else why there is none.
uint32_t removal_outcome(const char* name) {
  plat::SetLastError(0);
  plat::name_entry entry;
  if (!plat::GetNameEntry(name, &entry)) return outcome(false);
  return entry.kind == plat::entry_kind::nothing && !entry.link ? plat::ERROR_FILE_NOT_FOUND : 0;
}

}  // namespace

bool stage(const char* name, const char* pattern) {
  unstage();
  if (std::strlen(name) >= StagedFile::kNameCapacity || std::strlen(pattern) >= StagedFile::kNameCapacity)
    return false;
  std::strcpy(staged_file.pattern, pattern);
  std::strcpy(staged_file.name, name);
  return true;
}

void unstage() { staged_file.name[0] = staged_file.pattern[0] = staged_file.temporary[0] = 0; }

const char* staged_temporary() { return staged_file.temporary; }

uint32_t open_existing(const char* name, uint32_t mode, HANDLE& handle, Links links) {
  if (staged_file.staged(name)) {
    name = staged_file.temporary;
    if (name[0] == 0) {
      handle = nullptr;
      return plat::ERROR_FILE_NOT_FOUND;
    }
  }
  plat::SetLastError(0);
  handle = plat::CreateFileA(name, access_of(mode), sharing_of(mode), nullptr, plat::OPEN_EXISTING,
                             plat::FILE_FLAG_RANDOM_ACCESS | link_flag(links), nullptr);
  bool ok = handle != plat::INVALID_HANDLE_VALUE;
  if (!ok) handle = nullptr;
  uint32_t error = remap_open_error(outcome(ok));
  if (ok && !last_created.same_as_created(name, handle)) {
    plat::CloseHandle(handle);
    handle = nullptr;
    plat::SetLastError(0);
    error = plat::ERROR_ACCESS_DENIED;
  }
  return error;
}

uint32_t create(const char* name, uint32_t attribute, HANDLE& handle, Links links) {
  static constexpr plat::DWORD kAttributes[4] = {
      plat::FILE_ATTRIBUTE_NORMAL, plat::FILE_ATTRIBUTE_READONLY, plat::FILE_ATTRIBUTE_HIDDEN,
      plat::FILE_ATTRIBUTE_SYSTEM};
  uint32_t code = attribute & 3;
  plat::DWORD access = code == 1 ? plat::GENERIC_READ : plat::GENERIC_READ | plat::GENERIC_WRITE;
  const plat::DWORD flags = kAttributes[code] | plat::FILE_FLAG_RANDOM_ACCESS | link_flag(links);
  plat::SetLastError(0);
  if (staged_file.staged(name)) {
    char made[StagedFile::kNameCapacity];
    std::strcpy(made, staged_file.pattern);
    handle = plat::CreateUniqueFileA(made, access, 0, flags, name);
    if (handle != plat::INVALID_HANDLE_VALUE) std::strcpy(staged_file.temporary, made);
    name = staged_file.temporary;
  } else {
    handle = plat::CreateFileA(name, access, 0, nullptr, plat::CREATE_ALWAYS, flags, nullptr);
  }
  bool ok = handle != plat::INVALID_HANDLE_VALUE;
  if (!ok) handle = nullptr;
  uint32_t error = remap_open_error(outcome(ok));
  if (ok) last_created.note(name, handle);
  plat::SetLastError(0);  // a replaced file leaves 183 behind on success
  return error;
}

uint32_t read(HANDLE handle, void* buffer, uint32_t n, uint32_t& count) {
  plat::DWORD got = 0;
  plat::SetLastError(0);
  bool ok = plat::ReadFile(handle, buffer, n, &got, nullptr);
  count = ok ? got : 0;
  return outcome(ok);
}

uint32_t write(HANDLE handle, const void* bytes, uint32_t n, uint32_t& count) {
  plat::DWORD put = 0;
  plat::SetLastError(0);
  bool ok = plat::WriteFile(handle, bytes, n, &put, nullptr);
  count = ok ? put : 0;
  return outcome(ok);
}

uint32_t seek(HANDLE handle, uint32_t offset, Origin origin) {
  if (offset >= kPositionLimit) return plat::ERROR_SEEK;
  plat::SetLastError(0);
  plat::DWORD method = origin == Origin::end ? plat::FILE_END : plat::FILE_BEGIN;
  plat::DWORD at = plat::SetFilePointer(handle, plat::LONG(offset), nullptr, method);
  return outcome(at != plat::INVALID_SET_FILE_POINTER || plat::GetLastError() == 0);
}

uint32_t tell(HANDLE handle, uint32_t& offset) {
  plat::SetLastError(0);
  plat::DWORD at = plat::SetFilePointer(handle, 0, nullptr, plat::FILE_CURRENT);
  bool ok = at != plat::INVALID_SET_FILE_POINTER || plat::GetLastError() == 0;
  offset = ok ? at : 0;
  if (ok && at >= kPositionLimit) return plat::ERROR_SEEK;
  return outcome(ok);
}

uint32_t size(HANDLE handle, uint32_t& bytes) {
  plat::DWORD high = 0;
  plat::SetLastError(0);
  plat::DWORD low = plat::GetFileSize(handle, &high);
  uint32_t error = plat::GetLastError();
  plat::SetLastError(0);
  bytes = error == 0 ? low : 0;
  if (error == 0 && (high != 0 || low >= kPositionLimit)) {
    bytes = 0;
    return plat::ERROR_SEEK;
  }
  return error;
}

uint32_t lock(HANDLE handle, uint32_t offset, uint32_t length) {
  plat::SetLastError(0);
  return outcome(plat::LockFile(handle, offset, 0, length, 0));
}

uint32_t unlock(HANDLE handle, uint32_t offset, uint32_t length) {
  plat::SetLastError(0);
  return outcome(plat::UnlockFile(handle, offset, 0, length, 0));
}

uint32_t commit(HANDLE handle) {
  plat::SetLastError(0);
  return outcome(plat::FlushFileBuffers(handle));
}

uint32_t close(HANDLE handle) {
  plat::SetLastError(0);
  return outcome(plat::CloseHandle(handle));
}

uint32_t remove(const char* name) {
  if (staged_file.staged(name)) return removal_outcome(name);
  plat::SetLastError(0);
  return outcome(plat::DeleteFileA(name));
}

uint32_t move(const char* old_name, const char* new_name) {
  plat::SetLastError(0);
  return outcome(plat::MoveFileA(old_name, new_name));
}

uint32_t copy(const char* source, const char* target) {
  plat::SetLastError(0);
  uint32_t error = outcome(plat::CopyFileA(source, target, plat::FALSE));
  return error == plat::ERROR_BAD_PATHNAME ? svc::err::invalid_filename : error;
}

uint32_t cut(HANDLE handle) {
  plat::SetLastError(0);
  return outcome(plat::SetEndOfFile(handle));
}

uint32_t set_time(HANDLE handle, uint32_t packed) {
  plat::FILETIME local{}, utc{};
  plat::SetLastError(0);
  bool ok = plat::DosDateTimeToFileTime(plat::WORD(packed >> 16), plat::WORD(packed & 0xFFFF),
                                        &local) &&
            plat::LocalFileTimeToFileTime(&local, &utc) &&
            plat::SetFileTime(handle, &utc, &utc, &utc);
  return outcome(ok);
}

uint32_t get_time(HANDLE handle) {
  plat::FILETIME write{}, local{};
  plat::WORD date = 0, time = 0;
  plat::SetLastError(0);
  bool ok = plat::GetFileTime(handle, nullptr, nullptr, &write) &&
            plat::FileTimeToLocalFileTime(&write, &local) &&
            plat::FileTimeToDosDateTime(&local, &date, &time);
  outcome(ok);
  return ok ? uint32_t(date) << 16 | time : 0;
}

}  // namespace drv::sys
