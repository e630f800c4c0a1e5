#include "app/work_copies.h"

#include <cstring>

#include "app/run_outcome.h"
#include "drivers/file_declaration.h"
#include "platform/unfinished_files.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"

namespace app {

namespace {

// The copy as a C string, for the list of unfinished files.
void mark_copy_unfinished(std::string_view copy) {
  char name[kWorkPathSize + 1];
  const size_t n = copy.size() < kWorkPathSize ? copy.size() : kWorkPathSize;
  std::memcpy(name, copy.data(), n);
  name[n] = '\0';
  plat::mark_unfinished(plat::unfinished_file::work_copy, name);
}

// COPY by names into `destination`, a folder ending with a separator that
// receives the source's own file name.
void copy_by_names(std::string_view file, std::string_view destination) {
  rt::StringStack& stack = rt::string_stack();
  svc::error_state().clear();
  stack.push_borrowed(destination.data(), static_cast<uint32_t>(destination.size()));
  stack.push_borrowed(file.data(), static_cast<uint32_t>(file.size()));
  drv::COPY();
}

}  // namespace

std::string_view work_path(std::string_view name, char (&out)[kWorkPathSize]) {
  const std::string_view folder = clipped(program_data().work_directory, kWorkDirectorySize);
  std::memcpy(out, folder.data(), folder.size());
  const size_t n = name.size() < kWorkPathSize - folder.size() ? name.size() : kWorkPathSize - folder.size();
  std::memcpy(out + folder.size(), name.data(), n);
  return {out, folder.size() + n};
}

bool copy_into_work_directory(std::string_view file) {
  char copy[kWorkPathSize];
  mark_copy_unfinished(work_path(base_name(file, true), copy));
  copy_by_names(file, clipped(program_data().work_directory, kWorkDirectorySize));
  if (svc::error_state().code() == 0) return true;
  // A copy that fails leaves nothing of its own behind.
  plat::mark_finished(plat::unfinished_file::work_copy);
  return false;
}

// REMOVE by name; true when it left no error.
bool remove_by_name(std::string_view name) {
  svc::ErrorState& errors = svc::error_state();
  errors.clear();
  rt::string_stack().push_borrowed(name.data(), static_cast<uint32_t>(name.size()));
  drv::REMOVE();
  return errors.code() == 0 || errors.code() == svc::err::file_not_found;
}

void remove_work_copy(std::string_view copy) {
  // Tried twice, so that a passing hitch of the system does not fail the
  // run. A copy that will not go fails it, and stays marked unfinished for
  // the end of the process to remove.
  if (remove_by_name(copy) || remove_by_name(copy)) {
    plat::mark_finished(plat::unfinished_file::work_copy);
    return;
  }
  const svc::ErrorState& errors = svc::error_state();
  run_outcome().note_failure(FailedFile::work_copy, copy, errors.code(), errors.system_error());
}

std::string_view base_name(std::string_view path, bool ignore_trailing_separator) {
  path = clipped(path);
  size_t end = path.size();
  if (ignore_trailing_separator && end > 0 && is_path_separator(path[end - 1])) --end;
  for (size_t i = end; i > 0; --i)
    if (is_path_separator(path[i - 1])) return path.substr(i);
  return path;
}

}  // namespace app
