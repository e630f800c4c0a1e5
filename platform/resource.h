// Resources compiled into the program: a table of named, typed byte blocks
// per module, read through the resource calls.
//
// A module adds its resources once at start-up (add_resource); the data stays
// where the module keeps it and is never copied. Names and types are either
// texts, compared without case ("#123" names the number 123), or 16-bit
// numbers made with MAKEINTRESOURCEA.
#pragma once

#include "platform/types.h"

namespace plat {

struct HRSRC__;
using HRSRC = HRSRC__*;

constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
// ERROR_RESOURCE_NAME_NOT_FOUND (1814) is in platform/dialog.h.

inline LPCSTR const RT_ICON = MAKEINTRESOURCEA(3);
inline LPCSTR const RT_DIALOG = MAKEINTRESOURCEA(5);
inline LPCSTR const RT_STRING = MAKEINTRESOURCEA(6);
inline LPCSTR const RT_RCDATA = MAKEINTRESOURCEA(10);
inline LPCSTR const RT_GROUP_ICON = MAKEINTRESOURCEA(14);

// Null for `module` means the program. Fails with 1813 when the module has
// no resource of the type, 1814 when none of the name.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Resources stay where the module keeps them, so this only ends one load;
// as on the desktop it always answers FALSE.
BOOL FreeResource(HGLOBAL loaded);

// Adds a resource to `module`'s table (null: the program). Names and types
// that are texts are copied; the data is not. Fails with 87 for missing
// data or names and 183 when the module has that type and name already.
BOOL add_resource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, DWORD size);
// Removes every resource of `module` (null: the program).
void remove_resources(HMODULE module);

// Test hook: loads not yet ended by FreeResource.
int loaded_resource_count();

}  // namespace plat
