// A handle that writes a file with other writers denied gathers its writes:
// few system writes, every call that looks at the file sees the bytes, and a
// gathered write that fails reaches the call that wrote it out.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

class gathered_writes_test : public scratch_folder {};

HANDLE open_writer(DWORD share) {
  return CreateFileA("g.bin", GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

uint64_t size_on_disk() { return std::filesystem::file_size("g.bin"); }

// Takes at most 1000 bytes a call, as a system may.
ssize_t write_in_part(int fd, const void* bytes, size_t count) {
  return ::write(fd, bytes, count < 1000 ? count : 1000);
}

}  // namespace

TEST_F(gathered_writes_test, only_a_writer_that_denies_other_writers_gathers) {
  struct case_t {
    const char* name;
    DWORD share;
    uint64_t system_writes;
  };
  const std::string block(1014, 'b');
  const case_t cases[] = {{"writers denied", FILE_SHARE_READ, 4},
                          {"writers let in", FILE_SHARE_READ | FILE_SHARE_WRITE, 200}};
  for (const case_t& c : cases) {
    HANDLE h = open_writer(c.share);
    const uint64_t before = syscall_calls(syscall_id::write);
    DWORD n = 0;
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(WriteFile(h, block.data(), 1014, &n, nullptr)) << c.name;
    ASSERT_TRUE(CloseHandle(h)) << c.name;
    EXPECT_EQ(syscall_calls(syscall_id::write) - before, c.system_writes) << c.name;
    std::string expected;
    for (int i = 0; i < 200; ++i) expected += block;
    EXPECT_EQ(read_text("g.bin"), expected) << c.name;
  }
}

TEST_F(gathered_writes_test, calls_that_see_the_file_see_the_gathered_bytes) {
  struct case_t {
    const char* name;
    std::function<uint64_t(HANDLE)> size_seen;
  };
  const case_t cases[] = {
      {"size query", [](HANDLE h) { return uint64_t(GetFileSize(h, nullptr)); }},
      {"information by handle",
       [](HANDLE h) {
         BY_HANDLE_FILE_INFORMATION info{};
         GetFileInformationByHandle(h, &info);
         return uint64_t(info.nFileSizeLow);
       }},
      {"seek and read",
       [](HANDLE h) {
         char bytes[16];
         DWORD n = 0;
         SetFilePointer(h, 0, nullptr, FILE_BEGIN);
         ReadFile(h, bytes, sizeof bytes, &n, nullptr);
         return n == 3 && std::string(bytes, 3) == "abc" ? uint64_t(n) : 0;
       }},
      {"lock", [](HANDLE h) { return LockFile(h, 0, 0, 1, 0) ? size_on_disk() : 0; }},
      {"flush", [](HANDLE h) { return FlushFileBuffers(h) ? size_on_disk() : 0; }},
      {"cut at the position", [](HANDLE h) { return SetEndOfFile(h) ? size_on_disk() : 0; }},
      {"search by name",
       [](HANDLE) {
         WIN32_FIND_DATAA found{};
         HANDLE search = FindFirstFileA("g.bin", &found);
         FindClose(search);
         return uint64_t(found.nFileSizeLow);
       }},
      {"another handle",
       [](HANDLE) {
         HANDLE reader = CreateFileA("g.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         char bytes[16];
         DWORD n = 0;
         ReadFile(reader, bytes, sizeof bytes, &n, nullptr);
         CloseHandle(reader);
         return uint64_t(n);
       }},
  };
  for (const case_t& c : cases) {
    HANDLE h = open_writer(FILE_SHARE_READ);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "abc", 3, &n, nullptr)) << c.name;
    ASSERT_EQ(size_on_disk(), 0u) << c.name << ": the bytes were not gathered";
    EXPECT_EQ(c.size_seen(h), 3u) << c.name;
    ASSERT_TRUE(CloseHandle(h)) << c.name;
    EXPECT_EQ(read_text("g.bin"), "abc") << c.name;
  }
}

TEST_F(gathered_writes_test, writes_after_a_seek_land_at_the_caller_position) {
  HANDLE h = open_writer(FILE_SHARE_READ);
  DWORD n = 0;
  WriteFile(h, "abcdef", 6, &n, nullptr);
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
  WriteFile(h, "XY", 2, &n, nullptr);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 4u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), 6u);
  WriteFile(h, "gh", 2, &n, nullptr);
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_EQ(read_text("g.bin"), "abXYefgh");
}

// The error number is the one the file layer gives every write failure; the
// bytes are lost, so the handle's later writes, flushes and close fail too.
TEST_F(gathered_writes_test, a_failed_gathered_write_reaches_the_call_that_wrote_it_out) {
  struct case_t {
    const char* name;
    std::errc error;
    DWORD expected;
    std::function<BOOL(HANDLE)> write_out;
    bool closes;
  };
  const std::string full(64 * 1024 - 1, 'f');
  auto overflow = [&full](HANDLE h) {
    DWORD n = 0;
    return WriteFile(h, full.data(), DWORD(full.size()), &n, nullptr);
  };
  const case_t cases[] = {
      {"full disk at the close", std::errc::no_space_on_device, ERROR_DISK_FULL, CloseHandle, true},
      {"I/O error at the close", std::errc::io_error, ERROR_IO_DEVICE, CloseHandle, true},
      {"full disk at the flush", std::errc::no_space_on_device, ERROR_DISK_FULL, FlushFileBuffers, false},
      {"I/O error at the flush", std::errc::io_error, ERROR_IO_DEVICE, FlushFileBuffers, false},
      {"full disk at the next write", std::errc::no_space_on_device, ERROR_DISK_FULL, overflow, false},
      {"I/O error at a size query", std::errc::io_error, ERROR_IO_DEVICE,
       [](HANDLE h) { return GetFileSize(h, nullptr) == 0 && FlushFileBuffers(h); }, false},
  };
  for (const case_t& c : cases) {
    HANDLE h = open_writer(FILE_SHARE_READ);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "abc", 3, &n, nullptr)) << c.name;
    fail_syscall(syscall_id::write, 1, c.error);
    EXPECT_FALSE(c.write_out(h)) << c.name;
    EXPECT_EQ(GetLastError(), c.expected) << c.name;
    if (!c.closes) {
      EXPECT_FALSE(WriteFile(h, "d", 1, &n, nullptr)) << c.name;
      EXPECT_FALSE(CloseHandle(h)) << c.name;
      EXPECT_EQ(GetLastError(), c.expected) << c.name;
    }
    reset_syscalls();
  }
}

TEST_F(gathered_writes_test, a_write_the_system_takes_in_part_goes_on) {
  const std::string bytes(5000, 'p');
  HANDLE h = open_writer(FILE_SHARE_READ);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr));
  replace_syscall(syscall_id::write, reinterpret_cast<void*>(&write_in_part));
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_EQ(read_text("g.bin"), bytes);
}

TEST_F(gathered_writes_test, the_end_of_the_process_writes_out_what_handles_hold) {
  EXPECT_EXIT(
      {
        DWORD n = 0;
        WriteFile(open_writer(FILE_SHARE_READ), "abc", 3, &n, nullptr);
        ExitProcess(7);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_EQ(read_text("g.bin"), "abc");
}
