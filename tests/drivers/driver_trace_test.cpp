#include "drivers/driver_trace.h"

#include <cstdlib>

#include "drivers/operation_codes.h"
#include "tests/drivers/record_file_fixture.h"
#include "tests/system_profile.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class driver_trace_test : public drv_test::RecordFileTest {
 protected:
  void SetUp() override {
    drv_test::RecordFileTest::SetUp();
    profile_.emplace(path("win.ini"));
    reset_trace_dumps();
  }
  void TearDown() override {
    profile_.reset();
    drv_test::RecordFileTest::TearDown();
  }
  // The log with every time taken replaced by T.
  std::string log(const std::string& name) {
    std::string text = read_file(name);
    static const std::string kStart = "Time Taken: ", kEnd = " secs";
    for (size_t at = 0; (at = text.find(kStart, at)) != std::string::npos; ++at) {
      size_t end = text.find(kEnd, at);
      std::string time = text.substr(at + kStart.size(), end - at - kStart.size());
      size_t point = time.find('.');
      bool well_formed = point != std::string::npos && point > 0 && time.size() == point + 3 &&
                         time.find_first_not_of("0123456789.") == std::string::npos;
      if (well_formed) text.replace(at, end + kEnd.size() - at, "T");
    }
    return text;
  }
  static std::string pad(const std::string& s, size_t width) {
    return s.size() < width ? s + std::string(width - s.size(), ' ') : s + " ";
  }
  std::optional<system_profile> profile_;
};

