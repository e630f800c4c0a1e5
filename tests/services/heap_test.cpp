#include "services/heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/syscalls.h"
#include "services/heap_layout.h"
#include "tests/services/runtime_error_capture.h"

namespace {

using svc::Heap;
using svc::heap_layout::preceding_tag_of;
using svc::heap_layout::read_byte;
using svc::heap_layout::read_word;
using svc::heap_layout::tag_of;
using Bytes = std::uint8_t*;

Bytes bytes(void* p) { return static_cast<Bytes>(p); }

// The blocks of a heap in walk order.
std::vector<svc::BlockView> blocks_of(const Heap& heap) {
  std::vector<svc::BlockView> all;
  heap.walk([](const svc::BlockView& b, void* out) {
    static_cast<std::vector<svc::BlockView>*>(out)->push_back(b);
  }, &all);
  return all;
}

void expect_valid(const Heap& heap) {
  svc::HeapCheck check = heap.validate();
  EXPECT_TRUE(check.ok()) << check.fault;
}

TEST(heap_test, zero_bytes_give_null_and_one_byte_a_sixteen_byte_block) {
  Heap heap;
  EXPECT_EQ(heap.allocate(0), nullptr);
  void* p = heap.allocate(1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
  EXPECT_EQ(Heap::block_size(p), 16u);
  EXPECT_EQ(tag_of(bytes(p)), svc::tag_allocated);
  EXPECT_EQ(preceding_tag_of(bytes(p)), svc::tag_sentinel);  // first block of the arena
  EXPECT_EQ(preceding_tag_of(bytes(p) + 16), svc::tag_allocated);
  EXPECT_EQ(Heap::block_size(heap.allocate(9)), 24u);
  expect_valid(heap);
}

TEST(heap_test, fresh_arena_is_one_free_chunk_between_sentinels) {
  Heap heap;
  heap.release(heap.allocate(8));
  std::vector<svc::BlockView> all = blocks_of(heap);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].tag, svc::tag_free);
  EXPECT_EQ(all[0].size, 131056u);
  auto arena = static_cast<const std::uint8_t*>(all[0].user) - 8;
  EXPECT_EQ(read_byte(arena), svc::tag_sentinel);
  EXPECT_EQ(read_byte(arena + 131056), svc::tag_free);
  EXPECT_EQ(read_byte(arena + 131059), svc::tag_sentinel);
  EXPECT_EQ(read_word(arena + 131068), 0u);
  EXPECT_EQ(heap.validate().free_nodes, 1u);
}

TEST(heap_test, largest_arena_request_and_first_large_one) {
  Heap heap;
  void* arena_block = heap.allocate(53240);
  void* large = heap.allocate(53241);
  EXPECT_EQ(tag_of(bytes(arena_block)), svc::tag_allocated);
  EXPECT_EQ(Heap::block_size(arena_block), 53248u);
  ASSERT_EQ(tag_of(bytes(large)), svc::tag_large);
  EXPECT_EQ(Heap::block_size(large), 53248u + 8);
  EXPECT_EQ(read_byte(bytes(large) - 8), '#');
  EXPECT_EQ(read_byte(bytes(large) + 53248), svc::tag_large);
  EXPECT_EQ(blocks_of(heap).size(), 2u);  // the large block is in no arena
  heap.release(large);
  heap.release(arena_block);
  expect_valid(heap);
}

TEST(heap_test, blocks_are_carved_in_address_order_and_keep_their_bytes) {
  Heap heap;
  std::vector<void*> blocks;
  for (std::uint32_t n = 1; n <= 200; ++n) {
    void* p = heap.allocate(n);
    ASSERT_NE(p, nullptr);
    std::memset(p, static_cast<int>(n), n);
    if (!blocks.empty()) {
      EXPECT_EQ(bytes(p), bytes(blocks.back()) + Heap::block_size(blocks.back()));
    }
    blocks.push_back(p);
  }
  for (std::uint32_t n = 1; n <= 200; ++n) {
    EXPECT_EQ(bytes(blocks[n - 1])[n - 1], static_cast<std::uint8_t>(n));
  }
  expect_valid(heap);
}

