#include "platform/file.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "scratch_folder.h"

using namespace plat;

namespace {

class file_test : public scratch_folder {};

HANDLE open_for(const char* name, DWORD access, DWORD share, DWORD creation) {
  return CreateFileA(name, access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST_F(file_test, missing_final_component_is_2_and_missing_folder_is_3) {
  write_text("plain", "x");
  EXPECT_EQ(open_for("absent.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(open_for("nofolder\\absent.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(open_for("plain/inside.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);  // a file on the way is no folder
  EXPECT_EQ(open_for("nofolder/new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(open_for("", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(file_test, creation_dispositions_report_existing_files_as_windows_does) {
  HANDLE h = open_for("a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, "hello", 5, &written, nullptr));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(CloseHandle(h));

  EXPECT_EQ(open_for("a.txt", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

  h = open_for("a.txt", GENERIC_READ, 0, OPEN_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 5u);  // OPEN_ALWAYS keeps the contents
  CloseHandle(h);

  h = open_for("a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);  // CREATE_ALWAYS empties it
  CloseHandle(h);

  EXPECT_EQ(open_for("a.txt", GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(open_for("a.txt", GENERIC_READ, 0, 9), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(file_test, both_separators_name_the_same_file) {
  std::filesystem::create_directory("sub");
  HANDLE h = open_for("sub\\note", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists("sub/note"));
  for (const std::string& name : {std::string("sub/note"), root_.string() + "\\sub\\note"}) {
    DWORD attributes = GetFileAttributesA(name.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u) << name;
  }
  EXPECT_EQ(GetFileAttributesA("sub\\") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

// A name reaches the system as written: a final period or space names a file
// of its own, never the one without it.
TEST_F(file_test, a_final_period_or_space_stays_in_the_name) {
  std::filesystem::create_directory("sub");
  write_text("sub/note", "the other file");
  for (const char* name : {"sub/note.", "sub/note ", "sub/note..", "sub/note. "}) {
    SCOPED_TRACE(name);
    HANDLE h = open_for(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_TRUE(DeleteFileA(name));
  }
  EXPECT_EQ(read_text("sub/note"), "the other file");
}

TEST_F(file_test, names_reach_the_system_as_raw_bytes) {
  const char name[] = "caf\xC3\xA9.txt";  // UTF-8 é, no code-page conversion
  HANDLE h = open_for(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(u8"café.txt")));
}

TEST_F(file_test, reads_writes_seeks_and_cuts) {
  HANDLE h = open_for("data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
  EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(h, buffer, 4, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "3456");
  EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_END), 8u);
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "89");
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));  // end of file: success, nothing
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);  // a failed move leaves the place
  SetFilePointer(h, 4, nullptr, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(h, &high), 4u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  ASSERT_TRUE(FlushFileBuffers(h));
  CloseHandle(h);
  EXPECT_EQ(read_text("data.bin"), "0123");
}

// Bytes 0..n-1 of a pattern that does not repeat within a read-ahead.
static std::string pattern(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = char((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// A handle that only reads, with writers denied, reads ahead of its caller:
// block-sized reads take few system reads and the position stays the
// caller's.
TEST_F(file_test, a_read_only_handle_with_writers_denied_reads_ahead) {
  const std::string bytes = pattern(200000);
  write_text("in.bin", bytes);
  HANDLE h = open_for("in.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  uint64_t reads = syscall_calls(syscall_id::read);
  std::string got;
  char block[1024];
  DWORD n = 0;
  do {
    ASSERT_TRUE(ReadFile(h, block, sizeof block, &n, nullptr));
    got.append(block, n);
  } while (n > 0);
  EXPECT_EQ(got, bytes);
  EXPECT_LT(syscall_calls(syscall_id::read) - reads, 10u);  // not one per block
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 200000u);

  // Positions are the caller's, not the read-ahead's.
  EXPECT_EQ(SetFilePointer(h, 1000, nullptr, FILE_BEGIN), 1000u);
  ASSERT_TRUE(ReadFile(h, block, 10, &n, nullptr));
  EXPECT_EQ(std::string(block, n), bytes.substr(1000, 10));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 1010u);
  EXPECT_EQ(SetFilePointer(h, -10, nullptr, FILE_CURRENT), 1000u);
  ASSERT_TRUE(ReadFile(h, block, 4, &n, nullptr));
  EXPECT_EQ(std::string(block, n), bytes.substr(1000, 4));
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 199997u);
  ASSERT_TRUE(ReadFile(h, block, sizeof block, &n, nullptr));
  EXPECT_EQ(std::string(block, n), bytes.substr(199997));

  // A read as large as the read-ahead goes straight to the caller.
  std::string whole(bytes.size(), '\0');
  SetFilePointer(h, 5, nullptr, FILE_BEGIN);
  ASSERT_TRUE(ReadFile(h, whole.data(), DWORD(whole.size()), &n, nullptr));
  EXPECT_EQ(whole.substr(0, n), bytes.substr(5));
  CloseHandle(h);
}

// Writers denied, the file is taken as unchanging: one that a program
// ignoring the sharing changes meanwhile (cut, grown or rewritten) fails the
// read that reaches its end with 1006, rather than hand out a mix of two
// files. A handle that lets others write reads whatever is there.
TEST_F(file_test, a_reader_that_denies_writers_fails_at_the_end_of_a_file_changed_meanwhile) {
  namespace fs = std::filesystem;
  const struct {
    const char* change;
    DWORD share;
    DWORD error;  // of the read that reaches the end
  } cases[] = {
      {"none", FILE_SHARE_READ, ERROR_SUCCESS},
      {"cut", FILE_SHARE_READ, ERROR_FILE_INVALID},
      {"grown", FILE_SHARE_READ, ERROR_FILE_INVALID},
      {"rewritten", FILE_SHARE_READ, ERROR_FILE_INVALID},
      {"cut", FILE_SHARE_READ | FILE_SHARE_WRITE, ERROR_SUCCESS},
  };
  for (const auto& [change, share, error] : cases) {
    SCOPED_TRACE(std::string(change) + (share & FILE_SHARE_WRITE ? ", writers let in" : ""));
    write_text("in.bin", pattern(200000));
    fs::last_write_time("in.bin", fs::last_write_time("in.bin") - std::chrono::hours(1));
    HANDLE h = open_for("in.bin", GENERIC_READ, share, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char block[1024];
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(h, block, sizeof block, &n, nullptr));
    const std::string what = change;
    if (what == "cut") fs::resize_file("in.bin", 100000);
    if (what == "grown") std::ofstream("in.bin", std::ios::binary | std::ios::app) << "more";
    if (what == "rewritten") write_text("in.bin", pattern(200000));
    BOOL ok = TRUE;
    SetLastError(0);
    while ((ok = ReadFile(h, block, sizeof block, &n, nullptr)) && n == sizeof block) {
    }
    EXPECT_EQ(ok != 0, error == ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), error);
    CloseHandle(h);
  }
}

// The bytes read ahead are handed out before the error of the system read
// that would have read on, as a read straight from the file would.
TEST_F(file_test, a_read_error_ahead_of_the_caller_comes_after_the_bytes_before_it) {
  const std::string bytes = pattern(70000);
  write_text("in.bin", bytes);
  HANDLE h = open_for("in.bin", GENERIC_READ, 0, OPEN_EXISTING);
  char block[1000];
  DWORD n = 0;
  for (int i = 0; i < 65; ++i) ASSERT_TRUE(ReadFile(h, block, sizeof block, &n, nullptr));
  syscall_guard guard;
  fail_syscall(syscall_id::read, 1, std::errc::io_error);
  EXPECT_FALSE(ReadFile(h, block, sizeof block, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_IO_DEVICE));
  ASSERT_EQ(n, 536u);  // what was held of the 64 KiB read ahead
  EXPECT_EQ(std::string(block, n), bytes.substr(65000, 536));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 65536u);
  ASSERT_TRUE(ReadFile(h, block, sizeof block, &n, nullptr));  // the next read goes on
  EXPECT_EQ(std::string(block, n), bytes.substr(65536, 1000));
  CloseHandle(h);
}

// A handle whose file another handle may write reads no further than asked:
// it sees what was written after its last read.
TEST_F(file_test, a_handle_that_lets_others_write_sees_their_writes) {
  write_text("shared.bin", "aaaa");
  HANDLE reader =
      open_for("shared.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE writer =
      open_for("shared.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  char c = 0;
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(reader, &c, 1, &n, nullptr));
  SetFilePointer(writer, 1, nullptr, FILE_BEGIN);
  ASSERT_TRUE(WriteFile(writer, "b", 1, &n, nullptr));
  ASSERT_TRUE(ReadFile(reader, &c, 1, &n, nullptr));
  EXPECT_EQ(c, 'b');
  CloseHandle(writer);
  CloseHandle(reader);
}

TEST_F(file_test, positions_past_4_gib_need_the_high_half) {
  HANDLE h = open_for("big.dat", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), 16u);
  EXPECT_EQ(high, 1);  // the place is 4 GiB + 16
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);  // a 32-bit answer cannot name it
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), 16u);  // and it did not move
  EXPECT_EQ(high, 1);
  high = -1;
  EXPECT_EQ(SetFilePointer(h, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  CloseHandle(h);
}

TEST_F(file_test, a_handle_does_only_what_its_access_allows) {
  write_text("r.txt", "abc");
  HANDLE h = open_for("r.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(h));
  CloseHandle(h);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReadFile(h, &n, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(file_test, a_reading_handle_cannot_cut_the_file) {
  write_text("r.txt", "abc");
  HANDLE h = open_for("r.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(SetEndOfFile(h));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(h);
  EXPECT_EQ(read_text("r.txt"), "abc");
}

TEST_F(file_test, a_directory_is_not_opened_as_a_file_nor_deleted_as_one) {
  std::filesystem::create_directory("dir");
  EXPECT_EQ(open_for("dir", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA("dir"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(file_test, a_directory_or_read_only_file_refuses_writing) {
  std::filesystem::create_directory("dir");
  EXPECT_EQ(open_for("dir", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE h = CreateFileA("ro.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "x", 1, &n, nullptr));  // the creating handle may still write
  CloseHandle(h);
  EXPECT_EQ(GetFileAttributesA("ro.txt"), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(open_for("ro.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA("ro.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA("dir"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(file_test, delete_move_and_copy_keep_the_windows_errors) {
  write_text("a.txt", "alpha");
  write_text("b.txt", "beta");
  EXPECT_FALSE(MoveFileA("a.txt", "b.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(read_text("b.txt"), "beta");
  ASSERT_TRUE(MoveFileA("a.txt", "c.txt"));
  EXPECT_EQ(read_text("c.txt"), "alpha");
  EXPECT_FALSE(MoveFileA("a.txt", "d.txt"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  EXPECT_FALSE(CopyFileA("c.txt", "b.txt", TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  ASSERT_TRUE(CopyFileA("c.txt", "b.txt", FALSE));
  EXPECT_EQ(read_text("b.txt"), "alpha");
  EXPECT_FALSE(CopyFileA("missing.txt", "e.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  ASSERT_TRUE(DeleteFileA("b.txt"));
  EXPECT_FALSE(DeleteFileA("b.txt"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFileA("nofolder/b.txt"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// Names that are not regular files: a FIFO would block an open or never end
// a read, so every way of opening one is refused at once, as a folder is.
TEST_F(file_test, only_regular_files_open_and_a_fifo_is_refused_at_once) {
  ASSERT_EQ(std::system("mkfifo pipe"), 0);
  write_text("a.txt", "alpha");
  const DWORD creations[] = {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING};
  for (DWORD creation : creations) {
    for (DWORD access : {GENERIC_READ | GENERIC_WRITE, DWORD{GENERIC_WRITE}}) {
      SetLastError(0);
      EXPECT_EQ(open_for("pipe", access, FILE_SHARE_READ, creation), INVALID_HANDLE_VALUE)
          << "creation " << creation << ", access " << access;
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << "creation " << creation;
    }
  }
  EXPECT_EQ(open_for("pipe", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CopyFileA("pipe", "copy.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists("copy.txt"));
  EXPECT_FALSE(DeleteFileA("pipe"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CopyFileA("a.txt", "pipe", FALSE));  // nor replaced by a copy
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(std::filesystem::is_fifo("pipe"));
}

// A symbolic link is an entry of its own: removing or copying over it acts on
// the link, and the file it names is never written, created or removed.
TEST_F(file_test, links_are_removed_and_replaced_never_written_through) {
  namespace fs = std::filesystem;
  write_text("outside.txt", "keep");
  write_text("source.txt", "new");
  const struct {
    const char* link;
    const char* names;
  } links[] = {{"to_file", "outside.txt"}, {"to_nothing", "nowhere.txt"}, {"to_folder", "folder"}};
  for (const auto& [link, names] : links) {
    SCOPED_TRACE(link);
    fs::create_directory("folder");
    fs::create_symlink(names, link);
    EXPECT_FALSE(CopyFileA("source.txt", link, TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    ASSERT_TRUE(CopyFileA("source.txt", link, FALSE));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(read_text(link), "new");
    EXPECT_TRUE(DeleteFileA(link));
    EXPECT_TRUE(fs::is_empty("folder"));
    fs::remove("folder");
  }
  EXPECT_EQ(read_text("outside.txt"), "keep");
  EXPECT_FALSE(fs::exists("nowhere.txt"));

  fs::create_symlink("outside.txt", "link");
  fs::create_symlink("nowhere.txt", "dangling");
  EXPECT_TRUE(DeleteFileA("link"));
  EXPECT_FALSE(fs::is_symlink("link"));
  EXPECT_EQ(read_text("outside.txt"), "keep");
  for (DWORD creation : {DWORD{CREATE_ALWAYS}, DWORD{OPEN_ALWAYS}}) {
    EXPECT_EQ(open_for("dangling", GENERIC_WRITE, 0, creation), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << "creation " << creation;
  }
  EXPECT_FALSE(fs::exists("nowhere.txt"));
  EXPECT_TRUE(DeleteFileA("dangling"));
  EXPECT_FALSE(fs::is_symlink("dangling"));
}

TEST_F(file_test, file_information_names_the_file_behind_a_handle) {
  write_text("a.txt", "alpha");
  write_text("b.txt", "beta");
  auto identity = [](const char* name) {
    HANDLE h = open_for(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(GetFileInformationByHandle(h, &info)) << name;
    CloseHandle(h);
    return info;
  };
  const BY_HANDLE_FILE_INFORMATION a = identity("a.txt"), b = identity("b.txt");
  EXPECT_EQ(a.nFileSizeLow, 5u);
  EXPECT_EQ(a.nNumberOfLinks, 1u);
  EXPECT_EQ(a.dwFileAttributes, GetFileAttributesA("a.txt"));  // the system's, on either system
  EXPECT_EQ(a.dwVolumeSerialNumber, b.dwVolumeSerialNumber);
  EXPECT_NE(std::pair(a.nFileIndexHigh, a.nFileIndexLow),
            std::pair(b.nFileIndexHigh, b.nFileIndexLow));
  ASSERT_TRUE(MoveFileA("a.txt", "c.txt"));
  const BY_HANDLE_FILE_INFORMATION c = identity("c.txt");
  EXPECT_EQ(std::pair(a.nFileIndexHigh, a.nFileIndexLow),
            std::pair(c.nFileIndexHigh, c.nFileIndexLow));
  EXPECT_FALSE(GetFileInformationByHandle(INVALID_HANDLE_VALUE, nullptr));
}

TEST_F(file_test, a_delete_on_close_file_serves_its_handle_and_goes_with_it) {
  HANDLE h = CreateFileA("spool", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(h, "kept for a second reading", 25, &done, nullptr));
  ASSERT_EQ(SetFilePointer(h, 5, nullptr, FILE_BEGIN), 5u);
  char back[20] = {};
  ASSERT_TRUE(ReadFile(h, back, sizeof back, &done, nullptr));
  EXPECT_EQ(std::string(back, done), "for a second reading");
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_EQ(GetFileAttributesA("spool"), INVALID_FILE_ATTRIBUTES);
}

// Windows keeps the name of a delete-on-close file until its handle
// closes, and refuses to open it meanwhile; on Linux the name goes at once.
TEST_F(file_test, DISABLED_a_delete_on_close_file_keeps_its_name_while_open) {
  HANDLE h = CreateFileA("spool", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_NE(GetFileAttributesA("spool"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(open_for("spool", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

// A copy whose bytes may not all have reached the target fails, whether
// a write or the target's close says so (the source is closed first).
TEST_F(file_test, copy_that_fails_half_way_leaves_no_partial_target) {
  const struct {
    const char* name;
    syscall_id call;
    int nth;
    std::errc error;
    DWORD reported;
  } cases[] = {
      {"second write", syscall_id::write, 2, std::errc::no_space_on_device, ERROR_DISK_FULL},
      {"close of the target", syscall_id::close, 2, std::errc::io_error, ERROR_IO_DEVICE},
  };
  write_text("big.bin", std::string(200000, 'z'));
  for (const auto& c : cases) {
    syscall_guard guard;
    fail_syscall(c.call, c.nth, c.error);
    EXPECT_FALSE(CopyFileA("big.bin", "copy.bin", FALSE)) << c.name;
    EXPECT_EQ(GetLastError(), c.reported) << c.name;
    EXPECT_FALSE(std::filesystem::exists("copy.bin")) << c.name;
  }
}

TEST_F(file_test, directories_are_made_one_level_at_a_time) {
  ASSERT_TRUE(CreateDirectoryA("WRK", nullptr));
  EXPECT_FALSE(CreateDirectoryA("WRK\\", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA("x/y/z", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA("WRK"), FILE_ATTRIBUTE_DIRECTORY);
  write_text("WRK/f", "1");
  EXPECT_FALSE(RemoveDirectoryA("WRK"));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectoryA("WRK/f"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA("none"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(file_test, find_lists_matches_with_dots_first_then_by_name) {
  write_text("b.TXT", "22");
  write_text("a.txt", "1");
  write_text("c.dat", "");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("*.txt", &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(found.cFileName, "a.txt");
  EXPECT_EQ(found.nFileSizeLow, 1u);
  ASSERT_TRUE(FindNextFileA(search, &found));
  EXPECT_STREQ(found.cFileName, "b.TXT");  // wild cards ignore case
  EXPECT_FALSE(FindNextFileA(search, &found));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_FALSE(CloseHandle(search));  // a search is closed by FindClose only
  EXPECT_TRUE(FindClose(search));

  search = FindFirstFileA("*.*", &found);
  EXPECT_STREQ(found.cFileName, ".");
  FindNextFileA(search, &found);
  EXPECT_STREQ(found.cFileName, "..");
  EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(search);

  search = FindFirstFileA(at("c.dat").c_str(), &found);  // no wild card: that entry itself
  EXPECT_STREQ(found.cFileName, "c.dat");
  FindClose(search);
  EXPECT_EQ(FindFirstFileA("*.none", &found), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA("nofolder/*.txt", &found), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(file_test, file_times_travel_through_dos_date_and_local_time) {
  HANDLE h = open_for("t.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  // 2024-03-15 13:45:30 packed as DOS date and time.
  WORD date = WORD(((2024 - 1980) << 9) | (3 << 5) | 15);
  WORD time = WORD((13 << 11) | (45 << 5) | 15);
  FILETIME local, utc;
  ASSERT_TRUE(DosDateTimeToFileTime(date, time, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  ASSERT_TRUE(SetFileTime(h, &utc, &utc, &utc));
  FILETIME written;
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
  FILETIME back_local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&written, &back_local));
  WORD back_date = 0, back_time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(&back_local, &back_date, &back_time));
  EXPECT_EQ(back_date, date);
  EXPECT_EQ(back_time, time);
  CloseHandle(h);

  SYSTEMTIME early{1979, 12, 0, 31, 0, 0, 0, 0};
  FILETIME before_dos;
  ASSERT_TRUE(SystemTimeToFileTime(&early, &before_dos));
  EXPECT_FALSE(FileTimeToDosDateTime(&before_dos, &back_date, &back_time));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(file_test, old_style_numbers_write_files_and_aux_is_standard_error) {
  write_text("log.txt", "0123456789");
  HFILE f = _lopen("log.txt", OF_READWRITE);
  ASSERT_NE(f, HFILE_ERROR);
  EXPECT_EQ(_lwrite(f, "ab", 2), 2u);
  EXPECT_EQ(_lwrite(f, "", 0), 0u);  // writing nothing cuts the file here
  EXPECT_EQ(_lclose(f), 0);
  EXPECT_EQ(read_text("log.txt"), "ab");
  EXPECT_EQ(_lopen("nothere.txt", OF_READ), HFILE_ERROR);

  testing::internal::CaptureStderr();
  HFILE aux = _lopen("aux", OF_WRITE);
  ASSERT_NE(aux, HFILE_ERROR);
  EXPECT_EQ(_lwrite(aux, "to the console\n", 15), 15u);
  _lclose(aux);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to the console\n");
}

// The standard streams as handles: any other value is refused (87), and
// closing a handle leaves its stream open for the next.
TEST_F(file_test, standard_handles_leave_their_streams_open) {
  SetLastError(0);
  EXPECT_EQ(GetStdHandle(static_cast<DWORD>(-13)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  for (int round = 0; round < 2; ++round) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    ASSERT_NE(error, nullptr);
    DWORD written = 1;
    EXPECT_TRUE(WriteFile(error, "", 0, &written, nullptr));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(CloseHandle(error));
  }
}

// A unique file's run of 'X's becomes random letters and digits, drawn again
// while the name made is taken; the file is new, and a pattern without six
// 'X's is refused.
TEST_F(file_test, a_unique_file_gets_a_name_nobody_took) {
  char first[] = "draft-XXXXXXXX.tmp";
  char second[] = "draft-XXXXXXXX.tmp";
  syscall_guard guard;
  fail_syscall(syscall_id::open, 1, std::errc::file_exists, 3);  // three names taken
  HANDLE a = CreateUniqueFileA(first, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE b = CreateUniqueFileA(second, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_NE(std::string(first), std::string(second));
  for (const char* name : {first, second}) {
    const std::string random = std::string(name).substr(6, 8);
    EXPECT_EQ(random.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789"), std::string::npos) << name;
    EXPECT_EQ(std::string(name).substr(14), ".tmp");
    EXPECT_NE(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES) << name;
  }
  CloseHandle(a);
  CloseHandle(b);
  char short_run[] = "draft-XXXXX.tmp";
  EXPECT_EQ(CreateUniqueFileA(short_run, GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  fail_syscall(syscall_id::open, 1, std::errc::file_exists, 0);  // every name taken
  char crowded[] = "draft-XXXXXXXX.tmp";
  EXPECT_EQ(CreateUniqueFileA(crowded, GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
}
