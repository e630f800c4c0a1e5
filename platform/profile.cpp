// Profile (INI) files, read afresh at every call so that a change made by
// another program shows at once.
#include "platform/profile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/last_error.h"

#ifdef _WIN32
// Windows has every call of this service.
#include "platform/win32/profile.inc"
#else
#include <cerrno>

#include "platform/posix/system.h"

namespace plat {
namespace {

constexpr std::string_view blanks = " \t\r\n\v\f";

std::string_view trim(std::string_view text) {
  size_t start = text.find_first_not_of(blanks);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

using detail::ascii_lower;
using detail::same_ascii_text;

// A profile is a short text: what lies past its first MiB is not read, so
// that no file can take the memory.
constexpr size_t profile_size_limit = size_t{1} << 20;

// The file (its first profile_size_limit bytes), or nothing (last error set)
// when it cannot be read. Only a regular file opens: anything else counts as
// missing.
std::optional<std::string> read_whole(const std::string& name) {
  // No file at all, the usual case of a system profile that nobody wrote,
  // costs one look-up rather than an open.
  struct stat status;
  const std::string path = detail::system_path(name.c_str());
  if (path.empty() || (sys::stat(path.c_str(), &status) != 0 && errno == ENOENT)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char block[4096];
  DWORD got = 0;
  BOOL ok = TRUE;
  while (text.size() < profile_size_limit) {
    DWORD wanted = DWORD(std::min(sizeof block, profile_size_limit - text.size()));
    if (!(ok = ReadFile(file, block, wanted, &got, nullptr)) || got == 0) break;
    text.append(block, got);
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return text;
}

// One line of a profile as its parts.
struct profile_line {
  enum { other, section, entry } kind = other;
  std::string_view name;   // the section's or the key's
  std::string_view value;  // an entry's, quotes removed
};

profile_line parse_line(std::string_view line) {
  profile_line parsed;
  // Callers get C strings back, so a line ends at a stray NUL byte.
  line = trim(line.substr(0, line.find('\0')));
  if (line.empty() || line[0] == ';') return parsed;
  if (line[0] == '[') {
    size_t close = line.find(']');
    parsed.kind = profile_line::section;
    parsed.name = trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
    return parsed;
  }
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = profile_line::entry;
  parsed.name = trim(line.substr(0, equals));
  parsed.value = trim(line.substr(equals + 1));
  std::string_view& v = parsed.value;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return parsed;
}

// Walks the lines of `text`, calling `visit(line, in_wanted_section)`.
template <typename Visit>
void walk(const std::string& text, const char* section, Visit visit) {
  bool inside = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    profile_line line = parse_line(std::string_view(text).substr(start, end - start));
    if (line.kind == profile_line::section)
      inside = section != nullptr && same_ascii_text(line.name, section);
    visit(line, inside);
    start = end + 1;
  }
}

// The value of `key` in `section`; the first one when written twice.
std::optional<std::string> find_value(const std::string& text, const char* section,
                                      const char* key) {
  std::optional<std::string> found;
  walk(text, section, [&](const profile_line& line, bool inside) {
    if (!found && inside && line.kind == profile_line::entry && same_ascii_text(line.name, key)) {
      found = std::string(line.value);
    }
  });
  return found;
}

// Every section name, or every key of `section`, once each, in file order.
std::vector<std::string> list_names(const std::string& text, const char* section) {
  std::vector<std::string> names;
  auto add = [&names](std::string_view name) {
    for (const std::string& known : names) {
      if (same_ascii_text(known, name)) return;
    }
    names.emplace_back(name);
  };
  walk(text, section, [&](const profile_line& line, bool inside) {
    if (section == nullptr && line.kind == profile_line::section) add(line.name);
    if (section != nullptr && inside && line.kind == profile_line::entry) add(line.name);
  });
  return names;
}

// Copies a value, cut to size - 1 bytes.
DWORD copy_value(std::string_view value, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  size_t length = std::min<size_t>(value.size(), size - 1);
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

// Copies a list of names, each NUL-ended, with a second NUL at the end. A list
// that does not fit is cut and returns size - 2, as Windows does.
DWORD copy_list(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size < 2) {
    if (buffer != nullptr && size == 1) buffer[0] = '\0';
    return 0;
  }
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  if (list.size() + 1 > size) {
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = buffer[size - 1] = '\0';
    return size - 2;
  }
  std::memcpy(buffer, list.data(), list.size());
  buffer[list.size()] = '\0';
  if (list.empty()) buffer[1] = '\0';
  return static_cast<DWORD>(list.size());
}

std::string system_profile_name() {
  if (const char* named = std::getenv("WININI"); named != nullptr && *named != '\0') return named;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config != '\0') return std::string(config) + "/win.ini";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/win.ini";
}

DWORD read_string(const std::string& file, LPCSTR section, LPCSTR key, LPCSTR default_value,
                  LPSTR buffer, DWORD size) {
  std::optional<std::string> text = read_whole(file);
  if (text && (section == nullptr || key == nullptr)) {
    return copy_list(list_names(*text, section), buffer, size);
  }
  std::optional<std::string> value;
  if (text) value = find_value(*text, section, key);
  if (value) return copy_value(*value, buffer, size);
  std::string_view fallback = default_value != nullptr ? default_value : "";
  fallback = fallback.substr(0, fallback.find_last_not_of(' ') + 1);
  if (section == nullptr || key == nullptr) return copy_list({}, buffer, size);
  DWORD length = copy_value(fallback, buffer, size);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return length;
}

// The value's leading number: decimal with an optional sign, or hexadecimal after 0x.
UINT leading_number(const std::string& value) {
  const char* p = value.c_str();
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  unsigned base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  uint32_t number = 0;
  for (;; ++p) {
    char c = ascii_lower(*p);
    unsigned digit = c >= '0' && c <= '9'                   ? unsigned(c - '0')
                     : (base == 16 && c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                                            : base;
    if (digit >= base) break;
    number = number * base + digit;
  }
  return negative ? 0u - number : number;
}

UINT read_int(const std::string& file, LPCSTR section, LPCSTR key, INT default_value) {
  if (section == nullptr || key == nullptr) return static_cast<UINT>(default_value);
  std::optional<std::string> text = read_whole(file);
  std::optional<std::string> value;
  if (text) value = find_value(*text, section, key);
  return value ? leading_number(*value) : static_cast<UINT>(default_value);
}

}  // namespace

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer,
                        DWORD size) {
  return read_string(system_profile_name(), section, key, default_value, buffer, size);
}

UINT GetProfileIntA(LPCSTR section, LPCSTR key, INT default_value) {
  return read_int(system_profile_name(), section, key, default_value);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer,
                               DWORD size, LPCSTR file_name) {
  return read_string(file_name != nullptr ? file_name : "", section, key, default_value, buffer,
                     size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value, LPCSTR file_name) {
  return read_int(file_name != nullptr ? file_name : "", section, key, default_value);
}

}  // namespace plat

#endif  // _WIN32
