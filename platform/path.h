// Path names and the current directory.
//
// On Windows these are the system's own calls, and its rules stand. The
// conventions of the Linux half: a backslash and a slash both separate
// components (the system receives slashes); a name is kept as given, a final
// period or space included; a path is absolute when it begins with a
// separator, and there are no drive letters. The bytes of a name reach the
// system unchanged: no code-page conversion applies to paths here.
//
// Buffer rules, as on Windows: on success the result's length without its NUL
// is returned; when the buffer is too small, the size needed including the NUL
// is returned and the buffer is left alone; 0 means failure (see GetLastError).
#pragma once

#include "platform/types.h"

namespace plat {

// Both a backslash and a slash separate the components of a path.
inline bool is_path_separator(char c) {
  return c == '\\' || c == '/';
}

// Makes `name` absolute against the current directory and resolves "." and
// ".." and repeated separators, textually (the file need not exist). The
// result uses slashes. *file_part, when asked for, points at the last
// component in the buffer (null when the result ends in a separator).
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part);

// There are no 8.3 names on this platform: the short and the long form of an
// existing path are the path itself, as given. A missing path fails with 2 or 3.
DWORD GetShortPathNameA(LPCSTR name, LPSTR buffer, DWORD size);
DWORD GetLongPathNameA(LPCSTR name, LPSTR buffer, DWORD size);

// The whole path of the existing file or folder that `name` leads to, as the
// system resolves it: every link on the way followed, "." and ".." taken,
// from the current directory where `name` is relative. Where the name leads
// is judged by this, not by its text. On Windows the path has its drive
// ("C:\dir\file") or its share ("\\host\share\file"); on Linux it begins
// with a slash.
DWORD GetFinalPathNameA(LPCSTR name, LPSTR buffer, DWORD size);

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR name);

// The folder for a process's short-lived files, with a final separator. On
// Linux it is $TMPDIR when that is set and not empty, else "/tmp/"; the
// folder need not exist.
DWORD GetTempPathA(DWORD size, LPSTR buffer);

}  // namespace plat