TEST(heap_test, first_third_second_release_leaves_one_chunk_with_one_node) {
  Heap heap;
  void* first = heap.allocate(40);
  void* second = heap.allocate(40);
  void* third = heap.allocate(40);
  void* guard = heap.allocate(40);  // keeps the rest of the arena apart
  heap.release(first);
  heap.release(third);
  EXPECT_EQ(heap.validate().free_chunks, 3u);
  heap.release(second);
  svc::HeapCheck check = heap.validate();
  EXPECT_TRUE(check.ok()) << check.fault;
  EXPECT_EQ(check.free_chunks, 2u);  // the merged chunk and the arena's tail
  EXPECT_EQ(check.free_nodes, 2u);
  std::vector<svc::BlockView> all = blocks_of(heap);
  EXPECT_EQ(all[0].user, first);
  EXPECT_EQ(all[0].tag, svc::tag_free);
  EXPECT_EQ(all[0].size, 3 * 48u);
  EXPECT_EQ(all[1].user, guard);
}

TEST(heap_test, release_merges_with_either_neighbour) {
  Heap heap;
  void* a = heap.allocate(24);
  void* b = heap.allocate(24);
  void* c = heap.allocate(24);
  void* d = heap.allocate(24);
  heap.release(a);
  heap.release(b);  // joins the free chunk before it
  EXPECT_EQ(blocks_of(heap)[0].size, 64u);
  heap.release(d);  // joins the arena's free tail after it
  heap.release(c);  // both neighbours free: the whole arena is one chunk again
  std::vector<svc::BlockView> all = blocks_of(heap);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].size, 131056u);
  EXPECT_EQ(heap.validate().free_nodes, 1u);
}

TEST(heap_test, freed_space_near_the_front_is_found_again) {
  Heap heap;
  void* a = heap.allocate(100);
  heap.allocate(100);
  heap.release(a);
  EXPECT_EQ(heap.allocate(100), a);  // the freed chunk is the first after the sentinel
  expect_valid(heap);
}

TEST(heap_test, remainder_under_32_bytes_goes_with_the_block) {
  Heap heap;
  void* a = heap.allocate(56);  // 64-byte block
  heap.allocate(8);
  heap.release(a);
  void* b = heap.allocate(32);  // 40 bytes asked of a 64-byte chunk: 24 would remain
  EXPECT_EQ(b, a);
  EXPECT_EQ(Heap::block_size(b), 64u);
  expect_valid(heap);
}

// A chunk is split when what would remain is at least the smallest split
// size, by a new block as by a shrinking one: a remainder of exactly 32 bytes
// becomes a free chunk of its own, one of 24 stays with the block.
TEST(heap_test, a_remainder_of_the_smallest_split_size_is_split_off_as_resizing_does) {
  const struct {
    std::uint32_t remainder;
    bool split;
  } cases[] = {{24, false}, {32, true}, {40, true}};
  for (const auto& [remainder, split] : cases) {
    for (const bool by_resizing : {false, true}) {
      SCOPED_TRACE(std::to_string(remainder) + (by_resizing ? " bytes left by resizing" : " bytes left by allocating"));
      Heap heap;
      void* first = heap.allocate(120);  // a 128-byte block
      void* fence = heap.allocate(8);
      const std::uint32_t kept = 128 - remainder;
      void* block = nullptr;
      if (by_resizing) {
        block = heap.resize(first, kept - 8);
      } else {
        heap.release(first);
        block = heap.allocate(kept - 8);
      }
      ASSERT_EQ(block, first);
      EXPECT_EQ(Heap::block_size(block), split ? kept : 128u);
      const std::vector<svc::BlockView> all = blocks_of(heap);
      EXPECT_EQ(all[1].user == fence, !split);
      if (split) {
        EXPECT_EQ(all[1].tag, svc::tag_free);
        EXPECT_EQ(all[1].size, remainder);
      }
      expect_valid(heap);
    }
  }
}

