#include "platform/unfinished_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/process.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

class unfinished_files_test : public scratch_folder {};

// In a child: marks the draft (by a name with a backslash) and a work copy,
// finishes the work copy, then ends the process as a runtime error does.
int end_with_an_unfinished_draft(void*) {
  mark_unfinished(unfinished_file::draft, "sub\\draft.eml");
  mark_unfinished(unfinished_file::work_copy, "copy.bin");
  mark_finished(unfinished_file::work_copy);
  ExitProcess(2);
}

}  // namespace

TEST_F(unfinished_files_test, the_end_of_the_process_removes_what_is_still_unfinished) {
  std::filesystem::create_directory("sub");
  write_text("sub/draft.eml", "half");
  write_text("copy.bin", "done");
  EXPECT_EQ(run_in_child_process(&end_with_an_unfinished_draft, nullptr), 2);
  EXPECT_FALSE(std::filesystem::exists("sub/draft.eml"));
  EXPECT_TRUE(std::filesystem::exists("copy.bin")) << "a finished file stays";
}

TEST_F(unfinished_files_test, removing_forgets_the_files) {
  write_text("a.txt", "x");
  mark_unfinished(unfinished_file::draft, "a.txt");
  remove_unfinished_files();
  EXPECT_FALSE(std::filesystem::exists("a.txt"));
  write_text("a.txt", "again");
  remove_unfinished_files();
  EXPECT_TRUE(std::filesystem::exists("a.txt")) << "removed once, then forgotten";
}
