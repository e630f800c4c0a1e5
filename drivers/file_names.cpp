#include "drivers/file_names.h"

#include <cstring>

#include "drivers/full_path.h"
#include "drivers/low_level_io.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/text.h"
#include "services/error_state.h"

namespace drv {
namespace {

constexpr uint32_t kTargetSize = 2 * kFullPathSize;

const char* file_name_of(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (plat::is_path_separator(*p)) name = p + 1;
  return name;
}

// destination + the source's file name, by the target rules; false when too long.
bool first_target(const char* source, const char* destination, uint32_t length, char* out) {
  const char* name = file_name_of(source);
  const char* joint = "\\";
  if (length > 0 && plat::is_path_separator(destination[length - 1]))
    joint = "";
  else if (length > 0 && destination[length - 1] == ':') joint = ".\\";
  uint32_t joint_length = uint32_t(std::strlen(joint));
  uint32_t name_length = uint32_t(std::strlen(name));
  if (length + joint_length + name_length >= kTargetSize) return false;
  std::memcpy(out, destination, length);
  std::memcpy(out + length, joint, joint_length);
  std::memcpy(out + length + joint_length, name, name_length + 1);
  return true;
}

// The destination alone, expanded with the source's extension as default.
bool second_target(const char* source, const char* destination, uint32_t length, char* out) {
  char plain[kFullPathSize];
  if (length >= kFullPathSize) return false;
  std::memcpy(plain, destination, length);
  plain[length] = 0;
  return expand_full_path(plain, extension_of(source), out) == 0;
}

int32_t rename_code(uint32_t error) {
  if (error == plat::ERROR_FILE_NOT_FOUND || error == plat::ERROR_PATH_NOT_FOUND)
    return int32_t(error);
  return error == 0 ? 0 : svc::err::access_denied;
}

// The same name without regard to case; both separators count as one.
bool same_name(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (plat::is_path_separator(*a) && plat::is_path_separator(*b)) continue;
    char x[2] = {*a, 0}, y[2] = {*b, 0};
    if (plat::lstrcmpiA(x, y) != 0) return false;
    if (*a == 0) return true;
  }
}

int32_t copy_to(const char* source, const char* target) {
  if (same_name(source, target)) return 0;
  return int32_t(sys::copy(source, target));
}

using Transfer = int32_t (*)(const char* source, const char* target);

int32_t transfer_file(const char* source, const char* destination, uint32_t length,
                      Transfer transfer) {
  char target[kTargetSize];
  int32_t code = first_target(source, destination, length, target) ? transfer(source, target)
                                                                   : svc::err::invalid_filename;
  // A destination that ends with a separator names a folder: made into a
  // name of its own it would be the folder and an extension alone (".gif"),
  // a file the caller never asked for, so the first failure stands.
  const bool folder = length > 0 && plat::is_path_separator(destination[length - 1]);
  if (code != 0 && !folder && second_target(source, destination, length, target))
    code = transfer(source, target);
  return code;
}

}  // namespace

int32_t remove_file(const char* name) { return rename_code(sys::remove(name)); }

int32_t copy_file(const char* source, const char* destination, uint32_t length) {
  return transfer_file(source, destination, length, copy_to);
}

int32_t rename_file(const char* source, const char* destination, uint32_t length) {
  return transfer_file(source, destination, length, [](const char* s, const char* t) {
    return rename_code(sys::move(s, t));
  });
}

}  // namespace drv
