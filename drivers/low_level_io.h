// The system file calls as the drivers use them: each returns 0 on success or
// a system error number, with the remappings the drivers rely on (a sharing
// violation reads as Access Denied, a rejected name as Invalid Filename, a bad
// path name as Path Not Found).
//
// Offsets and sizes are 32-bit. A file of 2 GiB or more, or a position at or
// past 2^31, is refused with ERROR_SEEK rather than wrapped.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace drv::sys {

using plat::HANDLE;

// Positions at or beyond this are refused.
inline constexpr uint32_t kPositionLimit = 0x80000000u;

enum class Origin { start, end };
// Whether a symbolic link at a name is followed; a log is never written
// through one.
enum class Links { followed, refused };

// Opens an existing file with a driver open mode: access from mode & 3,
// sharing from mode & 0x70. Opening the name of the file that this thread
// created last finds that very file or fails with 5: a file put in its place
// since (a link, another file renamed over it) is never opened.
uint32_t open_existing(const char* name, uint32_t mode, HANDLE& handle, Links links = Links::followed);
// Creates (or empties) a file; attribute code & 3: 0 normal, 1 read-only,
// 2 hidden, 3 system. The file is noted for the next open of its name.
uint32_t create(const char* name, uint32_t attribute, HANDLE& handle, Links links = Links::followed);
uint32_t read(HANDLE handle, void* buffer, uint32_t n, uint32_t& count);
uint32_t write(HANDLE handle, const void* bytes, uint32_t n, uint32_t& count);
uint32_t seek(HANDLE handle, uint32_t offset, Origin origin = Origin::start);
uint32_t tell(HANDLE handle, uint32_t& offset);
// Returns the last-error value even on success (then 0).
uint32_t size(HANDLE handle, uint32_t& bytes);
uint32_t lock(HANDLE handle, uint32_t offset, uint32_t length);
uint32_t unlock(HANDLE handle, uint32_t offset, uint32_t length);
uint32_t commit(HANDLE handle);
uint32_t close(HANDLE handle);
uint32_t remove(const char* name);
uint32_t move(const char* old_name, const char* new_name);
// Replaces an existing target; a bad path name reads as Invalid Filename.
uint32_t copy(const char* source, const char* target);
uint32_t cut(HANDLE handle);
// A file written under a temporary name and put in its place only when whole.
// While `name` (a full path as the drivers expand names) is staged, create
// makes a new temporary file instead, named after `pattern` with its run of
// 'X's made random (see plat::CreateUniqueFileA), never an entry already
// there, and with the permissions, owner and group of the file at `name` as
// far as they can be given; open_existing of the name reaches that
// temporary file (a missing file until it is made). remove of the name
// removes nothing: it reports what removing the file itself would (0 when
// anything stands at its name). So the statements on the file, and their
// traces, go on naming the file itself. One name is staged at a time and
// created once; false, with nothing staged, when a name is too long to keep.
bool stage(const char* name, const char* pattern);
void unstage();
// The temporary file made for the staged name; empty until it is made.
const char* staged_temporary();

// Packed value: date in the high 16 bits, time in the low 16 bits, local time.
uint32_t set_time(HANDLE handle, uint32_t packed);
uint32_t get_time(HANDLE handle);  // 0 on failure

}  // namespace drv::sys
