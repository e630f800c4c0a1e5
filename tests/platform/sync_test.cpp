#include "platform/sync.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/last_error.h"

using namespace plat;

TEST(sync_test, critical_section_is_recursive_for_its_owner_and_excludes_others) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  BOOL other_entered = TRUE;
  std::thread([&] { other_entered = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(other_entered);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  std::thread([&] {
    other_entered = TryEnterCriticalSection(&section);
    if (other_entered) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(other_entered);
  DeleteCriticalSection(&section);
}

TEST(sync_test, semaphore_counts_between_zero_and_its_maximum) {
  HANDLE lock = CreateSemaphoreA(nullptr, 0, 1, nullptr);
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(WaitForSingleObject(lock, 0), WAIT_TIMEOUT);
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(lock, 1, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(ReleaseSemaphore(lock, 1, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
  EXPECT_EQ(WaitForSingleObject(lock, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(lock, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(lock));
  EXPECT_EQ(WaitForSingleObject(lock, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CreateSemaphoreA(nullptr, 2, 1, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(sync_test, a_wait_ends_when_another_thread_releases) {
  HANDLE lock = CreateSemaphoreA(nullptr, 0, 1, nullptr);
  std::thread releaser([lock] { ReleaseSemaphore(lock, 1, nullptr); });
  EXPECT_EQ(WaitForSingleObject(lock, INFINITE), WAIT_OBJECT_0);
  releaser.join();
  CloseHandle(lock);
}

TEST(sync_test, events_and_waits_on_several_objects) {
  HANDLE automatic = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE both[] = {automatic, manual};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);
  SetEvent(manual);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);  // a manual event stays set
  ResetEvent(manual);
  SetEvent(automatic);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);  // an automatic one resets
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_FAILED);
  CloseHandle(automatic);
  CloseHandle(manual);
}
