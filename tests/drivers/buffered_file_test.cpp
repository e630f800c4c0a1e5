#include "drivers/buffered_file.h"

#include <system_error>

#include "drivers/full_path.h"
#include "drivers/low_level_io.h"
#include "drivers/operation_codes.h"
#include "platform/last_error.h"
#include "platform/syscalls.h"
#include "services/error_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class buffered_file_test : public drv_test::RecordFileTest {
 protected:
  // Opens `name` read and write, deny none, buffering as asked, 16-byte block.
  void open(const std::string& name, bool buffering) {
    file_.init();
    ASSERT_EQ(file_.open(path(name).c_str(), 0x42), 0u);
    file_.lend_buffer(block_, 16, buffering ? kBufferingSwitchOn : kBufferingSwitchOff);
  }
  void TearDown() override {
    if (file_.handle) file_.close();
    drv_test::RecordFileTest::TearDown();
  }
  BufferedFile file_{};
  unsigned char block_[17] = {};
  plat::syscall_guard syscalls_;
};

TEST_F(buffered_file_test, view_near_the_end_marks_it_with_ctrl_z) {
  write_file("f", "0123456789");
  open("f", true);
  const unsigned char* at = file_.view(4, 6);
  ASSERT_NE(at, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(at), 4), "6789");
  EXPECT_EQ(at[4], kCtrlZ);
  EXPECT_EQ(file_.block_fill, 4u);
  EXPECT_EQ(file_.view(17, 0), nullptr);  // more than the block holds
}

TEST_F(buffered_file_test, views_inside_the_block_read_nothing_again) {
  write_file("f", std::string(40, 'x'));
  open("f", true);
  ASSERT_NE(file_.view(4, 0), nullptr);
  uint64_t reads = plat::syscall_calls(plat::syscall_id::read);
  for (uint32_t q = 0; q + 4 <= 16; ++q) ASSERT_NE(file_.view(4, q), nullptr);
  EXPECT_EQ(plat::syscall_calls(plat::syscall_id::read), reads);
  file_.lend_buffer(block_, 16, kBufferingSwitchOff);
  ASSERT_NE(file_.view(4, 0), nullptr);
  ASSERT_NE(file_.view(4, 0), nullptr);
  EXPECT_EQ(plat::syscall_calls(plat::syscall_id::read), reads + 2);
}

TEST_F(buffered_file_test, a_write_that_does_not_fit_writes_the_block_out_first) {
  write_file("f", "");
  open("f", true);
  EXPECT_EQ(file_.write("0123456789", 10), 10);
  EXPECT_EQ(read_file("f"), "");
  EXPECT_EQ(file_.write("abcdefghij", 10), 10);
  EXPECT_EQ(read_file("f"), "0123456789");
  EXPECT_EQ(file_.block_start, 10u);
  EXPECT_EQ(file_.write(std::string(40, 'L').c_str(), 40), 40);  // larger than a block
  EXPECT_EQ(file_.flush(), 0u);
  EXPECT_EQ(read_file("f"), "0123456789abcdefghij" + std::string(40, 'L'));
}

