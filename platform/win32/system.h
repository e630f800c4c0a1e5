// Inside the platform layer only, on Windows: the helpers that the portable
// files share with the system part beside them. The system's own calls are
// made in the .inc files of this folder, which alone see <windows.h>.
#pragma once

#include <cstddef>
#include <string>

#include "platform/failure.h"
#include "platform/syscalls.h"
#include "platform/types.h"

namespace plat::sys {

// Memory for the platform's own records, counted and failed as the memory
// calls of the test hooks in syscalls.h; released with std::free.
void* malloc(size_t bytes);

}  // namespace plat::sys

namespace plat::detail {

// Counts a call named in syscalls.h and tells whether a test planned its
// failure; when it did, errno holds the planned error.
bool injected_failure(syscall_id call);

// A planned failure's errno in Windows numbering.
DWORD error_from_errno(int error);
// The planned failure's errno, left as the last error: FALSE, for
// `return fail_errno();`.
BOOL fail_errno();

// Leaves the system's own last error as this layer's: FALSE.
BOOL fail_system();

// The name as the system takes it: the system reads it itself.
std::string system_path(LPCSTR name);

// FILETIME <-> seconds and nanoseconds since 1 January 1970 UTC.
FILETIME filetime_from_unix(int64_t seconds, int64_t nanoseconds);
int64_t unix_from_filetime(const FILETIME& time, int64_t* nanoseconds);
// Local time minus UTC, in seconds, at the UTC instant given and at the local
// wall time given (the latter as if that wall time were UTC), by the system's
// time-zone rules.
int64_t local_offset_at_utc(int64_t utc_seconds);
int64_t local_offset_at_local(int64_t local_seconds);
// The system time: seconds since 1970 UTC, and the nanoseconds beyond.
int64_t wall_clock(int64_t* nanoseconds);

}  // namespace plat::detail
