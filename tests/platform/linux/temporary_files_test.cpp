// Files that go when their handle closes, as the Linux half makes them: for
// the user alone, and without a name from the moment they are open.
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/syscalls.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

class temporary_files_test : public scratch_folder {};

mode_t created_mode = 0;
int recording_open(const char* path, int flags, mode_t mode) {
  if (flags & O_CREAT) created_mode = mode;
  return ::open(path, flags, mode);
}

}  // namespace

TEST_F(temporary_files_test, a_delete_on_close_file_is_the_users_alone_and_nameless_at_once) {
  syscall_guard guard;
  const struct {
    DWORD flags;
    mode_t mode;
  } cases[] = {{FILE_ATTRIBUTE_NORMAL, 0666}, {FILE_FLAG_DELETE_ON_CLOSE, 0600}};
  for (const auto& c : cases) {
    replace_syscall(syscall_id::open, reinterpret_cast<void*>(&recording_open));
    HANDLE h = CreateFileA("spool", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, c.flags, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.flags;
    EXPECT_EQ(created_mode, c.mode) << c.flags;
    const bool named = GetFileAttributesA("spool") != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(named, c.flags != FILE_FLAG_DELETE_ON_CLOSE) << c.flags;
    CloseHandle(h);
    DeleteFileA("spool");
  }
}
