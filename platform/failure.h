// Inside the platform layer only: how a failing call leaves its last error.
#pragma once

#include "platform/types.h"

namespace plat::detail {

// Sets the last error to `error` and returns FALSE, for `return fail(...);`.
BOOL fail(DWORD error);

}  // namespace plat::detail