TEST(heap_test, releasing_twice_reports_the_double_free_and_changes_nothing) {
  life_test::RuntimeErrorCapture capture;
  Heap heap;
  void* a = heap.allocate(16);
  heap.allocate(16);
  heap.release(a);
  heap.release(a);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].text, "memory block free'd twice\nDo you want to GPF?");
  EXPECT_EQ(capture.exits(), std::vector<int>{2});
  EXPECT_EQ(capture.log().rfind("Error: memory block free'd twice\r\n", 0), 0u);
  expect_valid(heap);
}

TEST(heap_test, a_block_swallowed_by_its_free_neighbour_is_still_known_as_released) {
  life_test::RuntimeErrorCapture capture;
  Heap heap;
  void* a = heap.allocate(16);
  void* b = heap.allocate(16);
  heap.allocate(16);
  heap.release(a);
  heap.release(b);  // merges into a's chunk
  heap.release(b);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_NE(capture.boxes()[0].text.find("free'd twice"), std::string::npos);
  expect_valid(heap);
}

TEST(heap_test, releasing_what_is_no_block_reports_the_corrupt_block_diagnostic) {
  life_test::RuntimeErrorCapture capture;
  Heap heap;
  alignas(8) std::uint8_t fake[32] = {};
  fake[3] = 0x55;
  heap.release(fake + 8);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].text,
            "Corrupt block/Unknown block type freed.  This is probably caused by freeing a "
            "static variable or a bad pointer.\nDo you want to GPF?");
}

TEST(heap_test, during_shutdown_a_misuse_shows_its_box_and_release_returns) {
  life_test::RuntimeErrorCapture capture;
  svc::process_state().set_running(false);
  Heap heap;
  void* a = heap.allocate(16);
  heap.release(a);
  heap.release(a);
  EXPECT_EQ(capture.boxes().size(), 1u);
  EXPECT_TRUE(capture.exits().empty());
  expect_valid(heap);
}

TEST(heap_test, shrinking_by_less_than_32_keeps_the_size_and_by_32_frees_the_tail) {
  Heap heap;
  void* p = heap.allocate(64);  // 72-byte block
  void* next = heap.allocate(8);
  for (std::uint32_t less : {8u, 16u, 24u}) {
    EXPECT_EQ(heap.resize(p, 64 - less), p);
    EXPECT_EQ(Heap::block_size(p), 72u);
  }
  EXPECT_EQ(heap.resize(p, 32), p);
  EXPECT_EQ(Heap::block_size(p), 40u);
  std::vector<svc::BlockView> all = blocks_of(heap);
  EXPECT_EQ(all[1].tag, svc::tag_free);
  EXPECT_EQ(all[1].size, 32u);
  EXPECT_EQ(all[2].user, next);
  EXPECT_EQ(preceding_tag_of(bytes(next)), svc::tag_free);
  expect_valid(heap);
}

TEST(heap_test, shrinking_before_a_free_chunk_hands_it_the_spare_bytes) {
  Heap heap;
  void* p = heap.allocate(64);
  heap.resize(p, 56);  // 8 spare bytes: the arena's tail takes them
  EXPECT_EQ(Heap::block_size(p), 64u);
  EXPECT_EQ(blocks_of(heap)[1].size, 131056u - 64);
  expect_valid(heap);
}

TEST(heap_test, growing_takes_from_the_next_chunk_or_absorbs_it) {
  Heap heap;
  void* p = heap.allocate(16);
  std::memcpy(p, "0123456789abcdef", 16);
  void* gap = heap.allocate(64);
  void* after = heap.allocate(8);
  heap.release(gap);  // a 72-byte chunk after p
  EXPECT_EQ(heap.resize(p, 40), p);  // needs 24: 48 remain
  EXPECT_EQ(Heap::block_size(p), 48u);
  EXPECT_EQ(heap.resize(p, 64), p);  // needs 24 of the 48: too little would remain
  EXPECT_EQ(Heap::block_size(p), 96u);
  EXPECT_EQ(bytes(p) + 96, bytes(after));
  EXPECT_EQ(std::memcmp(p, "0123456789abcdef", 16), 0);
  EXPECT_EQ(heap.validate().free_chunks, 1u);
  expect_valid(heap);
}

