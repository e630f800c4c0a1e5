#include <chrono>
#include <cstdio>
#include <thread>

#include "drivers/operation_codes.h"
#include "platform/process.h"
#include "services/error_state.h"
#include "services/process_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class sharing_test : public drv_test::RecordFileTest {
 protected:
  // Starts a second process that opens `name` read and write, denying
  // write, locks it, and holds both until its input ends. Returns once the
  // holder is ready.
  std::FILE* start_holder(const std::string& name) {
    // The holder program sits beside this test program, on either system.
    char self[1024];
    std::string program(self, plat::GetModuleFileNameA(nullptr, self, sizeof self));
    const bool exe = program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0;
    program = program.substr(0, program.find_last_of("\\/") + 1) + "msgmake_file_holder" + (exe ? ".exe" : "");
    // Unquoted: the POSIX shell and the Windows command interpreter both
    // take a path without spaces as it is.
    std::string command = program + " " + path(name);
    std::FILE* holder = popen(command.c_str(), "w");
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(path(name) + ".ready") &&
           std::chrono::steady_clock::now() < give_up)
      std::this_thread::yield();
    return holder;
  }
};

TEST_F(sharing_test, another_process_holding_the_file_refuses_writers_and_locks) {
  write_file("shared.txt", "line\r\n");
  std::FILE* holder = start_holder("shared.txt");
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(std::filesystem::exists(path("shared.txt.ready")));
  DeclaredFile f;
  f.text("shared.txt");
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::access_denied);  // a sharing violation reads as Access Denied
  f.call(OP_OPEN, 0x40);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_LOCKfilesec, 0);
  EXPECT_EQ(error_code(), svc::err::file_already_locked);
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
  svc::process_state().reset();
  write_file("c.txt", "");
  DeclaredFile f;
  f.text("c.txt");
  f.call(OP_OPEN, 0x22);
  f.set_record("buffered");
  f.call(OP_ADD);
  svc::process_state().run_final_file_cleanup();
  EXPECT_TRUE(svc::process_state().final_file_cleanup_done());
  EXPECT_EQ(f.decl.instance, nullptr);
  EXPECT_EQ(read_file("c.txt"), "buffered\r\n");
  svc::process_state().reset();
}

}  // namespace
