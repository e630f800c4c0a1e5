// The byte-by-byte base64 encoder run in-process on real files through the
// DOS and ASCII drivers, including its failure paths and a read error in the
// middle of a file.
#include "app/attachment_parts.h"

#include <system_error>

#include "app/program_data.h"
#include "drivers/open_files.h"
#include "platform/last_error.h"
#include "platform/syscalls.h"
#include "services/error_state.h"
#include "tests/app/draft_harness.h"

using namespace draft_harness;

namespace {

class Encoder {
 public:
  Encoder() { app::program_data().initialise(); }
  ~Encoder() { app::program_data().release(); }
  uint8_t encode(const fs::path& input, const fs::path& output) {
    return app::EncodeFileBase64(0, input.string(), output.string());
  }
  TempFolder dir;
};

// The standard base64 text of a decoded prefix: how many bytes the output holds.
size_t decoded_length(const std::string& text) {
  size_t chars = 0, padding = 0;
  for (char c : text) {
    if (c == '=') ++padding;
    if (c != '\r' && c != '\n') ++chars;
  }
  return chars / 4 * 3 - padding;
}

}  // namespace

TEST(base64_encoder_test, output_lines_are_standard_base64_for_every_length_near_a_line) {
  Encoder e;
  for (size_t size = 0; size <= 120; ++size) {
    const std::string bytes = random_bytes(size, size);
    write_bytes(e.dir / "in.bin", bytes);
    ASSERT_EQ(e.encode(e.dir / "in.bin", e.dir / "out.txt"), app::kEncoded);
    EXPECT_EQ(read_bytes(e.dir / "out.txt"), crlf(base64_lines(bytes))) << size << " bytes";
  }
  EXPECT_EQ(drv::files_in_use(), 0u);
}

TEST(base64_encoder_test, missing_input_writes_nothing) {
  Encoder e;
  EXPECT_EQ(e.encode(e.dir / "absent.bin", e.dir / "out.txt"), app::kInputNotOpened);
  EXPECT_FALSE(fs::exists(e.dir / "out.txt"));
  EXPECT_EQ(drv::files_in_use(), 0u);
}

TEST(base64_encoder_test, unopenable_output_closes_the_input_again) {
  Encoder e;
  write_bytes(e.dir / "in.bin", "abc");
  EXPECT_EQ(e.encode(e.dir / "in.bin", e.dir / "no" / "out.txt"), app::kOutputNotOpened);
  EXPECT_EQ(drv::files_in_use(), 0u);
}

// A read error ends the text where the error came, with the padding for
// the bytes read so far, and the encoder says that the text stops short,
// leaving the read error in the error state.
TEST(base64_encoder_test, read_error_ends_the_text_with_its_padding) {
  Encoder e;
  const std::string bytes = random_bytes(300001, 5);
  write_bytes(e.dir / "in.bin", bytes);
  plat::syscall_guard guard;
  plat::fail_syscall(plat::syscall_id::read, 2, std::errc::io_error);
  ASSERT_EQ(e.encode(e.dir / "in.bin", e.dir / "out.txt"), app::kInputNotRead);
  EXPECT_EQ(svc::error_state().system_error(), plat::ERROR_IO_DEVICE);
  const std::string text = read_bytes(e.dir / "out.txt");
  const size_t read = decoded_length(text);
  ASSERT_GT(read, 0u);
  ASSERT_LT(read, bytes.size());
  EXPECT_EQ(text, crlf(base64_lines(bytes.substr(0, read))));
  EXPECT_EQ(drv::files_in_use(), 0u);
}
