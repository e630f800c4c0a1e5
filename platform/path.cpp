// Path names and the current directory.
#include "platform/path.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/last_error.h"
#include "platform/posix/system.h"

namespace plat {
namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Copies `text` out by the buffer rules of path.h.
DWORD copy_out(const std::string& text, LPSTR buffer, DWORD size) {
  if (text.size() + 1 > size || buffer == nullptr) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// Resolves "." and ".." and repeated separators of an absolute path, keeping a
// final separator.
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

}  // namespace

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
  if (name == nullptr || *name == '\0') return detail::fail(ERROR_INVALID_NAME);
  std::string path = detail::system_path(name);
  if (path.front() != '/') {
    char current[4096];
    if (sys::getcwd(current, sizeof current) == nullptr) return detail::fail_errno();
    path = std::string(current) + "/" + path;
  }
  std::string full = resolve_dots(path);
  DWORD result = copy_out(full, buffer, size);
  if (file_part != nullptr && result == full.size()) {
    size_t last = full.rfind('/') + 1;
    *file_part = last < full.size() ? buffer + last : nullptr;
  }
  return result;
}

namespace {

// The short and long forms of an existing path are the path as given here.
DWORD existing_path_as_given(LPCSTR name, LPSTR buffer, DWORD size) {
  if (name == nullptr) return detail::fail(ERROR_INVALID_PARAMETER);
  if (*name == '\0') return detail::fail(ERROR_FILE_NOT_FOUND);
  std::string path = detail::system_path(name);
  struct stat status;
  if (sys::stat(path.c_str(), &status) != 0) return detail::fail(detail::path_error(errno, path));
  return copy_out(name, buffer, size);
}

}  // namespace

DWORD GetShortPathNameA(LPCSTR name, LPSTR buffer, DWORD size) {
  return existing_path_as_given(name, buffer, size);
}

DWORD GetLongPathNameA(LPCSTR name, LPSTR buffer, DWORD size) {
  return existing_path_as_given(name, buffer, size);
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::vector<char> current(4096);
  while (sys::getcwd(current.data(), current.size()) == nullptr) {
    if (errno != ERANGE || current.size() >= (1u << 20)) return detail::fail_errno();
    current.resize(current.size() * 2);
  }
  return copy_out(current.data(), buffer, size);
}

BOOL SetCurrentDirectoryA(LPCSTR name) {
  if (name == nullptr || *name == '\0') return detail::fail(ERROR_INVALID_PARAMETER);
  std::string path = detail::system_path(name);
  if (sys::chdir(path.c_str()) == 0) return TRUE;
  int error = errno;
  struct stat status;
  if (error == ENOTDIR && sys::stat(path.c_str(), &status) == 0) return detail::fail(ERROR_DIRECTORY);
  return detail::fail(detail::path_error(error, path));
}

namespace detail {

std::string system_path(LPCSTR name) {
  std::string path = name != nullptr ? name : "";
  for (char& c : path) {
    if (is_separator(c)) c = '/';
  }
  size_t last = path.rfind('/') + 1;  // 0 when there is no separator
  size_t length = path.size() - last;
  if (length >= 2 && path.back() == '.' && path[path.size() - 2] != '.') path.pop_back();
  return path;
}

DWORD missing_name_error(const std::string& path) {
  std::string folder = path;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  size_t cut = folder.rfind('/');
  if (cut == std::string::npos) return ERROR_FILE_NOT_FOUND;  // in the current directory
  folder.resize(cut == 0 ? 1 : cut);
  struct stat status;
  if (sys::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return ERROR_FILE_NOT_FOUND;
  return ERROR_PATH_NOT_FOUND;
}

DWORD path_error(int error, const std::string& path) {
  if (error == ENOENT) return missing_name_error(path);
  return error_from_errno(error);
}

}  // namespace detail
}  // namespace plat
