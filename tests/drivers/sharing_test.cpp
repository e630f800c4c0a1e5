#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "drivers/operation_codes.h"
#include "lifecycle/process_state.h"
#include "platform/process.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class sharing_test : public drv_test::RecordFileTest {
 protected:
  // Starts this test program again as a second process that opens `name`
  // read and write, denying write, locks it, and holds both until its input
  // ends. Returns once the holder is ready.
  std::FILE* start_holder(const std::string& name) {
    char self[1024];
    plat::GetModuleFileNameA(nullptr, self, sizeof self);
    setenv("MSGMAKE_HOLD_FILE", path(name).c_str(), 1);
    // The program's path unquoted: the POSIX shell and the Windows command
    // interpreter both take a path without spaces as it is.
    std::string command = std::string(self) +
                          " --gtest_brief=1 --gtest_also_run_disabled_tests"
                          " --gtest_filter=sharing_test.DISABLED_holder";
    std::FILE* holder = popen(command.c_str(), "w");
    unsetenv("MSGMAKE_HOLD_FILE");
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(path(name) + ".ready") &&
           std::chrono::steady_clock::now() < give_up)
      std::this_thread::yield();
    return holder;
  }
};

// Run only as the second process of the test below.
TEST_F(sharing_test, DISABLED_holder) {
  const char* name = std::getenv("MSGMAKE_HOLD_FILE");
  ASSERT_NE(name, nullptr);
  DeclaredFile f;
  f.text(name);
  f.call(OP_OPEN, 0x22);
  f.call(OP_LOCKfile);
  ASSERT_EQ(error_code(), 0);
  write_file(std::string(name) + ".ready", "");
  while (std::fgetc(stdin) != EOF) {
  }
  f.call(OP_CLOSE);
}

TEST_F(sharing_test, another_process_holding_the_file_refuses_writers_and_locks) {
  write_file("shared.txt", "line\r\n");
  std::FILE* holder = start_holder("shared.txt");
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(std::filesystem::exists(path("shared.txt.ready")));
  DeclaredFile f;
  f.text("shared.txt");
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), 5);  // a sharing violation reads as Access Denied
  f.call(OP_OPEN, 0x40);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_LOCKfilesec, 0);
  EXPECT_EQ(error_code(), 32);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(f.clipped(), "line");
  f.call(OP_CLOSE);
  pclose(holder);
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_LOCKfile);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(sharing_test, shared_writes_take_and_give_back_the_file_lock) {
  write_file("s.txt", "");
  DeclaredFile f, g;
  f.text("s.txt");
  g.text("s.txt");
  f.call(OP_OPEN, 0x42);
  g.call(OP_OPEN, 0x42);
  f.set_record("from f");
  f.call(OP_ADD);
  g.set_record("from g");
  g.call(OP_ADD);  // sees f's line: the size is read again, the lock was released
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(read_file("s.txt"), "from f\r\nfrom g\r\n");
}

TEST_F(sharing_test, the_final_clean_up_closes_open_files_once) {
  life::process_state().reset();
  write_file("c.txt", "");
  DeclaredFile f;
  f.text("c.txt");
  f.call(OP_OPEN, 0x22);
  f.set_record("buffered");
  f.call(OP_ADD);
  life::process_state().run_final_file_cleanup();
  EXPECT_TRUE(life::process_state().final_file_cleanup_done());
  EXPECT_EQ(f.decl.instance, nullptr);
  EXPECT_EQ(read_file("c.txt"), "buffered\r\n");
  life::process_state().reset();
}

}  // namespace
