// Path names and the current directory.
#include "platform/path.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/last_error.h"

#ifdef _WIN32
// Windows has every call of this service.
#include "platform/win32/system.h"
#include "platform/win32/path.inc"
#else
#include "platform/posix/system.h"

// The system part of this service.
#include "platform/posix/path.inc"

namespace plat {
namespace {

// Copies `text` out by the buffer rules of path.h.
DWORD copy_out(const std::string& text, LPSTR buffer, DWORD size) {
  if (text.size() + 1 > size || buffer == nullptr) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// Resolves "." and ".." and repeated separators of an absolute path written
// with slashes, keeping a final separator.
std::string resolve_dots(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  if (result.empty() || path.back() == '/') result += '/';
  return result;
}

// The short and long forms of an existing path are the path as given here.
DWORD existing_path_as_given(LPCSTR name, LPSTR buffer, DWORD size) {
  if (name == nullptr) return detail::fail(ERROR_INVALID_PARAMETER);
  if (*name == '\0') return detail::fail(ERROR_FILE_NOT_FOUND);
  if (!detail::name_exists(detail::system_path(name))) return 0;
  return copy_out(name, buffer, size);
}

}  // namespace

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
  if (name == nullptr || *name == '\0') return detail::fail(ERROR_INVALID_NAME);
  std::string path = detail::system_path(name);
  if (path.front() != '/') {
    std::string current;
    if (!detail::current_directory(&current)) return 0;
    path = current + "/" + path;
  }
  std::string full = resolve_dots(path);
  DWORD result = copy_out(full, buffer, size);
  if (file_part != nullptr && result == full.size()) {
    size_t last = full.rfind('/') + 1;
    *file_part = last < full.size() ? buffer + last : nullptr;
  }
  return result;
}

DWORD GetShortPathNameA(LPCSTR name, LPSTR buffer, DWORD size) {
  return existing_path_as_given(name, buffer, size);
}

DWORD GetLongPathNameA(LPCSTR name, LPSTR buffer, DWORD size) {
  return existing_path_as_given(name, buffer, size);
}

DWORD GetFinalPathNameA(LPCSTR name, LPSTR buffer, DWORD size) {
  if (name == nullptr || *name == '\0') return detail::fail(ERROR_INVALID_NAME);
  const std::string path = detail::system_path(name);
  char* const resolved = sys::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return detail::fail(detail::path_error(errno, path));
  const std::string full = resolved;
  std::free(resolved);
  return copy_out(full, buffer, size);
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::string current;
  if (!detail::current_directory(&current)) return 0;
  return copy_out(current, buffer, size);
}

BOOL SetCurrentDirectoryA(LPCSTR name) {
  if (name == nullptr || *name == '\0') return detail::fail(ERROR_INVALID_PARAMETER);
  return detail::change_directory(detail::system_path(name));
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  const char* set = std::getenv("TMPDIR");
  std::string folder = set != nullptr && *set != '\0' ? set : "/tmp";
  if (folder.back() != '/') folder += '/';
  return copy_out(folder, buffer, size);
}

}  // namespace plat

#endif  // _WIN32
