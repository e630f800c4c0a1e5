// The private folder: made and checked, held by one process at a time through
// a lock file that goes with the hold, and copies into it that replace what
// stood at their name and remove nothing but themselves.
#include "platform/private_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;
namespace fs = std::filesystem;

namespace {

class private_folder_test : public scratch_folder {
 protected:
  void SetUp() override {
    scratch_folder::SetUp();
    folder_fault fault = folder_fault::open_to_others;
    ASSERT_TRUE(make_private_folder("WRK", &fault));
    ASSERT_EQ(fault, folder_fault::none);
  }
  void TearDown() override {
    release_folder();
    scratch_folder::TearDown();
  }
};

void count_call(void* calls) {
  ++*static_cast<int*>(calls);
}

// In a child: tries to hold WRK without waiting; 1 held, 2 busy (and told
// of the wait once), 3 busy untold, 4 failed.
int try_to_hold(void*) {
  int told = 0;
  hold_wait wait;
  wait.tell = &count_call;
  wait.context = &told;
  switch (hold_folder("WRK\\.lock", wait)) {
    case hold_result::held:
      return 1;
    case hold_result::busy:
      return told == 1 ? 2 : 3;
    case hold_result::failed:
      break;
  }
  return 4;
}

// In a child: holds WRK and ends as the program does, through ExitProcess.
int hold_and_end(void*) {
  ExitProcess(hold_folder("WRK/.lock", hold_wait{}) == hold_result::held ? 1 : 4);
}

}  // namespace

TEST_F(private_folder_test, a_name_that_is_no_folder_is_not_fit) {
  write_text("file", "x");
  folder_fault fault = folder_fault::none;
  EXPECT_TRUE(make_private_folder("file", &fault));
  EXPECT_EQ(fault, folder_fault::not_a_folder);
  EXPECT_TRUE(make_private_folder("WRK\\", &fault)) << "made already: kept as it is";
  EXPECT_EQ(fault, folder_fault::none);
  EXPECT_FALSE(make_private_folder("no\\such\\WRK", &fault));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(private_folder_test, a_held_folder_is_busy_for_another_process_until_it_is_let_go) {
  ASSERT_EQ(hold_folder("WRK/.lock", hold_wait{}), hold_result::held);
  EXPECT_TRUE(fs::exists("WRK/.lock"));
  EXPECT_EQ(run_in_child_process(&try_to_hold, nullptr), 2);
  release_folder();
  EXPECT_FALSE(fs::exists("WRK/.lock")) << "the lock file goes with the hold";
  EXPECT_EQ(run_in_child_process(&hold_and_end, nullptr), 1);
  EXPECT_FALSE(fs::exists("WRK/.lock")) << "the end of the process lets go as well";
}

TEST_F(private_folder_test, a_folder_at_the_lock_files_name_is_never_held) {
  fs::create_directory("WRK/.lock");
  EXPECT_EQ(hold_folder("WRK/.lock", hold_wait{}), hold_result::failed);
  EXPECT_NE(GetLastError(), ERROR_SUCCESS);
  EXPECT_TRUE(fs::is_directory("WRK/.lock"));
}

// Whatever stood at the copy's name is replaced; the copy, and only it, goes
// again.
TEST_F(private_folder_test, a_copy_replaces_what_stands_at_its_name) {
  const struct {
    const char* standing;
    void (*plant)();
  } cases[] = {
      {"nothing", [] {}},
      {"a file", [] { write_text("WRK/a.txt", "old"); }},
      {"a read-only file",
       [] {
         write_text("WRK/a.txt", "old");
         fs::permissions("WRK/a.txt", fs::perms::owner_read);
       }},
      {"an empty folder", [] { fs::create_directory("WRK/a.txt"); }},
  };
  write_text("a.txt", "the source");
  for (const auto& [standing, plant] : cases) {
    SCOPED_TRACE(standing);
    plant();
    ASSERT_EQ(copy_into_folder("a.txt", "WRK\\a.txt"), copy_result::copied) << GetLastError();
    EXPECT_EQ(read_text("WRK/a.txt"), "the source");
    EXPECT_NE(GetFileAttributesA("WRK/a.txt") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(remove_copy("WRK\\a.txt"));
    EXPECT_FALSE(fs::exists("WRK/a.txt"));
  }
}

TEST_F(private_folder_test, a_folder_with_something_in_it_is_not_replaced) {
  write_text("a.txt", "the source");
  fs::create_directories("WRK/a.txt/inner");
  EXPECT_EQ(copy_into_folder("a.txt", "WRK/a.txt"), copy_result::target_failed);
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_TRUE(fs::is_directory("WRK/a.txt/inner"));
}

TEST_F(private_folder_test, a_source_that_cannot_be_read_leaves_no_copy_and_nothing_stale) {
  write_text("WRK/a.txt", "stale");
  EXPECT_EQ(copy_into_folder("a.txt", "WRK/a.txt"), copy_result::source_failed);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists("WRK/a.txt")) << "a stale entry would be read in the copy's place";
}

TEST_F(private_folder_test, a_file_in_the_folder_is_used_in_place_and_never_removed) {
  write_text("WRK/keep.txt", "kept");
  EXPECT_EQ(copy_into_folder("WRK/keep.txt", "WRK/keep.txt"), copy_result::in_place);
  EXPECT_TRUE(remove_copy("WRK/keep.txt"));
  EXPECT_EQ(read_text("WRK/keep.txt"), "kept");
}

TEST_F(private_folder_test, only_the_file_the_copy_made_is_removed) {
  write_text("a.txt", "the source");
  ASSERT_EQ(copy_into_folder("a.txt", "WRK/a.txt"), copy_result::copied);
  fs::remove("WRK/a.txt");
  write_text("WRK/a.txt", "put there since");
  EXPECT_TRUE(remove_copy("WRK/a.txt"));
  EXPECT_EQ(read_text("WRK/a.txt"), "put there since");
}
