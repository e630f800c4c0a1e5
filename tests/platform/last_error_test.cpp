#include "platform/last_error.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/file.h"

using namespace plat;

TEST(last_error_test, each_thread_keeps_its_own_last_error) {
  SetLastError(ERROR_LOCK_VIOLATION);
  DWORD seen_by_other = 1234;
  std::thread([&] {
    seen_by_other = GetLastError();
    DeleteFileA("/nonexistent-msgmake-folder/file");
  }).join();
  EXPECT_EQ(seen_by_other, ERROR_SUCCESS);          // a new thread starts clean
  EXPECT_EQ(GetLastError(), ERROR_LOCK_VIOLATION);  // untouched by the other's failure
}

TEST(last_error_test, a_success_leaves_the_last_error_alone_unless_windows_sets_it) {
  SetLastError(ERROR_DISK_FULL);
  EXPECT_NE(GetFileAttributesA("/"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
}