TEST(heap_test, growing_against_an_allocated_neighbour_moves_the_block) {
  Heap heap;
  void* p = heap.allocate(16);
  std::memcpy(p, "0123456789abcdef", 16);
  heap.allocate(16);
  void* q = heap.resize(p, 100);
  ASSERT_NE(q, nullptr);
  EXPECT_NE(q, p);
  EXPECT_EQ(std::memcmp(q, "0123456789abcdef", 16), 0);
  EXPECT_EQ(tag_of(bytes(p)), svc::tag_free);
  expect_valid(heap);
}

TEST(heap_test, large_blocks_always_move_and_keep_their_bytes) {
  Heap heap;
  void* p = heap.allocate(60000);
  std::memset(p, 0x5A, 60000);
  void* q = heap.resize(p, 60000);
  ASSERT_NE(q, nullptr);
  EXPECT_NE(q, p);
  void* small = heap.resize(q, 10);  // back into an arena
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(tag_of(bytes(small)), svc::tag_allocated);
  EXPECT_EQ(bytes(small)[9], 0x5A);
  void* grown = heap.resize(small, 70000);  // out of the arena again
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(tag_of(bytes(grown)), svc::tag_large);
  EXPECT_EQ(bytes(grown)[0], 0x5A);
  heap.release(grown);
  expect_valid(heap);
}

TEST(heap_test, resize_edge_arguments) {
  Heap heap;
  void* p = heap.resize(nullptr, 10);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Heap::block_size(p), 24u);
  EXPECT_EQ(heap.resize(p, 0xFFFFFFF1u), nullptr);
  EXPECT_EQ(tag_of(bytes(p)), svc::tag_allocated);  // left alone
  EXPECT_EQ(heap.resize(p, 0), nullptr);
  EXPECT_EQ(tag_of(bytes(p)), svc::tag_free);
  EXPECT_EQ(heap.allocate(0xFFFFFFF9u), nullptr);  // the block size would wrap
  expect_valid(heap);
}

TEST(heap_test, allocate_zeroed_clears_reused_memory_and_refuses_bad_sizes) {
  Heap heap;
  void* dirty = heap.allocate(64);
  std::memset(dirty, 0xFF, 64);
  heap.allocate(8);
  heap.release(dirty);
  auto* zeroed = static_cast<std::uint8_t*>(heap.allocate_zeroed(8, 8));
  ASSERT_EQ(static_cast<void*>(zeroed), dirty);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(zeroed[i], 0) << i;
  EXPECT_EQ(heap.allocate_zeroed(0, 8), nullptr);
  EXPECT_EQ(heap.allocate_zeroed(8, 0), nullptr);
  EXPECT_EQ(heap.allocate_zeroed(0x10000, 0x10000), nullptr);  // product past 32 bits
}

TEST(heap_test, the_fault_hook_fails_exactly_the_chosen_request) {
  Heap heap;
  void* p = heap.allocate(16);
  heap.fail_allocation(2);
  EXPECT_NE(heap.allocate(16), nullptr);
  EXPECT_EQ(heap.resize(p, 1000), nullptr);
  EXPECT_EQ(tag_of(bytes(p)), svc::tag_allocated);  // still valid
  EXPECT_NE(heap.allocate(16), nullptr);
  heap.fail_allocation(1);
  heap.fail_allocation(0);
  EXPECT_NE(heap.allocate(16), nullptr);
}

