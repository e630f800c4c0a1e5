// The records loop: one-byte reads and line writes that the dispatch settles
// inline must leave the file, the state and the error state exactly as the
// full dispatch does.
#include <algorithm>
#include <span>
#include <thread>

#include "drivers/ascii_driver.h"
#include "drivers/dispatch.h"
#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/record_statements.h"
#include "drivers/rule_table.h"
#include "platform/last_error.h"
#include "platform/syscalls.h"
#include "services/error_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class record_loop_test : public drv_test::RecordFileTest {
 protected:
  // Bytes 0..n-1 of a pattern that never repeats within a block.
  static std::string pattern(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
  }
  void open_bytes(DeclaredFile& f, const std::string& bytes, int32_t mode = 0x22) {
    write_file("in.bin", bytes);
    f.raw("in.bin", 1);
    f.call(OP_OPEN, mode);
    ASSERT_EQ(error_code(), 0);
    f.call(OP_SETfile);
  }
};

// Every state bit the rules look at, one at a time and together.
constexpr uint32_t kStateBits[] = {kOpen,       kRecordCurrent, kTransaction,    kStreamActive,
                                   kLocked,     kSequenceSet,   kWriteAccess,    kExclusive,
                                   kWatchRequested, kWatched,   kHoldRequested,  kHeld,
                                   kSequenceFresh, kBuildInProgress, kSettingsKept};

TEST_F(record_loop_test, quick_rules_pass_exactly_what_the_full_check_lets_through_on_an_open_file) {
  constexpr uint32_t kCount = sizeof kStateBits / sizeof kStateBits[0];
  for (int32_t code = 0; code <= kLastOperation; ++code) {
    for (uint32_t combination = 0; combination < (1u << kCount); ++combination) {
      uint32_t state = 0;
      for (uint32_t bit = 0; bit < kCount; ++bit)
        if (combination & (1u << bit)) state |= kStateBits[bit];
      RuleVerdict full = check_rules_fully(code, state, nullptr);
      bool quick = passes_quickly(code, state);
      if (quick) {
        ASSERT_EQ(full.kind, RuleVerdict::kProceed) << code << " " << state;
      }
      // An open file without a build: the quick test decides alone.
      if ((state & kOpen) && !(state & kBuildInProgress)) {
        ASSERT_EQ(quick, full.kind == RuleVerdict::kProceed) << code << " " << state;
      }
    }
  }
}

TEST_F(record_loop_test, byte_reads_across_blocks_deliver_every_byte_then_end_of_file) {
  const std::string bytes = pattern(3000);  // three blocks of 1024, the last one short
  DeclaredFile f;
  open_bytes(f, bytes);
  for (size_t i = 0; i < bytes.size(); ++i) {
    f.call(OP_NEXT);
    ASSERT_EQ(error_code(), 0) << i;
    ASSERT_EQ(f.record[0], static_cast<unsigned char>(bytes[i])) << i;
  }
  EXPECT_EQ(f.call(OP_POINTERfile), 3000);
  EXPECT_EQ(f.call(OP_BYTES), 1);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(svc::error_state().failing_file(), &f.decl);
  EXPECT_EQ(f.decl.instance->last_error, svc::err::record_not_available);
}

TEST_F(record_loop_test, a_byte_read_clears_an_error_posted_before_it) {
  DeclaredFile f;
  open_bytes(f, "abc");
  f.call(OP_NEXT);
  svc::error_state().post(svc::err::access_denied);
  svc::error_state().note_failing_file(&f.decl);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(svc::error_state().failing_file(), nullptr);
  EXPECT_EQ(f.record[0], 'b');
  svc::error_state().post(svc::err::record_not_available);  // posted without a failing file
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.record[0], 'c');
}

TEST_F(record_loop_test, byte_reads_leave_position_and_sequence_for_previous) {
  const std::string bytes = pattern(1500);
  DeclaredFile f;
  open_bytes(f, bytes);
  for (int i = 0; i < 1200; ++i) f.call(OP_NEXT);
  ASSERT_EQ(error_code(), 0);
  f.call(OP_PREVIOUS);  // the byte before the last one read
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.record[0], static_cast<unsigned char>(bytes[1198]));
  f.call(OP_NEXT);  // NEXT after PREVIOUS reads that same byte again
  EXPECT_EQ(f.record[0], static_cast<unsigned char>(bytes[1198]));
}

TEST_F(record_loop_test, byte_reads_keep_the_state_the_rules_expect) {
  DeclaredFile f;
  open_bytes(f, "xyz");
  f.decl.instance->state |= kWatchRequested | kHoldRequested;
  f.call(OP_NEXT);
  uint32_t state = f.decl.instance->state;
  EXPECT_EQ(state & (kOpen | kSequenceSet | kRecordCurrent), kOpen | kSequenceSet | kRecordCurrent);
  // NEXT clears both requests and turns each into its done bit.
  EXPECT_EQ(state & (kWatchRequested | kHoldRequested), 0u);
  EXPECT_EQ(state & (kWatched | kHeld), kWatched | kHeld);
  f.call(OP_NEXT);
  EXPECT_EQ(f.decl.instance->state & (kWatched | kHeld), 0u);
  EXPECT_EQ(f.decl.instance->last_sequential, OP_NEXT);
}

