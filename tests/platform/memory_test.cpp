#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/last_error.h"
#include "platform/syscalls.h"

using namespace plat;

TEST(memory_test, regions_are_zeroed_page_aligned_and_released_whole) {
  auto* region = static_cast<unsigned char*>(
      VirtualAlloc(nullptr, 0x20000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(region) % 4096, 0u);
  EXPECT_EQ(region[0], 0);
  EXPECT_EQ(region[0x1FFFF], 0);
  region[100] = 7;
  EXPECT_FALSE(IsBadReadPtr(region, 0x20000));
  EXPECT_FALSE(VirtualFree(region, 0x20000, MEM_RELEASE));  // release takes size 0
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(VirtualFree(region + 4096, 0, MEM_RELEASE));  // and the region's start
  ASSERT_TRUE(VirtualFree(region, 0, MEM_RELEASE));
  EXPECT_TRUE(IsBadReadPtr(region, 1));
  EXPECT_FALSE(VirtualFree(region, 0, MEM_RELEASE));
}

TEST(memory_test, reserved_pages_are_committed_later_and_decommitted_again) {
  auto* region =
      static_cast<unsigned char*>(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(region, nullptr);
  EXPECT_TRUE(IsBadReadPtr(region, 1));
  ASSERT_EQ(VirtualAlloc(region + 4096, 4096, MEM_COMMIT, PAGE_READWRITE), region + 4096);
  region[4096] = 1;
  EXPECT_FALSE(IsBadReadPtr(region + 4096, 4096));
  EXPECT_TRUE(IsBadReadPtr(region + 4095, 2));  // one byte before is still reserved only
  ASSERT_TRUE(VirtualFree(region + 4096, 4096, MEM_DECOMMIT));
  EXPECT_TRUE(IsBadReadPtr(region + 4096, 1));
  ASSERT_TRUE(VirtualFree(region, 0, MEM_RELEASE));
}

TEST(memory_test, bad_requests_fail_with_87) {
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(VirtualAlloc(nullptr, 16, 0, PAGE_READWRITE), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, 16, MEM_COMMIT, 0x40), nullptr);
  int local = 0;
  EXPECT_EQ(VirtualAlloc(&local, 16, MEM_COMMIT, PAGE_READWRITE), nullptr);  // not reserved here
}

TEST(memory_test, moveable_global_blocks_lock_count_and_map_back_to_their_handle) {
  HGLOBAL block = GlobalAlloc(GHND, 16);
  ASSERT_NE(block, nullptr);
  auto* data = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(data, nullptr);
  EXPECT_NE(static_cast<void*>(data), static_cast<void*>(block));  // a handle is no address
  EXPECT_EQ(data[15], 0);                                          // zero-initialised
  EXPECT_EQ(GlobalHandle(data), block);
  EXPECT_EQ(GlobalSize(block), 16u);
  EXPECT_EQ(GlobalLock(block), data);
  EXPECT_TRUE(GlobalUnlock(block));   // still locked once
  EXPECT_FALSE(GlobalUnlock(block));  // now unlocked: FALSE with error 0
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalFree(block), block);  // freeing twice fails
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(memory_test, fixed_global_blocks_are_their_own_address) {
  HGLOBAL block = GlobalAlloc(GPTR, 8);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), static_cast<void*>(block));
  EXPECT_EQ(GlobalHandle(block), block);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalAlloc(0x8000, 8), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(memory_test, readability_probes_never_fault) {
  int value = 5;
  EXPECT_FALSE(IsBadReadPtr(&value, sizeof value));
  EXPECT_FALSE(IsBadReadPtr(nullptr, 0));
  EXPECT_TRUE(IsBadReadPtr(nullptr, 1));
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(uintptr_t{8}), 8));
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(~uintptr_t{0} - 2), 8));  // wraps around
  EXPECT_FALSE(IsBadCodePtr(reinterpret_cast<FARPROC>(&GetLastError)));
  EXPECT_TRUE(IsBadCodePtr(nullptr));
}

TEST(memory_test, readability_probe_works_where_the_kernel_refuses_self_reading) {
  syscall_guard guard;
  fail_syscall(syscall_id::process_vm_readv, 1, std::errc::operation_not_permitted, 0);
  int value = 5;
  EXPECT_FALSE(IsBadReadPtr(&value, sizeof value));
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(uintptr_t{8}), 8));
  void* region = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  EXPECT_TRUE(IsBadReadPtr(region, 1));
  VirtualFree(region, 0, MEM_RELEASE);
}