TEST_F(driver_trace_test, profile_off_touches_no_log) {
  profile_->write("[BWASCII]\nProfile=0\n");
  write_file("in.txt", "a\r\n");
  DeclaredFile f;
  f.text("in.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_CLOSE);
  EXPECT_FALSE(std::filesystem::exists(path("ASCII.LOG")));
}

TEST_F(driver_trace_test, one_line_per_operation_including_a_failed_open) {
  profile_->write("[BWASCII]\nProfile=1\nTraceFile=\n");
  write_file("in.txt", "a\r\n");
  DeclaredFile f, g;
  f.text("in.txt");
  g.text("missing.txt");
  g.call(OP_OPEN, 0x22);
  f.call(OP_OPEN, 0x22);
  f.call(OP_NEXT);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  f.call(OP_CLOSE);
  std::string full = path("in.txt");
  std::string expected = "OPEN(" + path("missing.txt") + " 1) Error: File Not Found T\r\n" +
                         "OPEN(" + full + " 1) T\r\n" + "NEXT(" + full +
                         " 1) Error: Record Not Available T\r\n" + "SETfile(" + full +
                         " 1) T\r\n" + "NEXT(" + full + " 1) T\r\n" + "CLOSE(" + full +
                         " 1) T\r\n";
  EXPECT_EQ(log("ASCII.LOG"), expected);
}

TEST_F(driver_trace_test, short_operation_text_is_padded_to_eighteen_columns) {
  profile_->write("[BWDOS]\nProfile=1\nTraceFile=t.log\n");
  DeclaredFile f;
  f.raw("a");
  f.decl.name_length = 1;
  f.call(OP_EOF);
  EXPECT_EQ(log("t.log"), "EOF(a 1)          Error: File Not Open T\r\n");
}

TEST_F(driver_trace_test, details_write_the_structure_once_and_record_values) {
  profile_->write("[BWASCII]\nProfile=1\nDetails=1\n");
  write_file("in.txt", "abc\r\n");
  DeclaredFile f;
  f.text("in.txt", 10);
  static const char kOwner[] = "secret";
  f.decl.owner = kOwner;
  f.decl.owner_length = kNulTerminated;
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  f.call(OP_CLOSE);
  std::string full = path("in.txt");
  std::string declared = "in.txt" + std::string(250, ' ');
  std::string expected =
      pad(declared, 18) + "FILE,DRIVER('ASCII'),OWNER(******),NAME('" + full +
      "'),CREATE,THREAD\r\n" + std::string(20, ' ') + "RECORD\r\n" + pad("OUED:LINE", 22) +
      "STRING(10)\r\n" + std::string(20, ' ') + "END\r\n" + std::string(18, ' ') +
      "END\r\n\r\n" + "OPEN(" + full + " 1) T\r\n" + "SETfile(" + full + " 1) T\r\n" +
      "NEXT(" + full + " 1) T\r\n" + "  OUED:LINE         : 'abc       '\r\n\r\n" + "CLOSE(" +
      full + " 1) T\r\n";
  std::string got = log("ASCII.LOG");
  EXPECT_EQ(got, expected);
  EXPECT_EQ(got.find("secret"), std::string::npos);
}

TEST_F(driver_trace_test, encrypted_files_get_details_only_when_allowed) {
  profile_->write("[BWDOS]\nProfile=1\nDetails=1\nTraceFile=d.log\n");
  write_file("a.bin", "x");
  DeclaredFile f;
  f.raw("a.bin");
  f.decl.attributes |= kDeclEncrypt;
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  f.call(OP_CLOSE);
  EXPECT_EQ(log("d.log").find("RECORD"), std::string::npos);
  EXPECT_EQ(log("d.log").find("INED:BYTE"), std::string::npos);
  std::filesystem::remove(path("d.log"));
  DeclaredFile g;
  g.raw("a.bin", 1, "/QUICKSCAN=ON/allowdetails");
  g.decl.attributes |= kDeclEncrypt;
  g.call(OP_OPEN, 0x22);
  g.call(OP_SETfile);
  g.call(OP_NEXT);
  std::string got = log("d.log");
  EXPECT_NE(got.find("FILE,DRIVER('DOS','/QUICKSCAN=ON/allowdetails')"), std::string::npos);
  EXPECT_NE(got.find(",CREATE,ENCRYPT,THREAD\r\n"), std::string::npos);
  EXPECT_NE(got.find("  INED:BYTE         : 78H\r\n\r\n"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(driver_trace_test, memos_are_declared_and_dumped_up_to_their_last_used_byte) {
  profile_->write("[BWDOS]\nProfile=1\nDetails=1\nTraceFile=m.log\n");
  write_file("a.bin", "z");
  static const unsigned char kNotes[16] = {'A', 'B', 0x01, ' ', ' ', ' ', ' ', ' ',
                                           ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  MemoDescriptor memo{"M:NOTES", nullptr, sizeof kNotes, false, false, kNotes};
  DeclaredFile f;
  f.raw("a.bin");
  f.decl.memo_count = 1;
  f.decl.memos = &memo;
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  f.call(OP_CLOSE);
  std::string got = log("m.log");
  EXPECT_NE(got.find("\r\nM:NOTES             MEMO(16)\r\n" + std::string(20, ' ') + "RECORD\r\n"),
            std::string::npos);
  std::string dump = "M:NOTES           " + std::string("  41 42 01 ") + std::string(13 * 3, ' ') +
                     " | AB.\r\n\r\n  INED:BYTE         : 7AH\r\n\r\n";
  EXPECT_NE(got.find("NEXT(" + path("a.bin") + " 1) T\r\n" + dump), std::string::npos) << got;
}

}  // namespace

namespace {

TEST_F(driver_trace_test, nested_groups_numbers_and_pictures_in_dump_and_values) {
  profile_->write("[BWDOS]\nProfile=1\nDetails=1\nTraceFile=g.log\n");
  write_file("g.bin", std::string("\x05\x00\xff\xff\xff\xff" "abcdefgh", 14));
  DeclaredFile f;
  f.raw("g.bin", 14);
  rt::DescriptorWriter w(f.descriptor, sizeof f.descriptor);
  w.begin_group();
  w.field(rt::FT_SHORT, "G:COUNT");
  w.begin_group("G:INNER");
  w.field(rt::FT_LONG, "G:TOTAL");
  w.field(rt::FT_STRING, "G:CODE", 8, 0, "S5");
  w.end_group();
  w.end_group();
  ASSERT_NE(w.length(), 0u);
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  std::string got = log("g.log");
  std::string dump = std::string(20, ' ') + "RECORD\r\n" + pad("G:COUNT", 22) + "SHORT\r\n" +
                     pad("G:INNER", 22) + "GROUP\r\n" + pad("G:TOTAL", 24) + "LONG\r\n" +
                     pad("G:CODE", 24) + "STRING(@S5)\r\n" + std::string(22, ' ') + "END\r\n" +
                     std::string(20, ' ') + "END\r\n" + std::string(18, ' ') + "END\r\n\r\n";
  EXPECT_NE(got.find(dump), std::string::npos) << got;
  EXPECT_NE(got.find("  G:COUNT           : 5\r\n  G:INNER           : \r\n"
                     "  G:TOTAL           : -1\r\n  G:CODE            : 'abcde'\r\n\r\n"),
            std::string::npos)
      << got;
}

}  // namespace

namespace {

TEST_F(driver_trace_test, a_log_that_cannot_be_opened_is_skipped_silently) {
  profile_->write("[BWASCII]\nProfile=1\nTraceFile=no/such/dir/x.log\n");
  write_file("in.txt", "a\r\n");
  DeclaredFile f;
  f.text("in.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.clipped(), "a");
  EXPECT_FALSE(std::filesystem::exists(path("no")));
}

}  // namespace
