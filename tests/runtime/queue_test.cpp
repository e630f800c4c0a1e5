#include "runtime/queue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace {

using namespace rt;

// A queue over a record buffer of a chosen size; released at the end.
class TestQueue {
 public:
  explicit TestQueue(uint32_t size, const uint8_t* layout = nullptr) : buffer_(size, ' ') {
    d_.record_buffer = buffer_.data();
    d_.record_size = size;
    d_.layout = layout;
  }
  ~TestQueue() { queue_release(&d_); }

  QueueDescriptor* operator->() { return &d_; }
  QueueDescriptor* get() { return &d_; }
  void fill(const std::string& text) {
    std::fill(buffer_.begin(), buffer_.end(), ' ');
    std::memcpy(buffer_.data(), text.data(), std::min(text.size(), buffer_.size()));
  }
  std::string text() const { return std::string(buffer_.begin(), buffer_.end()); }
  std::vector<char>& bytes() { return buffer_; }

 private:
  std::vector<char> buffer_;
  QueueDescriptor d_;
};

int32_t error_code() { return svc::error_state().code(); }

TEST(queue_test, new_queue_is_empty_and_reading_leaves_the_buffer) {
  TestQueue q(255);
  EXPECT_EQ(queue_count(q.get()), 0u);
  q.fill("unchanged");
  queue_read(q.get(), 1);
  EXPECT_EQ(error_code(), svc::err::entry_not_found);
  EXPECT_EQ(q.text().substr(0, 9), "unchanged");
}

TEST(queue_test, records_read_back_by_position) {
  TestQueue q(255);
  for (const char* line : {"one", "two", "three"}) {
    q.fill(line);
    queue_append(q.get());
    EXPECT_EQ(error_code(), 0);
  }
  EXPECT_EQ(queue_count(q.get()), 3u);
  queue_read(q.get(), 2);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(q.text(), "two" + std::string(252, ' '));
  EXPECT_EQ(queue_current_index(q.get()), 1);
  queue_read(q.get(), 4);
  EXPECT_EQ(error_code(), svc::err::entry_not_found);
  EXPECT_EQ(queue_current_index(q.get()), 1);
  queue_read(q.get(), -1);
  EXPECT_EQ(error_code(), svc::err::entry_not_found);
  queue_read(q.get(), 0);
  EXPECT_EQ(error_code(), svc::err::entry_not_found);
  EXPECT_EQ(queue_current_index(q.get()), -1);
  EXPECT_EQ(q.text(), "two" + std::string(252, ' '));
  // A later operation clears the code.
  EXPECT_EQ(queue_count(q.get()), 3u);
  EXPECT_EQ(error_code(), 0);
}

TEST(queue_test, storage_follows_the_record_size) {
  TestQueue small(127);
  TestQueue large(128);
  queue_count(small.get());
  queue_count(large.get());
  EXPECT_EQ(queue_storage(small.get()), QueueStorage::plain);
  EXPECT_EQ(queue_storage(large.get()), QueueStorage::packed);
}

TEST(queue_test, packed_records_read_back_byte_for_byte) {
  TestQueue q(255);
  std::mt19937 random(7);
  std::vector<std::vector<char>> written;
  for (int i = 0; i < 200; ++i) {
    for (char& c : q.bytes()) c = static_cast<char>(random() % 4 == 0 ? random() : ' ');
    written.push_back(q.bytes());
    queue_append(q.get());
  }
  q.fill("abc");
  queue_append(q.get());
  written.push_back(q.bytes());
  for (int i = static_cast<int>(written.size()); i >= 1; --i) {
    queue_read(q.get(), i);
    ASSERT_EQ(q.bytes(), written[i - 1]) << i;
  }
}

TEST(queue_test, change_stamp_starts_from_the_clock_and_counts_appends) {
  plat::SYSTEMTIME noon{};
  noon.wYear = 2024;
  noon.wMonth = 1;
  noon.wDay = 1;
  noon.wHour = 12;
  plat::set_fixed_local_time(&noon);
  TestQueue q(10);
  const uint32_t first = queue_change_stamp(q.get());
  plat::set_fixed_local_time(nullptr);
  EXPECT_EQ(first, static_cast<uint32_t>(12 * 360000 + 1) * 25781083u);
  queue_append(q.get());
  EXPECT_EQ(queue_change_stamp(q.get()), first + 1);
}

TEST(queue_test, field_count_comes_from_the_layout) {
  // A group header: GROUP, attribute, size 255, 3 fields, length 14.
  const uint8_t layout[14] = {22, 0, 255, 0, 0, 0, 3, 0, 0, 0, 14, 0, 0, 0};
  TestQueue q(255, layout);
  EXPECT_EQ(queue_field_count(q.get()), 3u);
  TestQueue bare(10);
  EXPECT_EQ(queue_field_count(bare.get()), 0u);
}

TEST(queue_test, null_descriptor_posts_7) {
  queue_append(nullptr);
  EXPECT_EQ(error_code(), svc::err::memory_corrupted);
  EXPECT_EQ(queue_count(nullptr), 0u);
  EXPECT_EQ(error_code(), svc::err::memory_corrupted);
  QueueDescriptor no_buffer;
  no_buffer.record_size = 10;
  queue_append(&no_buffer);
  EXPECT_EQ(error_code(), svc::err::memory_corrupted);
  EXPECT_EQ(no_buffer.object, nullptr);
}

TEST(queue_test, exhaustion_posts_8_and_keeps_the_queue) {
  TestQueue q(20);
  {
    svc::HeapFailureGuard fail_next;
    EXPECT_EQ(queue_count(q.get()), 0u);
    EXPECT_EQ(error_code(), svc::err::insufficient_memory);
  }
  EXPECT_EQ(q->object, nullptr);
  q.fill("kept");
  queue_append(q.get());
  {
    svc::HeapFailureGuard fail_next;
    q.fill("lost");
    queue_append(q.get());
    EXPECT_EQ(error_code(), svc::err::insufficient_memory);
  }
  EXPECT_EQ(queue_count(q.get()), 1u);
  queue_read(q.get(), 1);
  EXPECT_EQ(q.text().substr(0, 4), "kept");
}

TEST(queue_test, large_records_without_a_packing_area_are_stored_plainly) {
  TestQueue q(300);
  {
    // The object is made, the packing area is not.
    svc::HeapFailureGuard fail_second(2);
    queue_count(q.get());
  }
  EXPECT_EQ(queue_storage(q.get()), QueueStorage::unpacked);
  q.fill("plain");
  queue_append(q.get());
  q.fill("");
  queue_read(q.get(), 1);
  EXPECT_EQ(q.text().substr(0, 5), "plain");
}

}  // namespace
