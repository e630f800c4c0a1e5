#include "runtime/directory.h"

#include <cstring>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "runtime/locale.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace rt {

DirectoryErrors& directory_errors() {
  static DirectoryErrors errors;
  return errors;
}

namespace {

// The system's last error after a failed call, reset to 0 for the next one.
plat::DWORD take_last_error() {
  const plat::DWORD error = plat::GetLastError();
  plat::SetLastError(0);
  return error;
}

// A path argument as a C string of at most kPathMax bytes; an empty one is
// the current directory.
struct PathArgument {
  char text[kPathMax + 1] = {};
  uint32_t length = 0;

  explicit PathArgument(std::string_view path) {
    if (path.size() > kPathMax) path = path.substr(0, kPathMax);
    if (!path.empty()) std::memcpy(text, path.data(), path.size());
    length = static_cast<uint32_t>(path.size());
    text[length] = '\0';
    if (length == 0) {
      const plat::DWORD n = plat::GetCurrentDirectoryA(sizeof text, text);
      length = n > 0 && n < sizeof text ? n : 0;
      if (length == 0) take_last_error();
      text[length] = '\0';
    }
  }

  uint32_t copy_to(char* out) const {
    std::memcpy(out, text, length + 1);
    return length;
  }
};

bool short_name_forbidden(char c) {
  return std::strchr(" +,;=[]", c) != nullptr && c != '\0';
}

// Cuts the component out[start, end) to an 8-byte name and a 3-byte
// extension after its first dot; returns the new end.
uint32_t shorten_component(char* out, uint32_t start, uint32_t end) {
  const char* dot = static_cast<const char*>(std::memchr(out + start, '.', end - start));
  const uint32_t dot_at = dot == nullptr ? end : static_cast<uint32_t>(dot - out);
  const uint32_t base = dot_at - start < 8 ? dot_at - start : 8;
  uint32_t at = start + base;
  if (dot != nullptr) {
    const uint32_t extension = end - dot_at - 1 < 3 ? end - dot_at - 1 : 3;
    std::memmove(out + at, out + dot_at, 1 + extension);
    at += 1 + extension;
  }
  return at;
}

// The name the directory holds for the last component of `path`: the entry
// itself when it exists as written, else the one entry that matches it
// without regard to case. Null when there is none (or more than one).
bool stored_name(const char* path, uint32_t component_start, char* name) {
  plat::WIN32_FIND_DATAA found;
  plat::HANDLE search = plat::FindFirstFileA(path, &found);
  if (search != plat::INVALID_HANDLE_VALUE) {
    plat::FindClose(search);
    std::memcpy(name, found.cFileName, sizeof found.cFileName);
    return true;
  }
  take_last_error();
  char pattern[kPathMax + 3];
  std::memcpy(pattern, path, component_start);
  std::memcpy(pattern + component_start, "*", 2);
  search = plat::FindFirstFileA(pattern, &found);
  if (search == plat::INVALID_HANDLE_VALUE) {
    take_last_error();
    return false;
  }
  const char* wanted = path + component_start;
  const Locale& loc = locale();
  uint32_t matches = 0;
  do {
    const size_t n = std::strlen(found.cFileName);
    bool same = n == std::strlen(wanted);
    for (size_t i = 0; same && i < n; ++i) {
      same = loc.to_upper(static_cast<uint8_t>(found.cFileName[i])) ==
             loc.to_upper(static_cast<uint8_t>(wanted[i]));
    }
    if (same && ++matches == 1) std::memcpy(name, found.cFileName, sizeof found.cFileName);
  } while (plat::FindNextFileA(search, &found));
  take_last_error();
  plat::FindClose(search);
  return matches == 1;
}

}  // namespace

