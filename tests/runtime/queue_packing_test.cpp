#include "runtime/queue_packing.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace rt;
using Bytes = std::vector<uint8_t>;

Bytes pack(const Bytes& record) {
  Bytes out(packed_capacity_for(static_cast<uint32_t>(record.size())));
  const uint32_t n = pack_record(record.data(), static_cast<uint32_t>(record.size()), out.data(),
                                 static_cast<uint32_t>(out.size()));
  out.resize(n);
  return out;
}

Bytes unpack(const Bytes& packed, uint32_t capacity) {
  Bytes out(capacity);
  const uint32_t n = unpack_record(packed.data(), static_cast<uint32_t>(packed.size()), out.data(),
                                   capacity);
  out.resize(n);
  return out;
}

TEST(queue_packing_test, short_text_and_spaces_pack_into_two_items) {
  Bytes record(255, ' ');
  record[0] = 'a';
  record[1] = 'b';
  record[2] = 'c';
  // A literal item of 3 bytes, then a run of 252 spaces (two-byte count).
  const Bytes expected = {0x83, 'a', 'b', 'c', 0x40, 252, ' '};
  EXPECT_EQ(pack(record), expected);
  EXPECT_EQ(unpack(expected, 255), record);
}

TEST(queue_packing_test, each_count_encoding_in_both_directions) {
  struct Case {
    uint32_t count;
    Bytes header;  // of a run item of that count
  };
  const Case cases[] = {
      {4, {0x04}},
      {63, {0x3F}},
      {64, {0x40, 0x40}},
      {8191, {0x5F, 0xFF}},
      {8192, {0x7F, 0x00, 0x20}},
      {65535, {0x7F, 0xFF, 0xFF}},
      {65536, {0x70, 0x00, 0x00, 0x01, 0x00}},
      {200000, {0x70, 0x40, 0x0D, 0x03, 0x00}},
  };
  for (const Case& c : cases) {
    const Bytes record(c.count, 'x');
    Bytes expected = c.header;
    expected.push_back('x');
    ASSERT_EQ(pack(record), expected) << c.count;
    ASSERT_EQ(unpack(expected, c.count), record) << c.count;
    // The same counts on a literal item: bit 7 added to the header.
    Bytes literal(c.count);
    for (uint32_t i = 0; i < c.count; ++i) literal[i] = static_cast<uint8_t>(i % 2);
    const Bytes packed = pack(literal);
    ASSERT_EQ(packed[0], c.header[0] | 0x80) << c.count;
    ASSERT_TRUE(std::equal(c.header.begin() + 1, c.header.end(), packed.begin() + 1)) << c.count;
    ASSERT_EQ(unpack(packed, c.count), literal) << c.count;
  }
}

TEST(queue_packing_test, run_thresholds_inside_and_at_the_end) {
  // Three equal bytes inside a record stay literal; four become a run.
  EXPECT_EQ(pack({'a', 'a', 'a', 'b'}), (Bytes{0x84, 'a', 'a', 'a', 'b'}));
  EXPECT_EQ(pack({'a', 'a', 'a', 'a', 'b'}), (Bytes{0x04, 'a', 0x81, 'b'}));
  // At the end three are enough, two are not.
  EXPECT_EQ(pack({'b', 'a', 'a', 'a'}), (Bytes{0x81, 'b', 0x03, 'a'}));
  EXPECT_EQ(pack({'b', 'a', 'a'}), (Bytes{0x83, 'b', 'a', 'a'}));
  EXPECT_EQ(pack({}), Bytes{});
}

TEST(queue_packing_test, packing_fails_when_the_output_area_is_short) {
  const Bytes record = {1, 2, 3, 4, 5};
  uint8_t out[5];
  EXPECT_EQ(pack_record(record.data(), 5, out, sizeof out), 0u);
  uint8_t enough[6];
  EXPECT_EQ(pack_record(record.data(), 5, enough, sizeof enough), 6u);
}

TEST(queue_packing_test, unpacking_rejects_overruns_and_truncated_items) {
  EXPECT_TRUE(unpack({0x04, 'x'}, 3).empty());           // run longer than the output
  EXPECT_TRUE(unpack({0x83, 'a', 'b'}, 10).empty());     // literal cut short
  EXPECT_TRUE(unpack({0x04}, 10).empty());               // run without its byte
  EXPECT_TRUE(unpack({0x40}, 100).empty());              // count byte missing
  EXPECT_TRUE(unpack({0x7F, 0x00}, 100000).empty());     // 16-bit count cut short
  EXPECT_TRUE(unpack({0x70, 0, 0, 1}, 100000).empty());  // 32-bit count cut short
  EXPECT_EQ(unpack({0x82, 'a', 'b', 0x03, 'c'}, 5), (Bytes{'a', 'b', 'c', 'c', 'c'}));
}

// Random records of every size class, with runs of random lengths, pack and
// unpack to the same bytes.
TEST(queue_packing_test, random_records_round_trip) {
  std::mt19937 random(20261207);
  const uint32_t sizes[] = {1, 2, 3, 5, 63, 64, 127, 128, 255, 1000, 8191, 8192, 8300, 65535, 65536, 70000};
  for (const uint32_t size : sizes) {
    for (int round = 0; round < 20; ++round) {
      Bytes record;
      while (record.size() < size) {
        const uint32_t kind = random() % 4;
        uint32_t length = kind == 0 ? random() % 70000 : (kind == 1 ? random() % 9000 : random() % 8);
        length = std::min<uint32_t>(length + 1, size - static_cast<uint32_t>(record.size()));
        const uint8_t byte = static_cast<uint8_t>(random() % 3);
        for (uint32_t i = 0; i < length; ++i) {
          record.push_back(kind == 3 ? static_cast<uint8_t>(random()) : byte);
        }
      }
      const Bytes packed = pack(record);
      ASSERT_FALSE(packed.empty()) << size;
      ASSERT_EQ(unpack(packed, size), record) << size << " round " << round;
    }
  }
}

}  // namespace
