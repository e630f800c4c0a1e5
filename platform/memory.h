// Memory from the system: whole regions (VirtualAlloc, anonymous mappings) for
// the runtime heap, global blocks (GlobalAlloc family) for the module list, and
// the probes that tell whether an address may be read.
#pragma once

#include "platform/types.h"

namespace plat {

constexpr DWORD MEM_COMMIT = 0x1000;
constexpr DWORD MEM_RESERVE = 0x2000;
constexpr DWORD MEM_DECOMMIT = 0x4000;
constexpr DWORD MEM_RELEASE = 0x8000;

constexpr DWORD PAGE_NOACCESS = 0x01;
constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;

// Reserves and commits a zero-filled region of at least `size` bytes, page
// aligned; `address` must be null (no placement). Null on failure with
// ERROR_NOT_ENOUGH_MEMORY, or ERROR_INVALID_PARAMETER for a bad request.
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect);

// MEM_RELEASE with size 0 returns a whole region that VirtualAlloc gave;
// MEM_DECOMMIT gives the pages back to the system but keeps the region (they
// read as zero when touched again). Any other use fails with ERROR_INVALID_PARAMETER.
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD free_type);

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// A fixed block's handle is its address. A moveable block's handle is not an
// address: GlobalLock gives the address (which never actually moves here) and
// counts the locks; GlobalHandle maps an address back to its handle.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);  // FALSE once the lock count reaches 0 (last error 0)
HGLOBAL GlobalHandle(LPCVOID address);
SIZE_T GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);  // null on success, the handle on failure

// TRUE when any byte of [address, address + bytes) cannot be read (or
// `address` is null with bytes > 0). Never faults.
BOOL IsBadReadPtr(LPCVOID address, UINT_PTR bytes);
// TRUE when `code` does not point at readable memory.
BOOL IsBadCodePtr(FARPROC code);

}  // namespace plat
