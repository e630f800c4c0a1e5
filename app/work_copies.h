// The short-lived copies of attachments and images in the work directory,
// made for the user alone. A copy is marked unfinished from the moment it is
// begun until it is removed again, so a run that is cut short leaves none
// behind; a file that is in the work directory already is used in place and
// never removed.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/program_data.h"

namespace app {

// WorkDirectory followed by a file name.
inline constexpr uint32_t kWorkPathSize = kWorkDirectorySize + kScratchNameSize;

// CLIP(WorkDirectory) followed by `name`, in `out` (cut to its size).
std::string_view work_path(std::string_view name, char (&out)[kWorkPathSize]);

// Copies `file` into the work directory under its own file name, replacing
// whatever stands there. True when the copy is there (or `file` is that very
// file already); the copy then stays until remove_work_copy. Otherwise the
// runtime's error code tells why: `file` could not be read, or the work
// directory could not take the copy, which is also noted as the run's
// failure.
bool copy_into_work_directory(std::string_view file);

// Removes a copy made by copy_into_work_directory; anything else at that
// name stays. A copy that does not go is noted as the run's failure.
void remove_work_copy(std::string_view copy);

// The text after the last separator (backslash or slash) of a path; the whole
// path when it has none. For image references a separator at the very end
// does not count.
std::string_view base_name(std::string_view path, bool ignore_trailing_separator = false);

}  // namespace app