TEST_F(record_loop_test, a_build_in_progress_still_refuses_byte_reads) {
  DeclaredFile f;
  open_bytes(f, "abc");
  f.call(OP_NEXT);
  // Whatever changes an instance outside its dispatch ends its run first.
  end_steady_run(*f.decl.instance);
  f.decl.instance->state |= kBuildInProgress;
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::build_in_progress);
  EXPECT_EQ(f.record[0], 'a');
  f.decl.instance->state &= ~kBuildInProgress;
}

TEST_F(record_loop_test, multi_byte_records_take_the_same_way_with_a_short_last_record) {
  write_file("in.bin", "0123456");
  DeclaredFile f;
  f.raw("in.bin", 3);
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.record), 3), "012");
  f.call(OP_NEXT);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.record), 3), "345");
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.record[0], '6');
  EXPECT_EQ(f.call(OP_BYTES), 1);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
}

TEST_F(record_loop_test, another_thread_reads_its_own_copy_not_the_open_instance) {
  DeclaredFile f;
  open_bytes(f, "main");
  f.call(OP_NEXT);
  int32_t other_error = 0;
  std::thread([&] {
    NEXT(&f.decl);  // this thread's copy has no instance: it is not open
    other_error = error_code();
    FileDeclaration* mine = thread_declaration(&f.decl);
    discard_instance(mine);
  }).join();
  EXPECT_EQ(other_error, svc::err::file_not_open);
  f.call(OP_NEXT);
  EXPECT_EQ(f.record[0], 'a');
}

// A run of byte reads: from the second read on, each takes its byte without
// the dispatch steps that would change nothing, and the positions are
// written when the run ends. Each read must still leave what the full steps
// leave.
TEST_F(record_loop_test, a_run_of_byte_reads_leaves_each_read_settled_as_in_full) {
  DeclaredFile f;
  open_bytes(f, "abcd");
  const char expected[] = "abcd";
  for (int i = 0; i < 4; ++i) {
    f.call(OP_NEXT);
    const FileInstance& inst = *f.decl.instance;
    ASSERT_EQ(f.record[0], expected[i]) << i;
    EXPECT_EQ(inst.post, kRuleTable[OP_NEXT].post) << i;
    EXPECT_EQ(inst.last_error, 0) << i;
    EXPECT_EQ(inst.last_sequential, OP_NEXT) << i;
    EXPECT_TRUE(inst.state & kRecordCurrent) << i;
    EXPECT_EQ(inst.steady_end != nullptr, i < 3) << i;  // the last byte leaves none to run over
    EXPECT_EQ(f.call(OP_POINTERfile), i + 1) << i;
  }
}

TEST_F(record_loop_test, the_positions_a_run_leaves_unwritten_are_there_when_it_ends) {
  const std::string bytes = pattern(2100);
  DeclaredFile f;
  open_bytes(f, bytes);
  for (int i = 0; i < 1500; ++i) f.call(OP_NEXT);  // a run in the first block, one in the second
  ASSERT_NE(f.decl.instance->steady_end, nullptr);
  end_steady_run(*f.decl.instance);
  const DriverPart& p = f.decl.instance->part;
  EXPECT_EQ(p.record_position, 1499u);
  EXPECT_EQ(p.next_position, 1501u);
  EXPECT_EQ(p.file->block_start + p.file->cursor, 1500u);
  // The block's own read at its cursor goes on where the run stopped.
  unsigned char next = 0;
  ASSERT_EQ(p.file->read(&next, 1), 1);
  EXPECT_EQ(next, static_cast<unsigned char>(bytes[1500]));
}

// Reads made at once from a run, a line's worth at a time and one by one
// where no run serves, leave the file as the same reads one by one would.
TEST_F(record_loop_test, reads_made_at_once_from_a_run_end_as_single_reads_do) {
  const std::string bytes = pattern(3000);  // across blocks, the last one short
  for (size_t at_once : {1u, 57u, 5000u}) {
    DeclaredFile f;
    open_bytes(f, bytes);
    std::string read;
    while (read.size() < 1500) {
      std::span<const unsigned char> run = next_steady_bytes(&f.decl, std::min(at_once, 1500 - read.size()));
      if (run.empty()) {
        NEXT(&f.decl);
        ASSERT_EQ(error_code(), 0) << at_once;
        read += char(f.record[0]);
        continue;
      }
      read.append(run.begin(), run.end());
      ASSERT_EQ(f.record[0], run.back()) << at_once << ": the record holds the last byte";
    }
    EXPECT_EQ(read, bytes.substr(0, 1500)) << at_once;
    EXPECT_EQ(f.call(OP_POINTERfile), 1500) << at_once;  // ends the run
    const DriverPart& p = f.decl.instance->part;
    EXPECT_EQ(p.record_position, 1499u) << at_once;
    EXPECT_EQ(p.next_position, 1501u) << at_once;
    NEXT(&f.decl);
    EXPECT_EQ(f.record[0], static_cast<unsigned char>(bytes[1500])) << at_once;
  }
}

