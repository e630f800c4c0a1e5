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
namespace { thread_local DWORD stub_error = 0; }
DWORD GetLastError() { return stub_error; }
void SetLastError(DWORD e) { stub_error = e; }
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
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD flags_and_attributes, HANDLE template_file) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return INVALID_HANDLE_VALUE; }
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD bytes_read, LPOVERLAPPED overlapped) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD bytes_written, LPOVERLAPPED overlapped) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD method) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL SetEndOfFile(HANDLE file) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL FlushFileBuffers(HANDLE file) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetFileSize(HANDLE file, LPDWORD size_high) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL LockFile(HANDLE file, DWORD offset_low, DWORD offset_high, DWORD bytes_low, DWORD bytes_high) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL UnlockFile(HANDLE file, DWORD offset_low, DWORD offset_high, DWORD bytes_low, DWORD bytes_high) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME access, LPFILETIME write) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access, const FILETIME* write) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL FileTimeToDosDateTime(const FILETIME* time, LPWORD dos_date, LPWORD dos_time) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL DosDateTimeToFileTime(WORD dos_date, WORD dos_time, LPFILETIME time) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL DeleteFileA(LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL MoveFileA(LPCSTR existing, LPCSTR new_name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL CopyFileA(LPCSTR existing, LPCSTR new_name, BOOL fail_if_exists) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL RemoveDirectoryA(LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetFileAttributesA(LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return INVALID_HANDLE_VALUE; }
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL FindClose(HANDLE search) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HFILE _lopen(LPCSTR name, int mode) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
UINT _lread(HFILE file, LPVOID buffer, UINT bytes) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
UINT _lwrite(HFILE file, LPCSTR bytes, UINT count) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
HFILE _lclose(HFILE file) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetShortPathNameA(LPCSTR name, LPSTR buffer, DWORD size) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetLongPathNameA(LPCSTR name, LPSTR buffer, DWORD size) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL SetCurrentDirectoryA(LPCSTR name) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
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
void GetLocalTime(LPSYSTEMTIME time) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
void GetSystemTime(LPSYSTEMTIME time) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
DWORD GetTickCount() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
uint64_t monotonic_nanoseconds() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void set_fixed_local_time(const SYSTEMTIME* fixed) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
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
const char* syscall_name(syscall_id call) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void fail_syscall(syscall_id call, unsigned nth, std::errc error, unsigned times) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
void* replace_syscall(syscall_id call, void* replacement) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
uint64_t syscall_calls(syscall_id call) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
void reset_syscalls() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); }
BOOL CloseHandle(HANDLE object) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
int last_unmapped_system_error() { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return {}; }
}