// Every request for storage that finds none is counted; a request for
// nothing, a success and a release are not.
TEST(heap_test, requests_that_find_no_memory_are_counted) {
  plat::syscall_guard guard;
  Heap heap;
  void* p = heap.allocate(16);
  EXPECT_EQ(heap.allocate(0), nullptr);
  heap.release(heap.allocate(32));
  EXPECT_EQ(heap.refusals(), 0u);
  heap.fail_allocation(1);
  EXPECT_EQ(heap.allocate(16), nullptr);
  EXPECT_EQ(heap.allocate_zeroed(0x10000, 0x10000), nullptr);
  heap.fail_allocation(1);
  EXPECT_EQ(heap.resize(p, 1000), nullptr);
  plat::fail_syscall(plat::syscall_id::mmap, 1, std::errc::not_enough_memory);
  EXPECT_EQ(heap.allocate(100000), nullptr);
  EXPECT_EQ(heap.refusals(), 4u);
}

TEST(heap_test, failure_guard_arms_the_process_heap_for_its_lifetime) {
  {
    svc::HeapFailureGuard guard;
    EXPECT_EQ(svc::allocate(10), nullptr);
  }
  void* p = svc::allocate(10);
  EXPECT_NE(p, nullptr);
  svc::release(p);
}

// Ten arenas: more than the heap's table of them holds inside itself.
TEST(heap_test, new_arenas_come_when_the_first_is_full) {
  Heap heap;
  std::vector<void*> blocks;
  for (int i = 0; i < 20; ++i) blocks.push_back(heap.allocate(50000));
  svc::HeapCheck check = heap.validate();
  EXPECT_TRUE(check.ok()) << check.fault;
  EXPECT_EQ(check.arenas, 10u);  // two 50008-byte blocks fit one arena
  for (void* p : blocks) heap.release(p);
  check = heap.validate();
  EXPECT_EQ(check.free_chunks, 10u);
  EXPECT_EQ(check.allocated_blocks, 0u);
}

// Ten node pools: more than the heap's table of them holds inside itself.
TEST(heap_test, more_free_chunks_than_one_node_refill_holds) {
  Heap heap;
  std::vector<void*> blocks;
  for (int i = 0; i < 2 * 10 * 3500; ++i) blocks.push_back(heap.allocate(8));
  for (std::size_t i = 0; i < blocks.size(); i += 2) heap.release(blocks[i]);
  svc::HeapCheck check = heap.validate();
  EXPECT_TRUE(check.ok()) << check.fault;
  EXPECT_GT(check.free_nodes, 9 * svc::nodes_per_refill);
  for (std::size_t i = 1; i < blocks.size(); i += 2) heap.release(blocks[i]);
  EXPECT_TRUE(heap.validate().ok());
}

TEST(heap_test, exhausted_system_memory_gives_null_and_leaves_the_heap_usable) {
  plat::syscall_guard guard;
  Heap heap;
  // A fresh heap maps a node pool, then an arena.
  plat::fail_syscall(plat::syscall_id::mmap, 2, std::errc::not_enough_memory);
  EXPECT_EQ(heap.allocate(16), nullptr);
  EXPECT_NE(heap.allocate(16), nullptr);
  plat::fail_syscall(plat::syscall_id::mmap, 1, std::errc::not_enough_memory);
  EXPECT_EQ(heap.allocate(100000), nullptr);
  expect_valid(heap);
}

TEST(heap_test, release_without_a_node_to_spare_reports_out_of_free_space) {
  life_test::RuntimeErrorCapture capture;
  plat::syscall_guard guard;
  Heap heap;
  std::vector<void*> blocks;
  for (std::uint32_t i = 0; i < 2 * svc::nodes_per_refill + 2; ++i) blocks.push_back(heap.allocate(8));
  plat::fail_syscall(plat::syscall_id::mmap, 1, std::errc::not_enough_memory, 0);
  // Every other block: each becomes a chunk of its own and takes a node.
  for (std::uint32_t i = 0; i < svc::nodes_per_refill - 1; ++i) heap.release(blocks[2 * i]);
  EXPECT_TRUE(capture.boxes().empty());
  heap.release(blocks[2 * (svc::nodes_per_refill - 1)]);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].text, "Out of free space\nDo you want to GPF?");
  EXPECT_EQ(tag_of(bytes(blocks[2 * (svc::nodes_per_refill - 1)])), svc::tag_allocated);
  expect_valid(heap);
}

