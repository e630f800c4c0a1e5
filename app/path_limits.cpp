#include "app/path_limits.h"

#include <cstring>
#include <string>
#include <string_view>

#include "app/output_checks.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/work_copies.h"
#include "drivers/full_path.h"

namespace app {

namespace {

// The longest path that reaches the system (without its NUL).
constexpr uint32_t kLongestFullPath = drv::kFullPathSize - 1;

// A path that does not fit, or nothing.
using Refusal = std::optional<PathRefusal>;

Refusal refusal(std::string text, int exit_code = kExitDataError) {
  return PathRefusal{exit_code, std::move(text) + "; nothing was written"};
}

// The full path of `name` with slashes, as the system resolves it; empty
// when it cannot be had.
std::string resolved(std::string_view name) {
  const std::string given(name);
  char full[drv::kFullPathSize];
  const plat::DWORD n = plat::GetFullPathNameA(given.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return "";
  for (plat::DWORD i = 0; i < n; ++i)
    if (plat::is_path_separator(full[i])) full[i] = '/';
  return std::string(full, n);
}

// The length of `name`'s full path as the drivers make it, or 0 when it is
// longer than they take.
size_t full_path_length(std::string_view name) {
  char given[drv::kFullPathSize];
  char full[drv::kFullPathSize];
  if (name.size() >= sizeof given) return 0;
  std::memcpy(given, name.data(), name.size());
  given[name.size()] = '\0';
  if (drv::expand_full_path(given, "", full) != 0) return 0;
  return std::strlen(full);
}

// A file the run opens by `name` through a driver: the name must fit its
// field and its full path the system's limit.
Refusal opened_path_refusal(const char* what, std::string_view name) {
  name = clipped(name);
  if (name.size() > kFileNameSize)
    return refusal(std::string("the ") + what + " '" + std::string(name) +
                  "' has a name longer than " + std::to_string(kFileNameSize) + " bytes");
  if (full_path_length(name) == 0)
    return refusal(std::string("the ") + what + " '" + std::string(name) +
                  "' has a path longer than " + std::to_string(kLongestFullPath) +
                  " bytes from the current folder");
  return std::nullopt;
}

// An attachment is read from its copy in the work directory, which must fit
// the name field and must not be the message file: the message being written
// would be read in the copy's place.
Refusal work_copy_refusal(std::string_view file, std::string_view message_file) {
  char copy[kWorkPathSize];
  const std::string_view path = work_path(base_name(file, true), copy);
  if (path.size() > kFileNameSize || full_path_length(path) == 0)
    return refusal("the attachment '" + std::string(file) + "' would be read from the work copy '" +
                  std::string(path) + "', a path longer than " + std::to_string(kFileNameSize) +
                  " bytes");
  const std::string copy_path = resolved(path);
  if (!copy_path.empty() && copy_path == resolved(message_file))
    return refusal("the message file '" + std::string(message_file) +
                      "' is the work copy of the attachment '" + std::string(file) + "'",
                  kExitUsage);
  return std::nullopt;
}

}  // namespace

PathLimits::PathLimits(std::string_view message_file) : message_file_(message_file) {}

void PathLimits::visit(const mime::Part& part) {
  for (size_t i = 0; i < std::size(kCallFileRoles); ++i) {
    if (part.role != kCallFileRoles[i] || first_[i]) continue;
    const std::string& file = part.body.file;
    first_[i] = part.role == mime::PartRole::attachment ? work_copy_refusal(file, message_file_)
                                                        : opened_path_refusal(part_file_role(part.role), file);
  }
}

bool PathLimits::fit() const {
  Refusal refusal = opened_path_refusal("message file", message_file_);
  for (const Refusal& role : first_)
    if (!refusal) refusal = role;
  if (!refusal) return true;
  run_outcome().refuse(refusal->exit_code, refusal->text);
  return false;
}

}  // namespace app
