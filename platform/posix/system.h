// Inside the platform layer only: the operating-system calls, each reached
// through the replaceable table of syscalls.h, and the helpers that turn their
// failures into Windows system error numbers.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>

#include <string>

#include "platform/failure.h"
#include "platform/types.h"

namespace plat::sys {

// Each behaves as the system call of the same name; a failure planned with
// fail_syscall returns the call's failure value with errno set. read, write
// and open retry when interrupted (EINTR), so an injected EINTR is harmless.
int open(const char* path, int flags, mode_t mode = 0);
int close(int fd);
ssize_t read(int fd, void* buffer, size_t bytes);
ssize_t write(int fd, const void* bytes, size_t count);
off_t lseek(int fd, off_t offset, int whence);
int ftruncate(int fd, off_t length);
int fsync(int fd);
int fstat(int fd, struct stat* status);
int stat(const char* path, struct stat* status);
// The entry itself: a symbolic link is described, not followed.
int lstat(const char* path, struct stat* status);
int access(const char* path, int mode);
// Renames without replacing: fails with EEXIST when `to` exists.
int rename(const char* from, const char* to);
// Renames, replacing what stands at `to` (the entry itself, a link included).
int renameat(const char* from, const char* to);
int unlink(const char* path);
int mkdir(const char* path, mode_t mode);
int rmdir(const char* path);
int fcntl_lock(int fd, int command, struct flock* lock);
int futimens(int fd, const struct timespec times[2]);
DIR* opendir(const char* path);
struct dirent* readdir(DIR* directory);
int closedir(DIR* directory);
char* getcwd(char* buffer, size_t size);
int chdir(const char* path);
void* mmap(void* address, size_t length, int protect, int flags, int fd, off_t offset);
int munmap(void* address, size_t length);
int madvise(void* address, size_t length, int advice);
int mprotect(void* address, size_t length, int protect);
void* malloc(size_t bytes);  // released with std::free
ssize_t readlink(const char* path, char* buffer, size_t size);
ssize_t process_vm_readv(const struct iovec* local, unsigned long local_count,
                         const struct iovec* remote, unsigned long remote_count);
// `resolved` null: the result is allocated, released with std::free.
char* realpath(const char* path, char* resolved);
int fchmod(int fd, mode_t mode);
int fchown(int fd, uid_t owner, gid_t group);
// Random bytes from the system's source, as many as it gives at once (up to
// 256 at least); retried when interrupted.
ssize_t getrandom(void* buffer, size_t bytes);

}  // namespace plat::sys

namespace plat::detail {

// The Windows system error number for an errno value. The one place where the
// two numberings meet.
DWORD error_from_errno(int error);

// Sets the last error from errno and returns FALSE, for `return fail_errno();`.
BOOL fail_errno();

// The name as the system takes it: backslashes become slashes; nothing else
// changes, a final period or space included.
std::string system_path(LPCSTR name);

// Why a name that the system did not find is missing: 2 when its folder
// exists (only the final component is missing), else 3.
DWORD missing_name_error(const std::string& path);

// The errno of a failed call on `path`, in Windows numbering: ENOENT becomes
// 2 or 3 as missing_name_error says.
DWORD path_error(int error, const std::string& path);

// FILETIME <-> seconds and nanoseconds since 1 January 1970 UTC.
FILETIME filetime_from_unix(int64_t seconds, int64_t nanoseconds);
int64_t unix_from_filetime(const FILETIME& time, int64_t* nanoseconds);
// Local time minus UTC, in seconds, at the UTC instant given and at the local
// wall time given (the latter as if that wall time were UTC).
int64_t local_offset_at_utc(int64_t utc_seconds);
int64_t local_offset_at_local(int64_t local_seconds);
// The real-time clock: seconds since 1970 UTC, and the nanoseconds beyond.
int64_t wall_clock(int64_t* nanoseconds);

// Writes to their files the bytes that open handles have gathered; at the end
// of the process, which closes no handle.
void write_out_gathered_files();

}  // namespace plat::detail
