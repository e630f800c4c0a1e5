// The 64 thread records: the main thread's record 0, records for other
// threads, and waiting for them at shutdown.
#include "services/thread_records.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/handle.h"
#include "platform/process.h"
#include "platform/sync.h"

namespace {

class thread_records_test : public ::testing::Test {
 protected:
  void SetUp() override { svc::thread_records().reset(); }
  void TearDown() override { svc::thread_records().reset(); }
};

}  // namespace

TEST_F(thread_records_test, the_first_thread_takes_record_zero) {
  svc::ThreadRecords& records = svc::thread_records();
  svc::ThreadRecord* mine = records.current();
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(records.index_of(*mine), svc::main_thread_record);
  EXPECT_EQ(mine->thread_id, plat::GetCurrentThreadId());
  EXPECT_EQ(records.current(), mine);
  EXPECT_EQ(records.find(plat::GetCurrentThreadId()), mine);
}

TEST_F(thread_records_test, other_threads_take_the_next_free_records) {
  svc::ThreadRecords& records = svc::thread_records();
  records.current();
  int other_index = -1;
  std::thread([&] { other_index = records.index_of(*records.current()); }).join();
  EXPECT_EQ(other_index, 1);
  plat::HANDLE handles[4];
  records.at(1).handle = reinterpret_cast<plat::HANDLE>(0x1234);
  EXPECT_EQ(records.other_thread_handles(handles, 4), 1);
  EXPECT_EQ(handles[0], reinterpret_cast<plat::HANDLE>(0x1234));
  records.release(records.at(1));
  EXPECT_EQ(records.other_thread_handles(handles, 4), 0);
}

TEST_F(thread_records_test, all_records_taken_gives_none) {
  svc::ThreadRecords& records = svc::thread_records();
  for (int i = 0; i < svc::thread_record_count; ++i) records.at(i).thread_id = 100000 + i;
  EXPECT_EQ(records.current(), nullptr);
}

TEST_F(thread_records_test, shutdown_waits_until_other_threads_have_ended) {
  svc::ThreadRecords& records = svc::thread_records();
  records.current();
  // A thread whose handle is signalled has ended; one without a handle
  // cannot be waited for.
  plat::HANDLE ended = plat::CreateEventA(nullptr, plat::TRUE, plat::TRUE, nullptr);
  records.at(3).thread_id = 42;
  records.at(3).handle = ended;
  records.at(5).thread_id = 43;
  records.wait_for_other_threads();
  EXPECT_EQ(records.at(3).thread_id, 0u);
  EXPECT_EQ(records.at(5).thread_id, 0u);
  EXPECT_NE(records.at(0).thread_id, 0u);
  plat::CloseHandle(ended);
}

// A layer above keeps its own part of each record and must hear of every
// way a record starts over.
namespace {
std::vector<int> cleared_records;
void note_cleared(int index) { cleared_records.push_back(index); }
}  // namespace

TEST_F(thread_records_test, the_clear_hook_hears_of_release_reset_and_a_new_owner) {
  svc::ThreadRecords& records = svc::thread_records();
  records.set_clear_hook(&note_cleared);
  cleared_records.clear();
  records.at(2).thread_id = 42;
  records.release(records.at(2));
  EXPECT_EQ(cleared_records, std::vector<int>{2}) << "release";
  cleared_records.clear();
  records.current();  // this thread takes the free record 0
  EXPECT_EQ(cleared_records, std::vector<int>{svc::main_thread_record}) << "new owner";
  cleared_records.clear();
  records.reset();
  EXPECT_EQ(cleared_records.size(), std::size_t(svc::thread_record_count)) << "reset";
  records.set_clear_hook(nullptr);
}
