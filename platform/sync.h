// Threads meeting: critical sections (recursive, one process), counting
// semaphores and events as kernel objects that the wait calls accept.
#pragma once

#include "platform/handle.h"
#include "platform/types.h"

namespace plat {

// Storage for a recursive lock; its content belongs to the layer.
struct CRITICAL_SECTION {
  alignas(16) unsigned char opaque[64];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);  // the owner may enter again
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// A counting semaphore between 0 and `maximum`. Attributes and name must be
// null (87 otherwise). Null on failure.
HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCSTR name);
// Adds `release` to the count; fails with 298 when that would pass the maximum.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG release, PLONG previous);

// An event: set or reset; a wait on an auto-reset event resets it again.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manual_reset, BOOL initial_state,
                    LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Waits until the object is signalled (a semaphore's count above 0, which the
// wait then lowers; a set event) or `milliseconds` pass.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// With wait_all FALSE: WAIT_OBJECT_0 + the index of the first signalled object,
// which the wait takes. wait_all TRUE is not offered (87).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL wait_all, DWORD milliseconds);

}  // namespace plat
