// Files and directories with the Windows calls' observable behaviour: handles,
// access and sharing modes (enforced between processes and between handles of
// one process), byte-range locks, file times, and the error numbers left in the
// last error. Names take either separator; see the path conventions in path.h.
#pragma once

#include "platform/handle.h"
#include "platform/types.h"

namespace plat {

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000u;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000u;
// A symbolic link at the name is not followed: Windows opens the link itself,
// and here the open fails (1921), so nothing is read or written through it.
constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000u;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Opens or creates a regular file; it never waits. Fails with 2/3 (missing
// file / missing or non-directory component on the way; a link to nothing is a
// missing file, and nothing is created through it), 5 (denied, or a folder,
// FIFO, socket or device), 32 (the sharing of another open handle, in any
// process, denies this one, or this one's sharing denies an open handle's
// access or a removal in progress), 80 (CREATE_NEW over an existing entry, a
// link included), 87; an empty name is 3. CREATE_ALWAYS and OPEN_ALWAYS that find
// the file leave 183 as last error on success, else 0. The read-only attribute
// makes a created file read-only; hidden and system are accepted and ignored.
// FILE_FLAG_DELETE_ON_CLOSE makes a file that goes when its handle closes,
// or when the process ends; on Linux it is created for the user alone and
// its name goes at once (Windows keeps the name until the close).
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags_and_attributes, HANDLE template_file);

// Creates a file at a name that nobody could foresee, as CreateFileA with
// CREATE_NEW does: the last run of at least six 'X's in `name` is replaced
// with random lower-case letters and digits, again while the name made is
// taken by any entry (a link included), so nothing planted in the folder is
// ever opened or blocks the call. The name made is left in `name`. Fails as
// CreateFileA does, with 87 for a name without its 'X's, and with 80 when
// 100 names in a row are taken. When `like` names a regular file (or a link
// to one), the new file takes its permissions, and its owner and group as
// far as this process may give them, before it is handed out; a file that
// cannot take the permissions is removed again and the call fails. Windows
// keeps the new file's own security.
HANDLE CreateUniqueFileA(LPSTR name, DWORD access, DWORD share_mode, DWORD flags_and_attributes, LPCSTR like);

// Opens what a name leads to for reading once from start to end, as a
// program reads its input: a regular file as CreateFileA opens it for reading
// with others free to read and write it, or a pipe, FIFO or character device
// (a shell's /dev/stdin, its process substitution). Opening a FIFO waits for
// its writer, as any reader of one does. The handle reads with ReadFile and
// closes with CloseHandle. Fails as CreateFileA does, and with 5 for a folder
// or socket.
HANDLE OpenInputStreamA(LPCSTR name);

// Reads and writes at the handle's position; `overlapped` must be null. A read
// at end of file succeeds with 0 bytes. A short write (disk full) fails with 112.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD bytes_read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD bytes_written,
               LPOVERLAPPED overlapped);

// Moves the position; with `distance_high` null the distance is a signed 32-bit
// value. Returns the new low 32 bits, INVALID_SET_FILE_POINTER on failure (131
// before the start). A success whose low half equals INVALID_SET_FILE_POINTER
// sets the last error to 0 so the caller can tell.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD method);
BOOL SetEndOfFile(HANDLE file);  // cuts or extends the file at the position
BOOL FlushFileBuffers(HANDLE file);
// The size's low half; the high half in *size_high when given. A success always
// leaves last error 0.
DWORD GetFileSize(HANDLE file, LPDWORD size_high);

// Write-locks a byte range of the file for this handle, failing at once with 33
// when any part of it is locked by another handle or process, or already by
// this handle. Unlocking needs exactly a locked range, else 158. The range may
// lie beyond the end of file; its end must stay below 2^63 - 16.
BOOL LockFile(HANDLE file, DWORD offset_low, DWORD offset_high, DWORD bytes_low, DWORD bytes_high);
BOOL UnlockFile(HANDLE file, DWORD offset_low, DWORD offset_high, DWORD bytes_low,
                DWORD bytes_high);

constexpr DWORD LOCKFILE_FAIL_IMMEDIATELY = 0x1;
constexpr DWORD LOCKFILE_EXCLUSIVE_LOCK = 0x2;
// Locks the range from overlapped->Offset as LockFile does; without
// LOCKFILE_FAIL_IMMEDIATELY it waits until the range is free. The lock ends
// with UnlockFile, with the handle, or with the process, which lets a waiting
// process in. Only exclusive locks are offered, and waiting only through a
// handle with write access (87 otherwise).
BOOL LockFileEx(HANDLE file, DWORD flags, DWORD reserved, DWORD bytes_low, DWORD bytes_high,
                LPOVERLAPPED overlapped);

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
using LPBY_HANDLE_FILE_INFORMATION = BY_HANDLE_FILE_INFORMATION*;
// What the handle's file is; the volume serial number and the file index
// together name that file and no other while it exists.
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);

