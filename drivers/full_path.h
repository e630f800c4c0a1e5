// Expansion of a file name to the full path that the drivers open, create,
// remove and trace.
#pragma once

#include <cstdint>

namespace drv {

inline constexpr uint32_t kFullPathSize = 260;

// Expands `name` into `out` (kFullPathSize bytes): a name that starts with two
// separators is taken unchanged, and so is one that begins at a drive's root
// ("C:\"); a relative name is joined to the current directory; a name without
// extension takes the default extension (a period is put before it unless it
// starts with one). Returns 0, 45 for a name too long, or the system error of
// reading the current directory.
uint32_t expand_full_path(const char* name, const char* default_extension, char* out);

// The extension of a name: the text after its last period when no separator
// follows that period, else null.
const char* extension_of(const char* name);

}  // namespace drv
