// Temporary bodies that fail with "not implemented" until each service lands.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <cstdlib>
#include <cstdarg>
#include "platform/last_error.h"
#include "platform/handle.h"
#include "platform/memory.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/profile.h"
#include "platform/process.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/sync.h"
#include "platform/dialog.h"
#include "platform/syscalls.h"
namespace plat {
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD free_type) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
LPVOID GlobalLock(HGLOBAL block) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL GlobalUnlock(HGLOBAL block) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HGLOBAL GlobalHandle(LPCVOID address) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
SIZE_T GlobalSize(HGLOBAL block) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HGLOBAL GlobalFree(HGLOBAL block) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL IsBadReadPtr(LPCVOID address, UINT_PTR bytes) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL IsBadCodePtr(FARPROC code) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer, DWORD size) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
UINT GetProfileIntA(LPCSTR section, LPCSTR key, INT default_value) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer, DWORD size, LPCSTR file_name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value, LPCSTR file_name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
LPSTR GetCommandLineA() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HMODULE GetModuleHandleA(LPCSTR module_name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
[[noreturn]] void ExitProcess(UINT exit_code) { std::abort(); }
DWORD GetCurrentThreadId() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetCurrentProcessId() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void set_process_arguments(int argc, const char* const* argv) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
void set_exit_process_hook(exit_process_hook hook) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
int run_in_child_process(int (*body)(void* argument), void* argument) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
uint64_t monotonic_nanoseconds() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL CharToOemA(LPCSTR source, LPSTR destination) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL OemToCharA(LPCSTR source, LPSTR destination) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL CharToOemBuffA(LPCSTR source, LPSTR destination, DWORD length) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL OemToCharBuffA(LPCSTR source, LPSTR destination, DWORD length) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
LPSTR CharUpperA(LPSTR text) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
LPSTR CharLowerA(LPSTR text) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD CharUpperBuffA(LPSTR text, DWORD length) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD CharLowerBuffA(LPSTR text, DWORD length) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL IsCharAlphaA(CHAR c) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL IsCharAlphaNumericA(CHAR c) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL IsCharUpperA(CHAR c) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL IsCharLowerA(CHAR c) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int lstrcmpA(LPCSTR first, LPCSTR second) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int lstrcmpiA(LPCSTR first, LPCSTR second) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int lstrlenA(LPCSTR text) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int wsprintfA(LPSTR buffer, LPCSTR format, ...) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int MulDiv(int number, int numerator, int denominator) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void InitializeCriticalSection(LPCRITICAL_SECTION section) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
void EnterCriticalSection(LPCRITICAL_SECTION section) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void LeaveCriticalSection(LPCRITICAL_SECTION section) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
void DeleteCriticalSection(LPCRITICAL_SECTION section) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL ReleaseSemaphore(HANDLE semaphore, LONG release, PLONG previous) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manual_reset, BOOL initial_state, LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL SetEvent(HANDLE event) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL ResetEvent(HANDLE event) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL wait_all, DWORD milliseconds) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void set_message_box_hook(message_box_hook hook) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HCURSOR SetCursor(HCURSOR cursor) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HCURSOR GetCursor() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL DestroyCursor(HCURSOR cursor) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void reset_cursor() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
void* replace_syscall(syscall_id call, void* replacement) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void reset_syscalls() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
}