// Creation time is not kept by every file system; GetFileTime reports the
// status-change time for it. SetFileTime sets access and write times; a null
// argument leaves that time alone.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME access, LPFILETIME write);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write);

// FILETIME (UTC) <-> local time, by the local time zone's offset at that instant.
BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc);
// Packed DOS date (bits 15-9 years since 1980, 8-5 month, 4-0 day) and time
// (15-11 hours, 10-5 minutes, 4-0 seconds / 2). Years 1980 to 2107 only, else 87.
BOOL FileTimeToDosDateTime(const FILETIME* time, LPWORD dos_date, LPWORD dos_time);
BOOL DosDateTimeToFileTime(WORD dos_date, WORD dos_time, LPFILETIME time);

// Removes a regular file, or a symbolic link itself (never what it names).
// Fails with 5 for a folder, FIFO, socket or device or a read-only file, and
// with 32 while a handle opened without FILE_SHARE_DELETE, in any process,
// holds the file.
BOOL DeleteFileA(LPCSTR name);
// Fails with 183 when `new_name` exists, with 17 across file systems for a
// directory, with 32 as DeleteFileA while the file is held without delete sharing.
BOOL MoveFileA(LPCSTR existing, LPCSTR new_name);
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
// MoveFileA with choices. MOVEFILE_REPLACE_EXISTING lets the move take the
// place of an existing file in one step (a link there is replaced itself,
// never written through); a folder there, a read-only file, or anything but
// a file or a link gives 5, and a file held without delete sharing 32.
// MOVEFILE_COPY_ALLOWED moves a file across file systems as a copy and a
// removal (else 17). MOVEFILE_WRITE_THROUGH asks for the new name to be on
// the disk before the call returns; a move that was made is never undone,
// so a folder that cannot be synced afterwards does not fail it.
BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags);
// Copies contents and times of a regular file into a new entry. With
// fail_if_exists, an existing target gives 80; otherwise the target's entry is
// removed first as DeleteFileA does (its failures are the copy's) and a new file
// takes its place, so a link there is replaced, never written through.
BOOL CopyFileA(LPCSTR existing, LPCSTR new_name, BOOL fail_if_exists);
// One level only: 183 when the name exists, 3 when the parent does not.
BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(LPCSTR name);
// FILE_ATTRIBUTE_DIRECTORY / _READONLY / _NORMAL, or INVALID_FILE_ATTRIBUTES.
DWORD GetFileAttributesA(LPCSTR name);

// What stands at a name, looked at without following a link at the name
// itself: nothing, a regular file, a folder, or anything else (a FIFO,
// socket or device). For a symbolic link `link` is set and `kind` tells what
// the link leads to in the end (nothing for a link to nothing).
enum class entry_kind : uint8_t { nothing, file, folder, other };
struct name_entry {
  entry_kind kind = entry_kind::nothing;
  bool link = false;
};
// False with the last error set when the name cannot be looked at (3: a
// folder on the way is missing or is a file; 5: one may not be searched).
BOOL GetNameEntry(LPCSTR name, name_entry* entry);

// Whether a file could be created at `name` as far as the folder that would
// hold it tells, without creating one: the folder is there and this process
// may write and search it. False with the last error set otherwise (3: a
// folder on the way is missing or is a file; 5: the folder may not be
// written). On Windows, where the folder's access list is judged only when
// the file is created, always true.
BOOL CanCreateFileIn(LPCSTR name);

constexpr DWORD MAX_PATH = 260;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// Searches the folder of `pattern` for names matching its last component, where
// '*' and '?' are wild cards matched without regard to ASCII case ("*.*"
// matches every name). A name without wild cards finds that entry itself. The
// entries "." and ".." are reported as Windows does. No match: 2. The end of
// the search: FindNextFileA fails with 18. cAlternateFileName stays empty
// (there are no short names here).
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found);
BOOL FindClose(HANDLE search);

constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);
// A handle to the process's standard input, output or error, for ReadFile and
// WriteFile; closing it leaves the stream itself open. Null for any other
// value (87).
HANDLE GetStdHandle(DWORD which);

// Old-style file numbers. The name "AUX" (any case) is the standard error stream.
using HFILE = int;
constexpr HFILE HFILE_ERROR = -1;
constexpr int OF_READ = 0;
constexpr int OF_WRITE = 1;
constexpr int OF_READWRITE = 2;
HFILE _lopen(LPCSTR name, int mode);
UINT _lread(HFILE file, LPVOID buffer, UINT bytes);  // UINT(-1) on failure
UINT _lwrite(HFILE file, LPCSTR bytes, UINT count);  // UINT(-1) on failure
HFILE _lclose(HFILE file);                           // 0, or HFILE_ERROR

}  // namespace plat
