// Files and directories: argument checks and the Windows results around the
// system part beside this file.
#include "platform/file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/ascii.h"
#include "platform/clock.h"
#include "platform/handle_table.h"
#include "platform/last_error.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

// The system part of this service.
#ifdef _WIN32
#include "platform/win32/file.inc"
#else
#include "platform/posix/file.inc"
#endif

namespace plat {
namespace {

using detail::fail;

bool valid_creation(DWORD creation) {
  return creation >= CREATE_NEW && creation <= TRUNCATE_EXISTING;
}

uint64_t join(DWORD high, DWORD low) {
  return (uint64_t{high} << 32) | low;
}

using detail::ascii_lower;

#ifndef _WIN32  // only the Linux half's copy needs it
// Removes what stands at `name`, as DeleteFileA does; a name with nothing
// there is already clear.
bool clear_entry(LPCSTR name) {
  if (DeleteFileA(name)) return true;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
#endif

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags_and_attributes, HANDLE template_file) {
  bool bad_truncate = creation == TRUNCATE_EXISTING && !(access & GENERIC_WRITE);
  if (name == nullptr || security != nullptr || template_file != nullptr ||
      !valid_creation(creation) || bad_truncate) {
    fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = detail::system_path(name);
  if (path.empty()) {
    fail(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  bool existed = false;
  HANDLE file =
      detail::open_file(path, access, share_mode, creation, flags_and_attributes, &existed);
  if (file == INVALID_HANDLE_VALUE) return file;
  // Windows tells on success whether CREATE_ALWAYS or OPEN_ALWAYS met an existing file.
  bool tells_existing = creation == CREATE_ALWAYS || creation == OPEN_ALWAYS;
  SetLastError(tells_existing && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return file;
}

namespace {

constexpr size_t kRandomRunMin = 6;
constexpr unsigned kUniqueNameTries = 100;
constexpr char kNameLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

// Where the last run of 'X's of `name` begins, and its length.
struct random_run {
  size_t start = 0, length = 0;
};

random_run last_run_of_x(const char* name) {
  size_t end = std::strlen(name);
  while (end > 0 && name[end - 1] != 'X') --end;
  size_t start = end;
  while (start > 0 && name[start - 1] == 'X') --start;
  return {start, end - start};
}

// Fills the run with random letters and digits.
bool fill_random(char* run, size_t length) {
  std::vector<unsigned char> bytes(length);
  if (!detail::random_fill(bytes.data(), length)) return false;
  for (size_t i = 0; i < length; ++i) run[i] = kNameLetters[bytes[i] % (sizeof kNameLetters - 1)];
  return true;
}

}  // namespace

HANDLE CreateUniqueFileA(LPSTR name, DWORD access, DWORD share_mode, DWORD flags_and_attributes, LPCSTR like) {
  const random_run run = name != nullptr ? last_run_of_x(name) : random_run{};
  if (run.length < kRandomRunMin) {
    fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  for (unsigned attempt = 0; attempt < kUniqueNameTries; ++attempt) {
    if (!fill_random(name + run.start, run.length)) return INVALID_HANDLE_VALUE;
    const HANDLE file = CreateFileA(name, access, share_mode, nullptr, CREATE_NEW, flags_and_attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return file;
    }
    if (like == nullptr || detail::take_access(file, detail::system_path(like))) {
      SetLastError(ERROR_SUCCESS);
      return file;
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    DeleteFileA(name);
    fail(error);
    return INVALID_HANDLE_VALUE;
  }
  fail(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

HANDLE OpenInputStreamA(LPCSTR name) {
  if (name == nullptr) {
    fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = detail::system_path(name);
  if (path.empty()) {
    fail(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE stream = detail::open_stream(path);
  if (stream == nullptr)
    stream = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  else if (stream != INVALID_HANDLE_VALUE)
    SetLastError(ERROR_SUCCESS);
  return stream;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD bytes_read,
              LPOVERLAPPED overlapped) {
  DWORD done = 0;
  if (bytes_read != nullptr) *bytes_read = 0;
  if (overlapped != nullptr || (buffer == nullptr && bytes > 0)) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  BOOL ok = detail::read_file(file, buffer, bytes, &done);
  if (bytes_read != nullptr) *bytes_read = done;
  return ok;
}

BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD bytes_written,
               LPOVERLAPPED overlapped) {
  DWORD done = 0;
  if (bytes_written != nullptr) *bytes_written = 0;
  if (overlapped != nullptr || (bytes == nullptr && count > 0)) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  BOOL ok = detail::write_file(file, bytes, count, &done);
  if (bytes_written != nullptr) *bytes_written = done;
  return ok;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD method) {
  int64_t move = distance_high != nullptr
                     ? static_cast<int64_t>(
                           join(static_cast<DWORD>(*distance_high), static_cast<DWORD>(distance)))
                     : distance;
  int64_t position = detail::seek_file(file, move, method);
  if (position < 0) return INVALID_SET_FILE_POINTER;
  if (distance_high == nullptr && position > 0xFFFFFFFFll) {
    detail::seek_file(file, -move, FILE_CURRENT);  // a 32-bit caller cannot name this place
    fail(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distance_high != nullptr) *distance_high = static_cast<LONG>(position >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

BOOL SetEndOfFile(HANDLE file) {
  return detail::truncate_file(file);
}

BOOL FlushFileBuffers(HANDLE file) {
  return detail::flush_file(file);
}

DWORD GetFileSize(HANDLE file, LPDWORD size_high) {
  int64_t size = detail::file_size(file);
  if (size < 0) return INVALID_FILE_SIZE;
  if (size_high != nullptr) *size_high = static_cast<DWORD>(uint64_t(size) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL LockFile(HANDLE file, DWORD offset_low, DWORD offset_high, DWORD bytes_low, DWORD bytes_high) {
  return detail::lock_range(file, join(offset_high, offset_low), join(bytes_high, bytes_low),
                            false);
}

#ifndef _WIN32  // Windows locks with its own call, shared locks included
BOOL LockFileEx(HANDLE file, DWORD flags, DWORD reserved, DWORD bytes_low, DWORD bytes_high,
                LPOVERLAPPED overlapped) {
  constexpr DWORD known = LOCKFILE_FAIL_IMMEDIATELY | LOCKFILE_EXCLUSIVE_LOCK;
  if (overlapped == nullptr || reserved != 0 || (flags & ~known) != 0 ||
      !(flags & LOCKFILE_EXCLUSIVE_LOCK)) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  return detail::lock_range(file, join(overlapped->OffsetHigh, overlapped->Offset),
                            join(bytes_high, bytes_low), !(flags & LOCKFILE_FAIL_IMMEDIATELY));
}
#endif

BOOL UnlockFile(HANDLE file, DWORD offset_low, DWORD offset_high, DWORD bytes_low,
                DWORD bytes_high) {
  return detail::unlock_range(file, join(offset_high, offset_low), join(bytes_high, bytes_low));
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  if (information == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return detail::describe_file(file, information);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME access, LPFILETIME write) {
  return detail::get_file_times(file, creation, access, write);
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write) {
  (void)creation;  // the system keeps no creation time that could be set
  return detail::set_file_times(file, access, write);
}

BOOL DeleteFileA(LPCSTR name) {
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::string path = detail::system_path(name);
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  return detail::delete_file(path);
}

BOOL MoveFileA(LPCSTR existing, LPCSTR new_name) {
  if (existing == nullptr || new_name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::string from = detail::system_path(existing), to = detail::system_path(new_name);
  if (from.empty() || to.empty()) return fail(ERROR_PATH_NOT_FOUND);
  int renamed = detail::rename_no_replace(from, to);
  if (renamed >= 0) return renamed;
  // Another file system: a file moves as a copy and a removal.
  if (!CopyFileA(existing, new_name, TRUE)) return FALSE;
  if (DeleteFileA(existing)) return TRUE;
  DWORD error = GetLastError();
  DeleteFileA(new_name);
  return fail(error);
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) {
  constexpr DWORD known = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  if (existing == nullptr || new_name == nullptr || (flags & ~known) != 0) return fail(ERROR_INVALID_PARAMETER);
  std::string from = detail::system_path(existing), to = detail::system_path(new_name);
  if (from.empty() || to.empty()) return fail(ERROR_PATH_NOT_FOUND);
  const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  int moved = replace ? detail::rename_replacing(from, to) : detail::rename_no_replace(from, to);
  if (moved < 0) {  // another file system
    if (!(flags & MOVEFILE_COPY_ALLOWED)) return fail(ERROR_NOT_SAME_DEVICE);
    if (!CopyFileA(existing, new_name, replace ? FALSE : TRUE)) return FALSE;
    if (!DeleteFileA(existing)) {
      DWORD error = GetLastError();
      DeleteFileA(new_name);
      return fail(error);
    }
    moved = TRUE;
  }
  if (moved && (flags & MOVEFILE_WRITE_THROUGH)) detail::sync_entry(to);
  return moved;
}

BOOL GetNameEntry(LPCSTR name, name_entry* entry) {
  if (name == nullptr || entry == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::string path = detail::system_path(name);
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  *entry = name_entry{};
  return detail::look_at_entry(path, entry);
}

BOOL CanCreateFileIn(LPCSTR name) {
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  const std::string path = detail::system_path(name);
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  return detail::may_create_in(path);
}

#ifndef _WIN32  // Windows copies with its own call
BOOL CopyFileA(LPCSTR existing, LPCSTR new_name, BOOL fail_if_exists) {
  HANDLE source = CreateFileA(existing, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (source == INVALID_HANDLE_VALUE) return FALSE;
  FILETIME written{};
  HANDLE target = INVALID_HANDLE_VALUE;
  if (GetFileTime(source, nullptr, nullptr, &written) &&
      (fail_if_exists || clear_entry(new_name))) {
    // A new entry is always made: nothing is written through a link, or into
    // a file that other names share, left in the target's place.
    target = CreateFileA(new_name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  }
  if (target == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    CloseHandle(source);
    return fail(error);
  }
  // Left unset: a small file touches only the pages it fills.
  constexpr DWORD block_size = 1 << 16;
  auto block = std::make_unique_for_overwrite<char[]>(block_size);
  DWORD got = 0, put = 0;
  BOOL ok;
  while ((ok = ReadFile(source, block.get(), block_size, &got, nullptr)) && got > 0) {
    if (!(ok = WriteFile(target, block.get(), got, &put, nullptr))) break;
  }
  if (ok) ok = SetFileTime(target, nullptr, nullptr, &written);
  DWORD error = GetLastError();
  CloseHandle(source);
  // A target that does not close well may lack its last bytes.
  if (!CloseHandle(target) && ok) {
    ok = FALSE;
    error = GetLastError();
  }
  if (ok) return TRUE;
  DeleteFileA(new_name);  // no half copy is left behind
  return fail(error);
}
#endif

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security) {
  if (name == nullptr || security != nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::string path = detail::system_path(name);
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  return detail::make_directory(path);
}

BOOL RemoveDirectoryA(LPCSTR name) {
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::string path = detail::system_path(name);
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  return detail::remove_directory(path);
}

#ifndef _WIN32  // Windows answers with its own call
DWORD GetFileAttributesA(LPCSTR name) {
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER), INVALID_FILE_ATTRIBUTES;
  std::string path = detail::system_path(name);
  detail::name_status status;
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND), INVALID_FILE_ATTRIBUTES;
  if (!detail::look_up(path, &status)) return INVALID_FILE_ATTRIBUTES;
  return detail::attributes_of(status);
}
#endif

// Packed DOS dates and times.

BOOL FileTimeToDosDateTime(const FILETIME* time, LPWORD dos_date, LPWORD dos_time) {
  SYSTEMTIME parts;
  if (time == nullptr || dos_date == nullptr || dos_time == nullptr ||
      !FileTimeToSystemTime(time, &parts) || parts.wYear < 1980 || parts.wYear > 2107) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  *dos_date = static_cast<WORD>(((parts.wYear - 1980) << 9) | (parts.wMonth << 5) | parts.wDay);
  *dos_time = static_cast<WORD>((parts.wHour << 11) | (parts.wMinute << 5) | (parts.wSecond / 2));
  return TRUE;
}

BOOL DosDateTimeToFileTime(WORD dos_date, WORD dos_time, LPFILETIME time) {
  if (time == nullptr) return fail(ERROR_INVALID_PARAMETER);
  SYSTEMTIME parts{};
  parts.wYear = static_cast<WORD>(1980 + (dos_date >> 9));
  parts.wMonth = (dos_date >> 5) & 0xF;
  parts.wDay = dos_date & 0x1F;
  parts.wHour = dos_time >> 11;
  parts.wMinute = (dos_time >> 5) & 0x3F;
  parts.wSecond = static_cast<WORD>((dos_time & 0x1F) * 2);
  return SystemTimeToFileTime(&parts, time);
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
  if (utc == nullptr || local == nullptr) return fail(ERROR_INVALID_PARAMETER);
  int64_t nanoseconds = 0;
  int64_t seconds = detail::unix_from_filetime(*utc, &nanoseconds);
  *local = detail::filetime_from_unix(seconds + detail::local_offset_at_utc(seconds), nanoseconds);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) {
  if (utc == nullptr || local == nullptr) return fail(ERROR_INVALID_PARAMETER);
  int64_t nanoseconds = 0;
  int64_t seconds = detail::unix_from_filetime(*local, &nanoseconds);
  *utc = detail::filetime_from_unix(seconds - detail::local_offset_at_local(seconds), nanoseconds);
  return TRUE;
}

// Directory searches.

#ifndef _WIN32  // Windows searches with its own calls
namespace {

struct find_search : detail::kernel_object {
  find_search() : kernel_object(detail::object_kind::find) {}
  std::vector<WIN32_FIND_DATAA> found;
  size_t next = 0;
};

// '*' matches any run of bytes, '?' any one byte; letters match without regard
// to ASCII case. "*.*" matches every name, also one without a period.
bool wildcard_match(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || ascii_lower(*pattern) == ascii_lower(*name)) {
      ++pattern, ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

bool describe(const std::string& folder, const std::string& name, WIN32_FIND_DATAA* data) {
  detail::name_status status;
  if (!detail::look_up(folder + name, &status)) return false;
  *data = WIN32_FIND_DATAA{};
  detail::describe_entry(status, data);
  std::strncpy(data->cFileName, name.c_str(), MAX_PATH - 1);
  return true;
}

// Fills `search` with the entries of `folder` matching `pattern`, "." and ".."
// first, then by name.
bool collect_matches(const std::string& folder, const std::string& pattern, find_search* search) {
  std::vector<std::string> names;
  if (!detail::list_folder(folder.empty() ? "." : folder, &names)) return false;
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    bool a_dots = a == "." || a == "..", b_dots = b == "." || b == "..";
    return a_dots != b_dots ? a_dots : a < b;
  });
  for (const std::string& name : names) {
    WIN32_FIND_DATAA data;
    if (wildcard_match(pattern.c_str(), name.c_str()) && describe(folder, name, &data)) {
      search->found.push_back(data);
    }
  }
  return true;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
  if (pattern == nullptr || found == nullptr) {
    fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = detail::system_path(pattern);
  size_t cut = path.rfind('/') + 1;
  std::string folder = path.substr(0, cut), last = path.substr(cut);
  auto search = std::make_shared<find_search>();
  bool listed = true;
  if (last.empty()) {
    fail(ERROR_FILE_NOT_FOUND);
    listed = false;
  } else if (last.find_first_of("*?") == std::string::npos) {
    WIN32_FIND_DATAA data;
    if ((listed = describe(folder, last, &data))) search->found.push_back(data);
  } else {
    listed = collect_matches(folder, last, search.get());
  }
  if (!listed) return INVALID_HANDLE_VALUE;
  if (search->found.empty()) {
    fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *found = search->found[0];
  search->next = 1;
  HANDLE handle = detail::add_object(std::move(search));
  return handle != nullptr ? handle : INVALID_HANDLE_VALUE;
}

BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) {
  auto state = detail::find<find_search>(search, detail::object_kind::find);
  if (!state) return FALSE;
  if (found == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (state->next >= state->found.size()) return fail(ERROR_NO_MORE_FILES);
  *found = state->found[state->next++];
  return TRUE;
}
#endif

BOOL FindClose(HANDLE search) {
  return detail::remove_object(
      search, [](detail::object_kind kind) { return kind == detail::object_kind::find; });
}

HANDLE GetStdHandle(DWORD which) {
  if (which != STD_INPUT_HANDLE && which != STD_OUTPUT_HANDLE && which != STD_ERROR_HANDLE) {
    fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return detail::open_standard_stream(which);
}

// Old-style file numbers: the handle's value itself.

HFILE _lopen(LPCSTR name, int mode) {
  HANDLE file;
  if (name != nullptr && detail::same_ascii_text(name, "AUX")) {
    file = detail::open_standard_stream(STD_ERROR_HANDLE);
  } else {
    DWORD access = (mode & 3) == OF_WRITE       ? GENERIC_WRITE
                   : (mode & 3) == OF_READWRITE ? GENERIC_READ | GENERIC_WRITE
                                                : GENERIC_READ;
    file = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == nullptr || file == INVALID_HANDLE_VALUE) return HFILE_ERROR;
  return static_cast<HFILE>(reinterpret_cast<uintptr_t>(file));
}

namespace {
HANDLE handle_of(HFILE file) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(file));
}
}  // namespace

UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
  DWORD done = 0;
  return ReadFile(handle_of(file), buffer, bytes, &done, nullptr) ? done : UINT(-1);
}

UINT _lwrite(HFILE file, LPCSTR bytes, UINT count) {
  // Writing nothing cuts the file at the position, as it always has.
  if (count == 0) return SetEndOfFile(handle_of(file)) ? 0 : UINT(-1);
  DWORD done = 0;
  return WriteFile(handle_of(file), bytes, count, &done, nullptr) ? done : UINT(-1);
}

HFILE _lclose(HFILE file) {
  return CloseHandle(handle_of(file)) ? 0 : HFILE_ERROR;
}

}  // namespace plat
