#include "drivers/dos_driver.h"

#include "drivers/operation_codes.h"
#include "services/error_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class dos_driver_test : public drv_test::RecordFileTest {
 protected:
  void open_with(DeclaredFile& f, const std::string& bytes, uint32_t length,
                 int32_t mode = 0x22) {
    write_file("in.bin", bytes);
    f.raw("in.bin", length);
    f.call(OP_OPEN, mode);
    ASSERT_EQ(error_code(), 0);
    f.call(OP_SETfile);
  }
  std::string record(const DeclaredFile& f) const {
    return std::string(reinterpret_cast<const char*>(f.record), f.decl.record_length);
  }
};

TEST_F(dos_driver_test, one_byte_records_deliver_each_byte_then_end) {
  DeclaredFile f;
  open_with(f, std::string("a\0z", 3), 1);
  for (int i = 0; i < 3; ++i) {
    f.call(OP_NEXT);
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(f.record[0], static_cast<unsigned char>("a\0z"[i]));
    EXPECT_EQ(f.call(OP_POINTERfile), i + 1);
  }
  EXPECT_EQ(f.call(OP_EOF), 1);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
}

TEST_F(dos_driver_test, short_last_record_is_cleared_and_not_counted) {
  DeclaredFile f;
  open_with(f, "0123456789", 4);
  f.call(OP_NEXT);
  EXPECT_EQ(record(f), "0123");
  f.call(OP_NEXT);
  EXPECT_EQ(record(f), "4567");
  f.call(OP_NEXT);
  EXPECT_EQ(record(f), "89  ");
  EXPECT_EQ(f.call(OP_BYTES), 2);
  EXPECT_EQ(f.call(OP_RECORDSfile), 2);
  EXPECT_EQ(f.call(OP_COUNTRECORDS), 2);
}

TEST_F(dos_driver_test, previous_after_set_reads_the_last_record_length_bytes) {
  DeclaredFile f;
  open_with(f, "0123456789", 4);
  f.call(OP_PREVIOUS);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(record(f), "6789");
  f.call(OP_PREVIOUS);
  EXPECT_EQ(record(f), "2345");
  f.call(OP_NEXT);  // NEXT after PREVIOUS reads that same record again
  EXPECT_EQ(record(f), "2345");
  f.call(OP_PREVIOUS);
  f.call(OP_PREVIOUS);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
}

TEST_F(dos_driver_test, previous_right_after_the_first_next_is_not_available) {
  DeclaredFile f;
  open_with(f, "0123456789", 4);
  f.call(OP_NEXT);
  f.call(OP_PREVIOUS);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
}

TEST_F(dos_driver_test, empty_file_has_no_records) {
  DeclaredFile f;
  open_with(f, "", 1);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(f.call(OP_EOF), 1);
  EXPECT_EQ(f.call(OP_RECORDSfile), 0);
}

TEST_F(dos_driver_test, get_at_pointer_with_length_and_pointer_zero) {
  DeclaredFile f;
  open_with(f, "0123456789", 4);
  f.call(OP_GETfileptrlen, 3, 2);
  EXPECT_EQ(record(f), "23  ");
  EXPECT_EQ(f.call(OP_BYTES), 2);
  f.call(OP_GETfileptr, 0);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_GETfileptr, 11);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
}

TEST_F(dos_driver_test, writes_exact_bytes_and_length_zero_cuts) {
  write_file("out.bin", "");
  DeclaredFile f;
  f.raw("out.bin", 4);
  f.call(OP_OPEN, 0x22);
  std::memcpy(f.record, "abcd", 4);
  f.call(OP_ADD);
  f.call(OP_ADDfilelen, 2);
  f.call(OP_ADDfilelen, 99);  // cut to the record length
  std::memcpy(f.record, "XY", 2);
  f.call(OP_PUTfileptrlen, 2, 2);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_FLUSH);
  EXPECT_EQ(read_file("out.bin"), "aXYdababcd");
  f.call(OP_PUTfileptrlen, 5, 0);
  EXPECT_EQ(f.call(OP_BYTES), 0);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("out.bin"), "aXYd");
}

TEST_F(dos_driver_test, unbuffered_shared_file_sees_growth_by_another_handle) {
  DeclaredFile f;
  open_with(f, "ab", 1, 0x42);
  DeclaredFile g;
  g.raw("in.bin", 1);
  g.call(OP_OPEN, 0x42);
  g.record[0] = 'c';
  g.call(OP_ADD);
  EXPECT_EQ(error_code(), 0);
  std::string seen;
  for (int i = 0; i < 3; ++i) {
    f.call(OP_NEXT);
    seen += char(f.record[0]);
  }
  EXPECT_EQ(seen, "abc");
  EXPECT_EQ(error_code(), 0);
}

TEST_F(dos_driver_test, large_file_reads_every_byte_in_order) {
  std::string bytes(70000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 251);
  DeclaredFile f;
  open_with(f, bytes, 1);
  std::string seen;
  for (;;) {
    f.call(OP_NEXT);
    if (error_code() != 0) break;
    seen += char(f.record[0]);
  }
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(seen, bytes);
}

}  // namespace
