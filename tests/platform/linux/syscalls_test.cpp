// The system-call table: planned failures reach the callers as Windows last
// errors, and the table can be replaced and restored.
#include "platform/syscalls.h"

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/memory.h"
#include "platform/process.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

class syscalls_test : public scratch_folder {};

HANDLE create(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

int refuse_every_unlink(const char*) {
  errno = EBUSY;
  return -1;
}

}  // namespace

TEST_F(syscalls_test, injected_errno_values_arrive_in_windows_numbering) {
  struct case_t {
    std::errc error;
    DWORD expected;
  };
  const case_t cases[] = {
      {std::errc::permission_denied, ERROR_ACCESS_DENIED},
      {std::errc::too_many_files_open, ERROR_TOO_MANY_OPEN_FILES},
      {std::errc::no_space_on_device, ERROR_DISK_FULL},
      {std::errc::invalid_argument, ERROR_INVALID_PARAMETER},
      {std::errc::read_only_file_system, ERROR_WRITE_PROTECT},
      {std::errc::filename_too_long, ERROR_FILENAME_EXCED_RANGE},
      {std::errc::no_such_device_or_address, ERROR_ACCESS_DENIED},  // a FIFO with no reader
  };
  for (const case_t& c : cases) {
    fail_syscall(syscall_id::open, 1, c.error);
    EXPECT_EQ(create("f.txt"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.expected) << static_cast<int>(c.error);
  }
  HANDLE h = create("f.txt");  // the plan was used up
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(syscalls_test, an_unmapped_errno_is_recorded_and_reported_as_general_failure) {
  fail_syscall(syscall_id::mkdir, 1, std::errc::host_unreachable);
  EXPECT_FALSE(CreateDirectoryA("d", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  EXPECT_EQ(last_unmapped_system_error(), static_cast<int>(std::errc::host_unreachable));
}

// A handle that lets others write writes each call straight to the file.
TEST_F(syscalls_test, the_nth_write_fails_with_disk_full_and_reports_what_was_written) {
  HANDLE h = CreateFileA("f.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  fail_syscall(syscall_id::write, 2, std::errc::no_space_on_device);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "abc", 3, &n, nullptr));
  EXPECT_FALSE(WriteFile(h, "def", 3, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(WriteFile(h, "ghi", 3, &n, nullptr));
  CloseHandle(h);
  EXPECT_EQ(read_text("f.txt"), "abcghi");
}

TEST_F(syscalls_test, interrupted_reads_and_writes_are_retried) {
  HANDLE h = CreateFileA("f.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  fail_syscall(syscall_id::write, 1, std::errc::interrupted, 3);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "abc", 3, &n, nullptr));
  EXPECT_EQ(n, 3u);
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  fail_syscall(syscall_id::read, 1, std::errc::interrupted);
  char buffer[4] = {};
  EXPECT_TRUE(ReadFile(h, buffer, 3, &n, nullptr));
  EXPECT_STREQ(buffer, "abc");
  CloseHandle(h);
}

TEST_F(syscalls_test, rename_and_read_failures_reach_move_and_read) {
  write_text("a.txt", "x");
  fail_syscall(syscall_id::rename, 1, std::errc::permission_denied);
  EXPECT_FALSE(MoveFileA("a.txt", "b.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE h = CreateFileA("a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  fail_syscall(syscall_id::read, 1, std::errc::io_error);
  char c;
  DWORD n = 9;
  EXPECT_FALSE(ReadFile(h, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
  EXPECT_EQ(n, 0u);
  CloseHandle(h);
}

TEST_F(syscalls_test, failures_can_repeat_and_calls_are_counted) {
  reset_syscalls();
  fail_syscall(syscall_id::mkdir, 2, std::errc::no_space_on_device, 0);  // the 2nd and every later
  EXPECT_TRUE(CreateDirectoryA("d1", nullptr));
  EXPECT_FALSE(CreateDirectoryA("d2", nullptr));
  EXPECT_FALSE(CreateDirectoryA("d3", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(syscall_calls(syscall_id::mkdir), 3u);
  reset_syscalls();
  EXPECT_TRUE(CreateDirectoryA("d4", nullptr));
  EXPECT_EQ(syscall_calls(syscall_id::mkdir), 1u);
}

TEST_F(syscalls_test, a_replaced_entry_is_called_until_the_guard_restores_the_table) {
  write_text("a.txt", "x");
  {
    syscall_guard guard;
    void* previous =
        replace_syscall(syscall_id::unlink, reinterpret_cast<void*>(&refuse_every_unlink));
    EXPECT_NE(previous, nullptr);
    EXPECT_FALSE(DeleteFileA("a.txt"));
    EXPECT_EQ(GetLastError(), ERROR_BUSY);
  }
  EXPECT_TRUE(DeleteFileA("a.txt"));
  EXPECT_STREQ(syscall_name(syscall_id::rename), "rename");
  EXPECT_STREQ(syscall_name(syscall_id::process_vm_readv), "process_vm_readv");
}

TEST_F(syscalls_test, memory_exhaustion_reaches_virtual_and_global_allocation) {
  fail_syscall(syscall_id::mmap, 1, std::errc::not_enough_memory);
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  fail_syscall(syscall_id::malloc, 1, std::errc::not_enough_memory);
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

// A planned end stops the process at that very call, as a signal from
// outside would: the calls before it are made, that one is not.
TEST_F(syscalls_test, a_planned_end_stops_the_process_at_the_chosen_call) {
  write_text("first.txt", "1");
  write_text("second.txt", "2");
  auto body = [](void*) -> int {
    end_at_syscall(syscall_id::unlink, 2, SIGKILL);
    DeleteFileA("first.txt");
    DeleteFileA("second.txt");
    return 0;  // never reached
  };
  EXPECT_EQ(run_in_child_process(body, nullptr), -1) << "the child ended by a signal";
  EXPECT_FALSE(std::filesystem::exists("first.txt"));
  EXPECT_TRUE(std::filesystem::exists("second.txt"));
}
