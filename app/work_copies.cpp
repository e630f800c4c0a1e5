#include "app/work_copies.h"

#include <cstring>
#include <string>

#include "app/run_outcome.h"
#include "app/work_folder.h"
#include "platform/last_error.h"
#include "platform/private_folder.h"
#include "services/error_state.h"

namespace app {

namespace {

// The platform's last error as the runtime's error code, as a COPY by names
// posts it.
void post_last_error() {
  const plat::DWORD error = plat::GetLastError();
  svc::error_state().post(error == plat::ERROR_BAD_PATHNAME ? svc::err::invalid_filename
                                                            : static_cast<int32_t>(error));
}

}  // namespace

std::string_view work_path(std::string_view name, char (&out)[kWorkPathSize]) {
  const std::string_view folder = clipped(program_data().work_directory, kWorkDirectorySize);
  std::memcpy(out, folder.data(), folder.size());
  const size_t n =
      name.size() < kWorkPathSize - folder.size() ? name.size() : kWorkPathSize - folder.size();
  std::memcpy(out + folder.size(), name.data(), n);
  return {out, folder.size() + n};
}

bool copy_into_work_directory(std::string_view file) {
  char copy[kWorkPathSize];
  const std::string_view name = base_name(file, true);
  const std::string target(work_path(name, copy));
  const std::string source(file);
  svc::error_state().clear();
  if (name == kWorkDirectoryHoldFile) {
    // Its copy would take the place of the file that holds the folder.
    svc::error_state().post(svc::err::access_denied);
    run_outcome().refuse(kExitDataError, "cannot copy '" + source + "' into the work folder, which keeps the name '" +
                                             kWorkDirectoryHoldFile + "' for the file that holds it");
    return false;
  }
  plat::SetLastError(0);
  switch (plat::copy_into_folder(source.c_str(), target.c_str())) {
    case plat::copy_result::copied:
    case plat::copy_result::in_place:
      return true;
    case plat::copy_result::source_failed:
      post_last_error();
      return false;
    case plat::copy_result::target_failed:
      break;
  }
  // The source was fine: the work directory could not take its copy, and
  // that, not the file, is what the caller is told.
  post_last_error();
  const svc::ErrorState& errors = svc::error_state();
  run_outcome().note_failure(FailedFile::work_copy_made, target, errors.code(),
                             errors.system_error());
  return false;
}

void remove_work_copy(std::string_view copy) {
  // Tried twice, so that a passing hitch of the system does not fail the
  // run. A copy that will not go fails it, and stays marked unfinished for
  // the end of the process to remove.
  const std::string name(copy);
  if (plat::remove_copy(name.c_str()) || plat::remove_copy(name.c_str())) return;
  post_last_error();
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