TEST_F(buffered_file_test, writing_after_a_seek_away_writes_only_the_new_bytes) {
  write_file("f", "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  open("f", true);
  ASSERT_NE(file_.view(8, 0), nullptr);  // a full block of old bytes
  EXPECT_EQ(file_.seek(20), 0u);
  EXPECT_EQ(file_.write("xy", 2), 2);
  EXPECT_EQ(file_.flush(), 0u);
  EXPECT_EQ(read_file("f"), "ABCDEFGHIJKLMNOPQRSTxyWXYZ");
}

TEST_F(buffered_file_test, cut_keeps_the_bytes_written_before_it) {
  write_file("f", "0123456789");
  open("f", true);
  file_.seek(10);
  file_.write("ab", 2);
  EXPECT_EQ(file_.cut(11), 0u);
  EXPECT_EQ(read_file("f"), "0123456789a");
}

TEST_F(buffered_file_test, a_smaller_buffer_or_buffering_off_writes_the_block_out) {
  write_file("f", "");
  open("f", true);
  file_.write("abc", 3);
  unsigned char smaller[8];
  EXPECT_EQ(file_.lend_buffer(smaller, 8, 5), 0u);
  EXPECT_EQ(read_file("f"), "abc");
  file_.seek(3);
  file_.write("de", 2);
  file_.lend_buffer(smaller, 8, kBufferingSwitchOff);
  EXPECT_EQ(read_file("f"), "abcde");
}

TEST_F(buffered_file_test, failed_system_calls_keep_their_error) {
  write_file("f", "0123456789");
  open("f", true);
  plat::fail_syscall(plat::syscall_id::read, 1, std::errc::io_error);
  EXPECT_EQ(file_.view(4, 0), nullptr);
  EXPECT_NE(file_.last_error, 0u);
  unsigned char b[4];
  file_.seek(0);
  EXPECT_EQ(file_.read(b, 4), 4);
  EXPECT_EQ(file_.last_error, 0u);
  file_.write("zz", 2);
  plat::fail_syscall(plat::syscall_id::write, 1, std::errc::no_space_on_device);
  EXPECT_NE(file_.flush(), 0u);
  EXPECT_EQ(file_.flush(), 0u);  // the block stayed dirty and goes out now
  EXPECT_EQ(read_file("f"), "0123zz6789");
}

TEST_F(buffered_file_test, size_restores_the_system_position) {
  write_file("f", "0123456789");
  open("f", false);
  file_.seek(3);
  EXPECT_EQ(file_.size(), 10u);
  unsigned char b[2];
  EXPECT_EQ(file_.read(b, 2), 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 2), "34");
}

TEST_F(buffered_file_test, read_error_fails_next_without_moving_on) {
  write_file("in.bin", "abc");
  DeclaredFile f;
  f.raw("in.bin");
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  plat::fail_syscall(plat::syscall_id::read, 1, std::errc::io_error);
  f.call(OP_NEXT);
  EXPECT_NE(error_code(), 0);
  EXPECT_NE(error_code(), svc::err::record_not_available);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.record[0], 'a');
}

TEST_F(buffered_file_test, a_failing_write_out_is_reported_by_close) {
  write_file("out.txt", "");
  DeclaredFile f;
  f.text("out.txt");
  f.call(OP_OPEN, 0x22);
  f.set_record("line");
  f.call(OP_ADD);
  plat::fail_syscall(plat::syscall_id::write, 1, std::errc::no_space_on_device);
  f.call(OP_CLOSE);
  EXPECT_EQ(error_code(), svc::err::access_denied);
  EXPECT_EQ(f.decl.instance, nullptr);
}

TEST_F(buffered_file_test, open_errors_are_remapped) {
  DeclaredFile f;
  f.text("a.txt");
  write_file("a.txt", "");
  plat::fail_syscall(plat::syscall_id::open, 1, std::errc::permission_denied, 0);
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::access_denied);
  plat::reset_syscalls();
  DeclaredFile g;
  g.text("no/such/dir/a.txt");
  g.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::path_not_found);
}

TEST_F(buffered_file_test, files_of_two_gibibytes_are_refused_not_wrapped) {
  write_file("big.bin", "");
  std::error_code ec;
  std::filesystem::resize_file(path("big.bin"), (uint64_t(1) << 31) + 10, ec);
  if (ec) GTEST_SKIP() << "no sparse file here";
  DeclaredFile f;
  f.raw("big.bin");
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::system_code(plat::ERROR_SEEK));
  EXPECT_EQ(f.decl.instance, nullptr);
}

}  // namespace

