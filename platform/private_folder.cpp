// The private folder: argument checks and names around the system part
// beside this file.
#include "platform/private_folder.h"

#include <string>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/handle.h"
#include "platform/last_error.h"
#include "platform/path.h"
#include "platform/unfinished_files.h"
#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

// The system part of this service.
#ifdef _WIN32
#include "platform/win32/private_folder.inc"
#else
#include "platform/posix/private_folder.inc"
#endif

namespace plat {

namespace {

// The name as the system takes it, without separators at its end (a folder's
// name may be given with one). Empty for a null or empty name.
std::string entry_name(LPCSTR name) {
  std::string path = name != nullptr ? detail::system_path(name) : std::string();
  while (path.size() > 1 && is_path_separator(path.back())) path.pop_back();
  return path;
}

}  // namespace

BOOL make_private_folder(LPCSTR folder, folder_fault* fault) {
  const std::string path = entry_name(folder);
  if (path.empty() || fault == nullptr) return detail::fail(ERROR_INVALID_PARAMETER);
  return detail::make_folder_private(path, fault);
}

hold_result hold_folder(LPCSTR lock_file, const hold_wait& wait) {
  const std::string path = entry_name(lock_file);
  if (path.empty()) return detail::fail(ERROR_INVALID_PARAMETER), hold_result::failed;
  return detail::take_hold(path, wait);
}

void remove_abandoned_copy() {
  detail::remove_noted();
}

void release_folder() {
  detail::drop_hold();
}

copy_result copy_into_folder(LPCSTR source, LPCSTR target) {
  const std::string from = entry_name(source), to = entry_name(target);
  if (from.empty() || to.empty())
    return detail::fail(ERROR_INVALID_PARAMETER), copy_result::source_failed;
  return detail::copy_private(from, to);
}

BOOL remove_copy(LPCSTR target) {
  const std::string path = entry_name(target);
  if (path.empty()) return detail::fail(ERROR_INVALID_PARAMETER);
  return detail::remove_made_copy(path);
}

}  // namespace plat
