// The private folder on Linux: modes and owners, the lock file never opened
// through a link, and the note by which the next holder removes the copy of
// a holder that was killed.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "platform/last_error.h"
#include "platform/private_folder.h"
#include "platform/process.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kOtherUser = 65534;

class private_folder_modes_test : public scratch_folder {
 protected:
  void TearDown() override {
    release_folder();
    scratch_folder::TearDown();
  }
};

mode_t mode_of(const char* path) {
  struct stat status {};
  lstat(path, &status);
  return status.st_mode & 07777;
}

// In a child: holds WRK, copies a.txt into it, and is killed.
int copy_and_be_killed(void*) {
  if (hold_folder("WRK/.lock", hold_wait{}) != hold_result::held) return 1;
  if (copy_into_folder("a.txt", "WRK/a.txt") != copy_result::copied) return 2;
  raise(SIGKILL);
  return 3;
}

}  // namespace

TEST_F(private_folder_modes_test, a_folder_made_is_the_users_alone) {
  folder_fault fault = folder_fault::open_to_others;
  ASSERT_TRUE(make_private_folder("WRK", &fault));
  EXPECT_EQ(fault, folder_fault::none);
  EXPECT_EQ(mode_of("WRK"), 0700u);
}

TEST_F(private_folder_modes_test, a_folder_of_another_user_or_open_to_writers_is_not_fit) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
  const struct {
    const char* folder;
    mode_t mode;
    uid_t owner;
    folder_fault fault;
  } cases[] = {
      {"readable by all", 0755, getuid(), folder_fault::none},
      {"writable by its group", 0775, getuid(), folder_fault::open_to_others},
      {"writable by all", 0777, getuid(), folder_fault::open_to_others},
      {"shared with the sticky bit", 01777, getuid(), folder_fault::open_to_others},
      {"of another user", 0700, kOtherUser, folder_fault::foreign_owner},
  };
  for (const auto& [folder, mode, owner, expected] : cases) {
    SCOPED_TRACE(folder);
    ASSERT_EQ(mkdir(folder, 0700), 0);
    ASSERT_EQ(chmod(folder, mode), 0);
    ASSERT_EQ(chown(folder, owner, static_cast<gid_t>(-1)), 0);
    folder_fault fault = folder_fault::not_a_folder;
    EXPECT_TRUE(make_private_folder(folder, &fault));
    EXPECT_EQ(fault, expected);
  }
  fs::create_directory("real");
  fs::create_directory_symlink("real", "link");
  folder_fault fault = folder_fault::none;
  EXPECT_TRUE(make_private_folder("link", &fault));
  EXPECT_EQ(fault, folder_fault::not_a_folder) << "a link to a folder is not the folder";
}

TEST_F(private_folder_modes_test, the_lock_file_is_the_users_alone_and_never_a_link_or_fifo) {
  ASSERT_EQ(mkdir("WRK", 0700), 0);
  ASSERT_EQ(hold_folder("WRK/.lock", hold_wait{}), hold_result::held);
  EXPECT_EQ(mode_of("WRK/.lock"), 0600u);
  release_folder();
  const struct {
    const char* planted;
    void (*plant)();
  } cases[] = {
      {"a link to nothing", [] { fs::create_symlink("../made.txt", "WRK/.lock"); }},
      {"a link to a file",
       [] { write_text("made.txt", "x"), fs::create_symlink("../made.txt", "WRK/.lock"); }},
      {"a FIFO", [] { mkfifo("WRK/.lock", 0600); }},
  };
  for (const auto& [planted, plant] : cases) {
    SCOPED_TRACE(planted);
    fs::remove("made.txt");
    plant();
    const bool had_target = fs::exists("made.txt");
    EXPECT_EQ(hold_folder("WRK/.lock", hold_wait{}), hold_result::failed);
    EXPECT_EQ(fs::exists("made.txt"), had_target) << "nothing is made through a link";
    EXPECT_FALSE(fs::is_regular_file(fs::symlink_status("WRK/.lock")));
    fs::remove("WRK/.lock");
  }
}

TEST_F(private_folder_modes_test, a_copy_is_the_users_alone_whatever_its_source_allows) {
  ASSERT_EQ(mkdir("WRK", 0700), 0);
  write_text("a.txt", "open to all");
  ASSERT_EQ(chmod("a.txt", 0666), 0);
  ASSERT_EQ(copy_into_folder("a.txt", "WRK/a.txt"), copy_result::copied);
  EXPECT_EQ(mode_of("WRK/a.txt"), 0600u);
}

// A killed holder leaves its lock file and its copy; the next holder removes
// that copy when it is still the file the killed one made, and nothing else.
TEST_F(private_folder_modes_test, the_next_holder_removes_the_copy_a_killed_holder_left) {
  const struct {
    const char* after_the_kill;
    bool replaced;
  } cases[] = {{"the copy is left as it was", false},
               {"a file of the user's takes its name", true}};
  for (const auto& [after_the_kill, replaced] : cases) {
    SCOPED_TRACE(after_the_kill);
    fs::remove_all("WRK");
    ASSERT_EQ(mkdir("WRK", 0700), 0);
    write_text("a.txt", "attached");
    write_text("WRK/other.txt", "the user's");
    EXPECT_EQ(run_in_child_process(&copy_and_be_killed, nullptr), -1);
    ASSERT_TRUE(fs::exists("WRK/a.txt"));
    if (replaced) {
      fs::remove("WRK/a.txt");
      write_text("WRK/a.txt", "the user's too");
    }
    ASSERT_EQ(hold_folder("WRK/.lock", hold_wait{}), hold_result::held);
    remove_abandoned_copy();
    EXPECT_EQ(fs::exists("WRK/a.txt"), replaced);
    EXPECT_EQ(read_text("WRK/other.txt"), "the user's");
    release_folder();
    EXPECT_FALSE(fs::exists("WRK/.lock"));
  }
}

// A note that others could have written is no note: it could name any file.
TEST_F(private_folder_modes_test, the_note_of_a_lock_file_others_may_write_is_not_followed) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  const struct {
    const char* lock_file;
    mode_t mode;
    uid_t owner;
  } cases[] = {{"writable by all", 0666, getuid()}, {"of another user", 0600, kOtherUser}};
  for (const auto& [lock_file, mode, owner] : cases) {
    SCOPED_TRACE(lock_file);
    fs::remove_all("WRK");
    ASSERT_EQ(mkdir("WRK", 0700), 0);
    write_text("WRK/victim.txt", "kept");
    struct stat victim {};
    ASSERT_EQ(stat("WRK/victim.txt", &victim), 0);
    write_text("WRK/.lock", std::to_string(victim.st_dev) + " " + std::to_string(victim.st_ino) +
                                " victim.txt\n");
    ASSERT_EQ(chmod("WRK/.lock", mode), 0);
    ASSERT_EQ(chown("WRK/.lock", owner, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(hold_folder("WRK/.lock", hold_wait{}), hold_result::held);
    remove_abandoned_copy();
    EXPECT_EQ(read_text("WRK/victim.txt"), "kept");
    release_folder();
  }
}