TEST(heap_test, validate_names_a_damaged_header) {
  Heap heap;
  auto* a = bytes(heap.allocate(16));
  heap.allocate(16);
  EXPECT_TRUE(heap.validate().ok());
  svc::heap_layout::write_byte(a - 5, 0x99);
  svc::HeapCheck check = heap.validate();
  EXPECT_FALSE(check.ok());
  EXPECT_STREQ(check.fault, "unknown block tag");
  EXPECT_EQ(check.where, a);
  svc::heap_layout::write_byte(a - 5, svc::tag_allocated);
  svc::heap_layout::write_word(a - 4, 20);
  EXPECT_STREQ(heap.validate().fault, "illegal block size");
}

// Random allocate/resize/release against a record of every block's content.
TEST(heap_test, random_workload_keeps_contents_and_tag_rules) {
  Heap heap;
  std::mt19937 random(12345);
  struct Live {
    std::uint8_t* p;
    std::uint32_t n;
    std::uint8_t fill;
  };
  std::vector<Live> live;
  for (int step = 0; step < 20000; ++step) {
    std::uint32_t action = random() % 3;
    std::uint32_t n = random() % 4 == 0 ? random() % 70000 + 1 : random() % 300 + 1;
    auto fill = static_cast<std::uint8_t>(step);
    if (action == 0 || live.empty()) {
      auto* p = bytes(heap.allocate(n));
      ASSERT_NE(p, nullptr);
      std::memset(p, fill, n);
      live.push_back({p, n, fill});
      continue;
    }
    std::size_t i = random() % live.size();
    for (std::uint32_t k = 0; k < live[i].n; k += 17) ASSERT_EQ(live[i].p[k], live[i].fill);
    if (action == 1) {
      heap.release(live[i].p);
      live[i] = live.back();
      live.pop_back();
    } else {
      auto* p = bytes(heap.resize(live[i].p, n));
      ASSERT_NE(p, nullptr);
      std::memset(p, fill, n);
      live[i] = {p, n, fill};
    }
    if (step % 1000 == 0) {
      ASSERT_TRUE(heap.validate().ok()) << heap.validate().fault;
    }
  }
  expect_valid(heap);
}

TEST(heap_test, containers_of_runtime_data_use_the_heap) {
  std::vector<int, svc::HeapAllocator<int>> numbers;
  for (int i = 0; i < 1000; ++i) numbers.push_back(i);
  EXPECT_EQ(svc::heap_layout::tag_of(reinterpret_cast<const std::uint8_t*>(numbers.data())),
            svc::tag_allocated);
  EXPECT_EQ(numbers[999], 999);
  svc::HeapFailureGuard guard;
  std::vector<int, svc::HeapAllocator<int>> refused;
  EXPECT_THROW(refused.push_back(1), std::bad_alloc);
}

#if !defined(NDEBUG) && !defined(MSGMAKE_SANITIZE)
TEST(heap_test, debug_builds_mark_fresh_and_released_bytes) {
  Heap heap;
  auto* p = bytes(heap.allocate(24));
  heap.allocate(8);
  EXPECT_EQ(p[0], svc::heap_layout::fresh_fill);
  EXPECT_EQ(p[23], svc::heap_layout::fresh_fill);
  heap.release(p);
  EXPECT_EQ(p[0], svc::heap_layout::released_fill);  // the node index sits at the chunk's end
}
#endif

#if defined(MSGMAKE_SANITIZE)
TEST(heap_test, sanitizer_catches_use_after_release_and_overrun_into_the_next_header) {
  Heap heap;
  auto* p = bytes(heap.allocate(20));
  heap.allocate(20);
  EXPECT_DEATH({ p[20] = 1; }, "use-after-poison");
  EXPECT_DEATH({ p[28] = 1; }, "use-after-poison");  // the next block's header
  heap.release(p);
  EXPECT_DEATH({ p[0] = 1; }, "use-after-poison");
}
#endif

}  // namespace
