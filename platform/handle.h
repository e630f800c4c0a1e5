// Kernel object handles: files, find searches, semaphores and events share one
// handle space, and CloseHandle ends any of them but a find search.
#pragma once

#include "platform/types.h"

namespace plat {

// Closes a file, semaphore or event handle. A closed, unknown or null handle
// fails with ERROR_INVALID_HANDLE.
BOOL CloseHandle(HANDLE object);

}  // namespace plat
