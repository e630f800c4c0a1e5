// Inside the platform layer only, on Windows: the system's own interface.
// Included by the .inc files of this folder after every platform header, so
// that the system's macros cannot reach a declaration of this layer.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
