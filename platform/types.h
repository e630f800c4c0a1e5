// The Windows-shaped base types of the platform layer: integer widths, handles
// and resource names as the calls above the layer see them. Nothing here
// depends on the operating system underneath.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using BOOL = int32_t;
using CHAR = char;
using SIZE_T = size_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBYTE = BYTE*;
using LPWORD = WORD*;
using LPDWORD = DWORD*;
using PLONG = LONG*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Kernel objects (files, find searches, semaphores, events) are named by a
// HANDLE. A failed open returns INVALID_HANDLE_VALUE; other failed creations
// return null.
using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~uintptr_t{0});

// Distinct handle types for user objects, so that one cannot be passed for another.
struct HWND__;
struct HINSTANCE__;
struct HCURSOR__;
struct HGLOBAL__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HCURSOR = HCURSOR__*;
using HGLOBAL = HGLOBAL__*;

using FARPROC = void (*)();

// A resource or cursor is named either by a text or by a 16-bit number carried
// in the pointer itself (its value below 0x10000).
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<LPCSTR>(uintptr_t{id});
}
inline bool IS_INTRESOURCE(LPCSTR name) {
  return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}

// Unused security descriptors: every call that takes one accepts only null.
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
// Where an asynchronous transfer or a lock starts. Transfers here are never
// asynchronous (ReadFile and WriteFile take only null); LockFileEx reads the offset.
struct OVERLAPPED {
  uintptr_t Internal;
  uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

// A point in time as 100-nanosecond intervals since 1 January 1601, split in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;
static_assert(sizeof(FILETIME) == 8);

}  // namespace plat
