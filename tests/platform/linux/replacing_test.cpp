// Replacing a name in one step, and looking at what stands at a name, with
// the entries that Linux has and Windows programs never meet: links, FIFOs,
// devices.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/file.h"
#include "platform/last_error.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

class replacing_test : public scratch_folder {};

namespace fs = std::filesystem;

void make_fifo(const char* name) { ASSERT_EQ(std::system((std::string("mkfifo ") + name).c_str()), 0); }

constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

}  // namespace

// A replacing move takes the place of nothing, a file or a link (the link
// itself, never what it names), and of nothing else: a folder, a FIFO, a
// device link's target stays, as does a read-only file or one held without
// delete sharing.
TEST_F(replacing_test, a_replacing_move_takes_the_place_of_a_file_or_a_link_only) {
  const struct {
    const char* standing;
    DWORD error;  // 0: replaced
  } cases[] = {
      {"nothing", 0},       {"file", 0},       {"link to a file", 0}, {"link to nothing", 0},
      {"folder", ERROR_ACCESS_DENIED},         {"fifo", ERROR_ACCESS_DENIED},
      {"read-only file", ERROR_ACCESS_DENIED}, {"held file", ERROR_SHARING_VIOLATION},
  };
  for (const auto& [standing, error] : cases) {
    SCOPED_TRACE(standing);
    fs::remove_all("to");
    write_text("from", "new");
    write_text("outside", "outside");
    const std::string what = standing;
    if (what == "file" || what == "read-only file" || what == "held file") write_text("to", "old");
    if (what == "read-only file") fs::permissions("to", fs::perms::owner_read);
    if (what == "link to a file") fs::create_symlink("outside", "to");
    if (what == "link to nothing") fs::create_symlink("nowhere", "to");
    if (what == "folder") fs::create_directory("to");
    if (what == "fifo") make_fifo("to");
    const HANDLE held = what == "held file" ? CreateFileA("to", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                            : INVALID_HANDLE_VALUE;
    SetLastError(0);
    const BOOL moved = MoveFileExA("from", "to", kReplace);
    EXPECT_EQ(GetLastError(), error);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(moved != 0, error == 0);
    EXPECT_EQ(fs::exists("from"), error != 0);
    EXPECT_EQ(read_text("outside"), "outside");
    if (error == 0) {
      EXPECT_FALSE(fs::is_symlink("to"));
      EXPECT_EQ(read_text("to"), "new");
    }
    fs::permissions("to", fs::perms::owner_all, fs::perm_options::add);
  }
}

// Without replacing, an existing target is kept (183); a missing source is
// 2; a failing rename arrives as its error, and a folder that cannot be
// synced afterwards does not undo or fail the move.
TEST_F(replacing_test, a_move_keeps_the_windows_errors_and_its_sync_is_no_condition) {
  write_text("a", "a");
  write_text("b", "b");
  EXPECT_FALSE(MoveFileExA("a", "b", MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(MoveFileExA("none", "b", kReplace));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(MoveFileExA("a", "b", 0x100));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  fail_syscall(syscall_id::renameat, 1, std::errc::io_error);
  EXPECT_FALSE(MoveFileExA("a", "b", kReplace));
  EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
  EXPECT_EQ(read_text("b"), "b");
  fail_syscall(syscall_id::fsync, 1, std::errc::io_error);
  SetLastError(0);
  EXPECT_TRUE(MoveFileExA("a", "b", kReplace));
  EXPECT_EQ(read_text("b"), "a");
  EXPECT_FALSE(fs::exists("a"));
}

// What stands at a name, the name itself not followed, and where a link
// leads in the end.
TEST_F(replacing_test, a_name_entry_tells_what_stands_there_and_where_a_link_leads) {
  write_text("file", "x");
  fs::create_directory("folder");
  make_fifo("fifo");
  fs::create_symlink("file", "to_file");
  fs::create_symlink("to_file", "to_link");
  fs::create_symlink("folder", "to_folder");
  fs::create_symlink("/dev/null", "to_device");
  fs::create_symlink("nowhere", "to_nothing");
  const struct {
    const char* name;
    entry_kind kind;
    bool link;
  } cases[] = {
      {"none", entry_kind::nothing, false},   {"file", entry_kind::file, false},
      {"folder", entry_kind::folder, false},  {"fifo", entry_kind::other, false},
      {"/dev/null", entry_kind::other, false}, {"to_file", entry_kind::file, true},
      {"to_link", entry_kind::file, true},    {"to_folder", entry_kind::folder, true},
      {"to_device", entry_kind::other, true}, {"to_nothing", entry_kind::nothing, true},
  };
  for (const auto& [name, kind, link] : cases) {
    name_entry entry;
    SetLastError(0);
    ASSERT_TRUE(GetNameEntry(name, &entry)) << name;
    EXPECT_EQ(entry.kind, kind) << name;
    EXPECT_EQ(entry.link, link) << name;
    EXPECT_EQ(GetLastError(), 0u) << name;
  }
  name_entry entry;
  EXPECT_FALSE(GetNameEntry("file/below", &entry));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(GetNameEntry("file", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Whether a file could be made at a name is the folder's to tell: one that
// is there and may be written; a missing folder, a file on the way, or a
// folder this process may not write is refused with its cause, and nothing
// is made.
TEST_F(replacing_test, a_file_can_be_created_where_its_folder_may_be_written) {
  write_text("file", "x");
  fs::create_directory("folder");
  const struct {
    const char* name;
    std::errc refused;  // of the system's call; {} for none
    DWORD error;        // 0: a file could be made there
  } cases[] = {
      {"new", {}, 0},
      {"folder/new", {}, 0},
      {"folder\\new", {}, 0},
      {"none/new", {}, ERROR_PATH_NOT_FOUND},
      {"file/new", {}, ERROR_PATH_NOT_FOUND},
      {"folder/new", std::errc::permission_denied, ERROR_ACCESS_DENIED},
      {"folder/new", std::errc::read_only_file_system, ERROR_WRITE_PROTECT},
  };
  for (const auto& [name, refused, error] : cases) {
    syscall_guard guard;
    if (refused != std::errc{}) fail_syscall(syscall_id::access, 1, refused);
    SetLastError(0);
    EXPECT_EQ(CanCreateFileIn(name), error == 0) << name;
    EXPECT_EQ(GetLastError(), error) << name;
  }
  EXPECT_FALSE(fs::exists("new") || fs::exists("folder/new"));
}
