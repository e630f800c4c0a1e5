#include "drivers/full_path.h"

#include <cstring>

#include "platform/last_error.h"
#include "platform/path.h"
#include "services/error_state.h"

namespace drv {
namespace {

const char* last_separator(const char* name) {
  const char* last = nullptr;
  for (const char* p = name; *p; ++p)
    if (plat::is_path_separator(*p)) last = p;
  return last;
}

// Appends text at out[used]; false when it would not fit with its NUL.
bool append(char* out, uint32_t& used, const char* text, uint32_t length) {
  if (used + length >= kFullPathSize) return false;
  std::memcpy(out + used, text, length);
  used += length;
  out[used] = 0;
  return true;
}

bool append_extension(char* out, uint32_t& used, const char* extension) {
  if (!extension || !*extension) return true;
  if (extension[0] != '.' && !append(out, used, ".", 1)) return false;
  return append(out, used, extension, uint32_t(std::strlen(extension)));
}

bool taken_unchanged(const char* name) {
  const char* colon = std::strchr(name, ':');
  return (colon && colon != name + 1) ||
         (plat::is_path_separator(name[0]) && plat::is_path_separator(name[1]));
}

// A drive letter, a colon and a separator: the name is complete as it stands.
bool starts_at_drive_root(const char* name) {
  char letter = static_cast<char>(name[0] | 0x20);
  return letter >= 'a' && letter <= 'z' && name[1] == ':' && plat::is_path_separator(name[2]);
}

}  // namespace

const char* extension_of(const char* name) {
  const char* period = std::strrchr(name, '.');
  if (!period) return nullptr;
  const char* separator = last_separator(name);
  return separator && separator > period ? nullptr : period + 1;
}

uint32_t expand_full_path(const char* name, const char* default_extension, char* out) {
  uint32_t length = uint32_t(std::strlen(name));
  bool has_extension = extension_of(name) != nullptr;
  uint32_t used = 0;
  out[0] = 0;
  if (length >= kFullPathSize) return svc::err::invalid_filename;
  if (!taken_unchanged(name) && !plat::is_path_separator(name[0]) && !starts_at_drive_root(name)) {
    char current[kFullPathSize];
    plat::SetLastError(0);
    plat::DWORD got = plat::GetCurrentDirectoryA(kFullPathSize, current);
    if (got == 0 || got >= kFullPathSize) {
      uint32_t error = plat::GetLastError();
      plat::SetLastError(0);
      return got == 0 && error != 0 ? error : svc::err::invalid_filename;
    }
    char separator = std::strchr(current, '\\') ? '\\' : '/';
    if (!append(out, used, current, got)) return svc::err::invalid_filename;
    if (got == 0 || !plat::is_path_separator(current[got - 1])) append(out, used, &separator, 1);
  }
  if (!append(out, used, name, length)) return svc::err::invalid_filename;
  if (!has_extension && !append_extension(out, used, default_extension))
    return svc::err::invalid_filename;
  return 0;
}

}  // namespace drv
