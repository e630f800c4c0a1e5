// Input streams: a name opened for reading once from start to end, as a
// program reads its input, whether it leads to a file, a pipe, a FIFO or a
// device.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/file.h"
#include "platform/last_error.h"
#include "platform/syscalls.h"
#include "tests/platform/scratch_folder.h"

using namespace plat;

namespace {

class input_stream_test : public scratch_folder {};

// Everything the stream holds, read in small pieces; "!" and the error when
// a read fails.
std::string read_all(HANDLE stream) {
  std::string text;
  char piece[3];
  DWORD got = 0;
  while (ReadFile(stream, piece, sizeof piece, &got, nullptr) && got > 0) text.append(piece, got);
  if (GetLastError() != ERROR_SUCCESS) text += "!" + std::to_string(GetLastError());
  return text;
}

std::string read_stream(const std::string& name) {
  SetLastError(ERROR_SUCCESS);
  HANDLE stream = OpenInputStreamA(name.c_str());
  if (stream == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << name;
  std::string text = read_all(stream);
  EXPECT_TRUE(CloseHandle(stream)) << name;
  return text;
}

}  // namespace

TEST_F(input_stream_test, a_file_reads_whole_and_others_may_write_it_meanwhile) {
  write_text("a.txt", "alpha beta");
  HANDLE stream = OpenInputStreamA("a.txt");
  ASSERT_NE(stream, INVALID_HANDLE_VALUE);
  HANDLE writer = CreateFileA("a.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(writer);
  EXPECT_EQ(read_all(stream), "alpha beta");
  CloseHandle(stream);
}

TEST_F(input_stream_test, what_is_no_stream_is_refused_as_a_file_open_refuses_it) {
  std::filesystem::create_directory("folder");
  const struct {
    const char* name;
    DWORD error;
  } cases[] = {
      {"absent.txt", ERROR_FILE_NOT_FOUND},
      {"nofolder/absent.txt", ERROR_PATH_NOT_FOUND},
      {"", ERROR_PATH_NOT_FOUND},
      {"folder", ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) EXPECT_EQ(read_stream(c.name), "error " + std::to_string(c.error)) << c.name;
}

TEST_F(input_stream_test, a_pipe_reads_to_its_end_through_its_name) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(write(ends[1], "through a pipe", 14), 14);
  close(ends[1]);
  EXPECT_EQ(read_stream("/dev/fd/" + std::to_string(ends[0])), "through a pipe");
  close(ends[0]);
}

// Opening a FIFO waits for its writer, as every reader of one does; the
// writer here is another thread, so the test needs no waiting of its own.
TEST_F(input_stream_test, a_fifo_is_read_once_its_writer_comes) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  std::thread writer([] { write_text("pipe", "written later"); });
  EXPECT_EQ(read_stream("pipe"), "written later");
  writer.join();
}

// A file open refuses a FIFO without opening it: an open, even a refused
// one, would let a waiting writer go on and lose what it writes.
TEST_F(input_stream_test, a_file_open_refuses_a_fifo_without_opening_it) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  const struct {
    DWORD access;
    DWORD creation;
  } opens_of_what_exists[] = {
      {GENERIC_READ, OPEN_EXISTING},
      {GENERIC_WRITE, OPEN_EXISTING},
      {GENERIC_READ | GENERIC_WRITE, TRUNCATE_EXISTING},
  };
  for (const auto& c : opens_of_what_exists) {
    const uint64_t opens = syscall_calls(syscall_id::open);
    EXPECT_EQ(CreateFileA("pipe", c.access, FILE_SHARE_READ, nullptr, c.creation, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(syscall_calls(syscall_id::open), opens) << "access " << c.access << ", creation " << c.creation;
  }
  std::thread writer([] { write_text("pipe", "kept for its reader"); });
  EXPECT_EQ(read_stream("pipe"), "kept for its reader");
  writer.join();
}

TEST_F(input_stream_test, a_device_reads_as_a_stream) { EXPECT_EQ(read_stream("/dev/null"), ""); }
