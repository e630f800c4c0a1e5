// The buffered file's knowledge of the system position: block reads and
// writes that follow one another need no seek, and every other move of the
// position makes the next block go where it belongs.
#include "drivers/buffered_file.h"

#include "drivers/low_level_io.h"
#include "platform/syscalls.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;

namespace {

class buffered_position_test : public drv_test::RecordFileTest {
 protected:
  // Opens `name` read and write, deny none, buffering on, 16-byte block.
  void open(const std::string& name) {
    file_.init();
    ASSERT_EQ(file_.open(path(name).c_str(), 0x42), 0u);
    file_.lend_buffer(block_, 16, kBufferingSwitchOn);
  }
  void TearDown() override {
    if (file_.handle) file_.close();
    drv_test::RecordFileTest::TearDown();
  }
  std::string read_bytes(uint32_t n, uint32_t q) {
    std::string out(n, '\0');
    int32_t count = file_.read_at(out.data(), n, q);
    out.resize(count < 0 ? 0 : size_t(count));
    return out;
  }
  static uint64_t seeks() { return plat::syscall_calls(plat::syscall_id::lseek); }

  BufferedFile file_{};
  unsigned char block_[17] = {};
  plat::syscall_guard syscalls_;
};

std::string digits(size_t n) {
  std::string s(n, '0');
  for (size_t i = 0; i < n; ++i) s[i] = char('0' + i % 10);
  return s;
}

TEST_F(buffered_position_test, reading_from_start_to_end_seeks_nothing) {
  const std::string bytes = digits(100);
  write_file("f", bytes);
  open("f");
  uint64_t before = seeks();
  std::string read;
  for (uint32_t q = 0; q < 100; ++q) read += read_bytes(1, q);
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(seeks(), before);
}

TEST_F(buffered_position_test, a_read_back_or_ahead_seeks_to_its_block) {
  const std::string bytes = digits(100);
  write_file("f", bytes);
  open("f");
  EXPECT_EQ(read_bytes(4, 40), bytes.substr(40, 4));
  EXPECT_EQ(read_bytes(4, 3), bytes.substr(3, 4));
  EXPECT_EQ(read_bytes(4, 90), bytes.substr(90, 4));
  EXPECT_EQ(read_bytes(4, 20), bytes.substr(20, 4));
}

TEST_F(buffered_position_test, appended_blocks_follow_one_another_without_a_seek) {
  write_file("f", "");
  open("f");
  uint64_t before = seeks();
  const std::string bytes = digits(200);
  for (size_t i = 0; i < bytes.size(); i += 10) ASSERT_EQ(file_.write(bytes.data() + i, 10), 10);
  ASSERT_EQ(file_.flush(), 0u);
  EXPECT_EQ(read_file("f"), bytes);
  EXPECT_EQ(seeks(), before);
}

TEST_F(buffered_position_test, a_block_written_out_after_a_read_elsewhere_lands_at_its_place) {
  write_file("f", digits(64));
  open("f");
  ASSERT_EQ(file_.seek(8), 0u);
  ASSERT_EQ(file_.write("ab", 2), 2);
  EXPECT_EQ(read_bytes(4, 40), "0123");  // writes the block out, reads elsewhere
  ASSERT_EQ(file_.seek(12), 0u);
  ASSERT_EQ(file_.write("cd", 2), 2);
  ASSERT_EQ(file_.flush(), 0u);
  std::string expected = digits(64);
  expected.replace(8, 2, "ab");
  expected.replace(12, 2, "cd");
  EXPECT_EQ(read_file("f"), expected);
}

TEST_F(buffered_position_test, size_and_cut_leave_the_next_block_in_place) {
  write_file("f", digits(50));
  open("f");
  EXPECT_EQ(read_bytes(4, 0), "0123");
  EXPECT_EQ(file_.size(), 50u);
  EXPECT_EQ(read_bytes(4, 16), "6789");
  ASSERT_EQ(file_.cut(30), 0u);
  ASSERT_EQ(file_.seek(30), 0u);
  ASSERT_EQ(file_.write("xy", 2), 2);
  ASSERT_EQ(file_.flush(), 0u);
  EXPECT_EQ(read_file("f"), digits(30) + "xy");
}

TEST_F(buffered_position_test, unbuffered_reads_and_writes_keep_the_position_for_later_blocks) {
  write_file("f", digits(40));
  open("f");
  file_.lend_buffer(block_, 16, kBufferingSwitchOff);
  ASSERT_EQ(file_.seek(5), 0u);
  char two[2];
  ASSERT_EQ(file_.read(two, 2), 2);
  EXPECT_EQ(std::string(two, 2), "56");
  ASSERT_EQ(file_.write("zz", 2), 2);  // at 7, where the read left off
  file_.lend_buffer(block_, 16, kBufferingSwitchOn);
  EXPECT_EQ(read_bytes(4, 6), "6zz9");
  file_.close();
  std::string expected = digits(40);
  expected.replace(7, 2, "zz");
  EXPECT_EQ(read_file("f"), expected);
}

TEST_F(buffered_position_test, an_unbuffered_read_away_from_the_start_moves_the_position_on) {
  write_file("f", digits(10));
  open("f");
  file_.lend_buffer(block_, 16, kBufferingSwitchOff);
  char two[2];
  ASSERT_EQ(file_.seek(5), 0u);
  ASSERT_EQ(file_.read(two, 2), 2);
  ASSERT_EQ(file_.seek(2), 0u);  // the file is at 7, so this must move it
  ASSERT_EQ(file_.read(two, 2), 2);
  EXPECT_EQ(std::string(two, 2), "23");
}

TEST_F(buffered_position_test, a_reopened_object_starts_at_the_start_of_its_new_file) {
  write_file("a", digits(40));
  write_file("b", "abcdefghijklmnopqrstuvwxyz");
  open("a");
  EXPECT_EQ(read_bytes(4, 20), "0123");
  file_.close();
  ASSERT_EQ(file_.open(path("b").c_str(), 0x42), 0u);
  file_.lend_buffer(block_, 16, kBufferingSwitchOn);
  EXPECT_EQ(read_bytes(4, 0), "abcd");
  EXPECT_EQ(read_bytes(4, 16), "qrst");
}

}  // namespace
