// Profile (INI) files: "[section]" lines, "key=value" lines and ";" comment
// lines. Sections and keys match without regard to case; white space around
// keys and values is dropped, and so is one pair of quotes (double or single)
// around a value. A missing file, section or key gives the default (its trailing white
// space dropped).
//
// On Windows these are the system's own calls on its WIN.INI. On Linux the
// system profile is the file named by the environment variable WININI;
// when that is unset, "win.ini" in $XDG_CONFIG_HOME (by default ~/.config).
// A private profile's name is taken relative to the current directory.
//
// String results: the value is copied into the buffer, cut to size - 1 bytes,
// and its length is returned. A null section lists every section name, a null
// key every key of the section, each ended by a NUL, the list by a second NUL.
#pragma once

#include "platform/types.h"

namespace plat {

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer, DWORD size);
// The value's leading decimal number (a sign and a 0x hex prefix allowed); 0
// when the value does not begin with one; the default when the key is missing.
UINT GetProfileIntA(LPCSTR section, LPCSTR key, INT default_value);

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer,
                               DWORD size, LPCSTR file_name);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value, LPCSTR file_name);

}  // namespace plat
