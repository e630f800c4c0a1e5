// The operations that both drivers implement the same way, and the pieces of
// the record reads and writes that they share.
#pragma once

#include <cstdint>

#include "drivers/driver_interface.h"

namespace drv {

// Runs a common operation that passed the rules; 80 for a code that is
// neither common nor one of the driver's record operations.
int32_t perform_operation(FileInstance& file, Operation& op);

// The file size for a read or an append: read again from the system when the
// file is shared and QUICKSCAN is off. False when the system cannot tell.
bool read_file_size(FileInstance& file);
inline bool refresh_file_size(FileInstance& file) {
  return (file.part.flags & (kPartShared | kPartQuickscan)) != kPartShared || read_file_size(file);
}

// The one-byte file lock with its depth: the system lock is taken when the
// depth goes from 0 to 1 and released when it comes back to 0.
uint32_t lock_once(FileInstance& file);
void unlock_once(FileInstance& file);

// Brackets a write to a shared file with the file lock: 0, or 5 when the lock
// is refused.
int32_t begin_shared_write(FileInstance& file);
void end_shared_write(FileInstance& file);

// The error code posted for a system error of an open or a create.
int32_t code_of_system_error(uint32_t error);

// Upper-cases an option text with every white-space character removed;
// returns the new length (at most `size`).
uint32_t normalise_option(const char* text, uint32_t length, char* out, uint32_t size);

}  // namespace drv
