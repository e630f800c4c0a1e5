// The per-thread last error.
#include "platform/last_error.h"

#include <cerrno>

#ifdef _WIN32
#include "platform/win32/system.h"
#else
#include "platform/posix/system.h"
#endif

namespace plat {
namespace {

thread_local DWORD last_error = ERROR_SUCCESS;
thread_local int unmapped_error = 0;

}  // namespace

DWORD GetLastError() {
  return last_error;
}
void SetLastError(DWORD error) {
  last_error = error;
}
int last_unmapped_system_error() {
  return unmapped_error;
}

namespace detail {

BOOL fail(DWORD error) {
  last_error = error;
  return FALSE;
}

BOOL fail_errno() {
  return fail(error_from_errno(errno));
}

void record_unmapped_error(int error) {
  unmapped_error = error;
}

}  // namespace detail
}  // namespace plat

#ifdef _WIN32
#include "platform/win32/last_error.inc"
#else
#include "platform/posix/last_error.inc"
#endif
