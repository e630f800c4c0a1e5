// Operations on file names: expansion for the drivers, removal, and the copy
// and rename target rules.
#pragma once

#include <cstdint>

namespace drv {

// Deletes a file by name: 0, or 2, 3 or 5.
int32_t remove_file(const char* name);

// Copies or renames `source` to `destination`: the target is the destination
// followed by the source's file name (after a backslash unless the
// destination ends with one or with a colon, which gets ".\"); when that
// fails, once more with the destination itself expanded with the source's
// extension. Copy replaces an existing target and does nothing when the
// target is the source itself (names compared without regard to case).
// Returns 0 or the error code: rename 2, 3 or 5; copy the system error, with
// a bad path name as 45.
int32_t copy_file(const char* source, const char* destination, uint32_t destination_length);
int32_t rename_file(const char* source, const char* destination, uint32_t destination_length);

}  // namespace drv