TEST_F(record_loop_test, any_other_operation_ends_a_run_of_byte_reads) {
  DeclaredFile f;
  open_bytes(f, "abcdef");
  f.call(OP_NEXT);
  f.call(OP_NEXT);
  ASSERT_NE(f.decl.instance->steady_end, nullptr);
  EXPECT_EQ(f.call(OP_BYTES), 1);
  EXPECT_EQ(f.decl.instance->steady_end, nullptr);
  EXPECT_EQ(f.decl.instance->post, kRuleTable[OP_BYTES].post);
  f.call(OP_NEXT);  // settled in full again: the post flags are NEXT's
  EXPECT_EQ(f.record[0], 'c');
  EXPECT_EQ(f.decl.instance->post, kRuleTable[OP_NEXT].post);
  // Through another driver's entry, on the same instance.
  ascii_driver(OP_SETfile, &f.decl, nullptr);
  EXPECT_EQ(f.decl.instance->steady_end, nullptr);
  f.call(OP_NEXT);
  EXPECT_EQ(f.record[0], 'a');
}

TEST_F(record_loop_test, a_failed_byte_read_ends_the_run_and_is_posted) {
  DeclaredFile f;
  open_bytes(f, "ab");
  f.call(OP_NEXT);
  f.call(OP_NEXT);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(f.decl.instance->last_error, svc::err::record_not_available);
  EXPECT_EQ(f.decl.instance->steady_end, nullptr);
  EXPECT_FALSE(f.decl.instance->state & kRecordCurrent);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.record[0], 'a');
  EXPECT_EQ(f.decl.instance->last_error, 0);
}

TEST_F(record_loop_test, byte_reads_of_a_traced_file_take_every_step) {
  DeclaredFile f;
  open_bytes(f, "abc");
  f.decl.instance->trace_on = 1;  // as a profile switched on at open would
  f.decl.instance->name[0] = 0;   // but with nothing to write to
  f.call(OP_NEXT);
  f.call(OP_NEXT);
  EXPECT_EQ(f.record[0], 'b');
  EXPECT_EQ(f.decl.instance->steady_end, nullptr);
  f.decl.instance->trace_on = 0;
}

TEST_F(record_loop_test, line_writes_reach_the_file_in_order) {
  DeclaredFile f;
  f.text("out.txt", 20);
  f.call(OP_CREATE);
  f.call(OP_OPEN, 0x22);
  for (int i = 0; i < 500; ++i) {
    f.set_record("line " + std::to_string(i));
    f.call(OP_ADD);
    ASSERT_EQ(error_code(), 0);
  }
  f.call(OP_CLOSE);
  std::string expected;
  for (int i = 0; i < 500; ++i) expected += "line " + std::to_string(i) + "\r\n";
  EXPECT_EQ(read_file("out.txt"), expected);
}

// A file written through the driver closes well only when its bytes are on
// the disk; a file only read closes well whatever the system says at its close.
TEST_F(record_loop_test, a_failed_commit_or_close_fails_the_close_of_a_written_file) {
  struct case_t {
    const char* name;
    plat::syscall_id call;
    uint32_t mode;
    int32_t posted;
  };
  const case_t cases[] = {
      {"commit of a written file", plat::syscall_id::fsync, 0x22, svc::err::access_denied},
      {"close of a written file", plat::syscall_id::close, 0x22, svc::err::access_denied},
      {"close of a file only read", plat::syscall_id::close, 0x20, 0},
  };
  for (const case_t& c : cases) {
    write_file("out.txt", "old\r\n");
    DeclaredFile f;
    f.text("out.txt", 20);
    f.call(OP_OPEN, int32_t(c.mode));
    f.set_record("new");
    if (c.mode & 3) f.call(OP_ADD);
    ASSERT_EQ(error_code(), 0) << c.name;
    plat::syscall_guard guard;
    plat::fail_syscall(c.call, 1, std::errc::io_error);
    f.call(OP_CLOSE);
    EXPECT_EQ(error_code(), c.posted) << c.name;
    if (c.posted != 0) {
      EXPECT_EQ(svc::error_state().system_error(), plat::ERROR_IO_DEVICE) << c.name;
    }
    svc::error_state().reset();
  }
}

}  // namespace