// A file is created, closed, and opened again by name. Whatever another
// program puts under that name in between is not the file created, and the
// open refuses it rather than write the caller's records into it.
TEST_F(buffered_file_test, the_file_opened_after_create_is_the_file_created) {
  namespace fs = std::filesystem;
  const struct {
    const char* swap;
    void (*put_in_place)(const fs::path& name, const fs::path& other);
  } swaps[] = {
      {"a link to another file",
       [](const fs::path& name, const fs::path& other) {
         fs::remove(name);
         fs::create_symlink(other, name);
       }},
      {"another file renamed over it",
       [](const fs::path& name, const fs::path& other) {
         fs::copy_file(other, name.string() + ".new");
         fs::rename(name.string() + ".new", name);
       }},
      {"moved away and made again",
       [](const fs::path& name, const fs::path&) {
         fs::rename(name, name.string() + ".old");
         std::ofstream(name) << "again";
       }},
  };
  for (const auto& [swap, put_in_place] : swaps) {
    write_file("other.txt", "other");
    DeclaredFile f;
    f.text("m.txt");
    f.call(OP_CREATE);
    ASSERT_EQ(error_code(), 0) << swap;
    put_in_place(path("m.txt"), path("other.txt"));
    f.call(OP_OPEN, 0x22);
    EXPECT_EQ(error_code(), svc::err::access_denied) << swap;
    EXPECT_EQ(read_file("other.txt"), "other") << swap;
    svc::error_state().reset();
    f.call(OP_OPEN, 0x22);  // no longer the file just created: an ordinary open
    EXPECT_EQ(error_code(), 0) << swap;
    f.call(OP_CLOSE);
    fs::remove(path("m.txt"));
    fs::remove(path("m.txt.old"));
  }
  DeclaredFile g;
  g.text("kept.txt");
  g.call(OP_CREATE);
  g.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), 0);
  g.call(OP_CLOSE);
}

// While a name is staged, the statements on it create, open and write a new
// temporary file named after the pattern, and the file of that name keeps
// its bytes; its removal removes nothing and tells what removing the file
// would. Once the staging ends the name is the file itself again.
TEST_F(buffered_file_test, a_staged_name_reaches_its_temporary_file_only) {
  write_file("m.txt", "old");
  char full[kFullPathSize];
  ASSERT_EQ(expand_full_path("m.txt", ".", full), 0u);
  const std::string pattern = path(".m-XXXXXXXX.tmp");
  ASSERT_TRUE(sys::stage(full, pattern.c_str()));
  EXPECT_STREQ(sys::staged_temporary(), "");
  DeclaredFile f;
  f.text("m.txt");
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), 2) << "no temporary file before the create";
  svc::error_state().reset();
  f.call(OP_CREATE);
  f.call(OP_OPEN, 0x22);
  f.set_record("new line");
  f.call(OP_ADD);
  f.call(OP_CLOSE);
  EXPECT_EQ(error_code(), 0);
  const std::string temporary = sys::staged_temporary();
  ASSERT_EQ(temporary.size(), pattern.size());
  EXPECT_EQ(temporary.find("XXXXXXXX"), std::string::npos);
  EXPECT_EQ(read_file("m.txt"), "old");
  EXPECT_EQ(read_file(std::filesystem::path(temporary).filename().string()), "new line\r\n");
  f.call(OP_REMOVE);
  EXPECT_EQ(error_code(), 0);
  EXPECT_TRUE(std::filesystem::exists(temporary));
  EXPECT_EQ(read_file("m.txt"), "old");

  sys::unstage();
  svc::error_state().reset();
  f.call(OP_REMOVE);
  EXPECT_EQ(error_code(), 0);
  EXPECT_FALSE(std::filesystem::exists(path("m.txt")));
  ASSERT_TRUE(sys::stage(full, pattern.c_str()));
  svc::error_state().reset();
  f.call(OP_REMOVE);
  EXPECT_EQ(error_code(), 2) << "the removal of a missing file";
  sys::unstage();
}