char* current_directory(char* buffer, uint32_t size) {
  DirectoryErrors& errors = directory_errors();
  const bool own_block = buffer == nullptr;
  if (own_block) {
    size = plat::GetCurrentDirectoryA(0, nullptr);
    if (size == 0) {
      errors.set(static_cast<int32_t>(take_last_error()));
      return nullptr;
    }
    buffer = static_cast<char*>(svc::allocate(size));
    if (buffer == nullptr) {
      errors.set(kNoMemoryErrorNumber);
      return nullptr;
    }
  }
  const plat::DWORD n = plat::GetCurrentDirectoryA(size, buffer);
  if (n > 0 && n < size) return buffer;
  errors.set(n == 0 ? static_cast<int32_t>(take_last_error()) : kRangeErrorNumber);
  if (own_block) svc::release(buffer);
  return nullptr;
}

int32_t create_directory(const char* path) {
  if (path != nullptr && plat::CreateDirectoryA(path, nullptr)) return 0;
  directory_errors().set(path == nullptr ? static_cast<int32_t>(plat::ERROR_INVALID_PARAMETER)
                                         : static_cast<int32_t>(take_last_error()));
  return -1;
}

uint32_t short_path_by_rule(std::string_view path, char* out) {
  constexpr uint32_t limit = kShortPathLimit - 1;
  uint32_t length = 0;
  uint32_t component = 0;
  for (size_t i = 0; i < path.size() && length < limit; ++i) {
    char c = path[i];
    if (c == '/') c = '\\';
    if (short_name_forbidden(c) || (c == ':' && i != 1)) c = '_';
    if (c == '\\') {
      length = shorten_component(out, component, length);
      out[length++] = '\\';
      component = length;
    } else {
      out[length++] = c;
    }
  }
  length = shorten_component(out, component, length);
  out[length] = '\0';
  return length;
}

uint32_t short_path_of(std::string_view path, char* out) {
  const PathArgument arg(path);
  char shown[kShortPathLimit];
  const plat::DWORD n = plat::GetShortPathNameA(arg.text, shown, sizeof shown);
  if (n > 0 && n < sizeof shown) {
    uint32_t length = n;
    std::memcpy(out, shown, length);
    // A bare drive names its root.
    if (length == 2 && shown[1] == ':') out[length++] = '\\';
    out[length] = '\0';
    return length;
  }
  if (n == 0 && take_last_error() == plat::ERROR_INVALID_PARAMETER) {
    return short_path_by_rule(std::string_view(arg.text, arg.length), out);
  }
  return arg.copy_to(out);
}

uint32_t long_path_of(std::string_view path, char* out) {
  const PathArgument arg(path);
  const plat::DWORD n = plat::GetFullPathNameA(arg.text, kPathMax + 1, out, nullptr);
  if (n == 0 || n > kPathMax) {
    if (n == 0) take_last_error();
    return arg.copy_to(out);
  }
  // Each component in turn, against the path up to it; a missing one stays
  // as written. Wild cards would name some other entry: never looked up.
  char name[plat::MAX_PATH];
  for (uint32_t start = 0; start < n;) {
    while (start < n && plat::is_path_separator(out[start])) ++start;
    uint32_t end = start;
    while (end < n && !plat::is_path_separator(out[end])) ++end;
    if (end > start && std::memchr(out + start, '*', end - start) == nullptr &&
        std::memchr(out + start, '?', end - start) == nullptr) {
      const char kept = out[end];
      out[end] = '\0';
      if (stored_name(out, start, name) && std::strlen(name) == end - start) {
        std::memcpy(out + start, name, end - start);
      }
      out[end] = kept;
    }
    start = end;
  }
  out[n] = '\0';
  return n;
}

namespace {

// Pops the path argument: clipped, at most kPathMax bytes.
void pop_path(char (&path)[kPathMax + 1]) {
  clip();
  string_stack().pop_into_cstring(path, sizeof path);
}

void convert_on_stack(uint32_t (*convert)(std::string_view, char*)) {
  svc::error_state().clear();
  char path[kPathMax + 1];
  pop_path(path);
  char result[kPathMax + 1];
  convert(path, result);
  string_stack().push_cstring(result);
}

}  // namespace

void short_path() { convert_on_stack(short_path_of); }
void long_path() { convert_on_stack(long_path_of); }

}  // namespace rt
