// Included first in every test program of the Windows build: the few POSIX
// calls the tests use to set up their surroundings, in the C library's
// Windows form.
#pragma once

#include <stdlib.h>

inline int setenv(const char* name, const char* value, int) {
  return _putenv_s(name, value);
}

inline int unsetenv(const char* name) {
  return _putenv_s(name, "");
}
