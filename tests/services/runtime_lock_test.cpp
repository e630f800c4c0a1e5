// The runtime lock: its owner, its hand-over between threads and the window
// procedure's rule for taking it.
#include "services/runtime_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/process.h"
#include "platform/window.h"

namespace {

class runtime_lock_test : public ::testing::Test {
 protected:
  void SetUp() override { plat::reset_window_system(); }
  void TearDown() override {
    svc::runtime_lock().destroy();
    plat::reset_window_system();
  }
};

plat::DWORD owner_inside = 0;

plat::LRESULT locking_procedure(plat::HWND window, plat::UINT message, plat::WPARAM wparam,
                                plat::LPARAM lparam) {
  if (message == plat::WM_USER) {
    svc::WindowProcedureLock lock;
    owner_inside = svc::runtime_lock().owner();
    return 1;
  }
  return plat::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

TEST_F(runtime_lock_test, an_absent_lock_takes_and_releases_nothing) {
  svc::RuntimeLock& lock = svc::runtime_lock();
  EXPECT_FALSE(lock.exists());
  lock.acquire();
  EXPECT_EQ(lock.owner(), 0u);
  EXPECT_FALSE(lock.held_by_caller());
  lock.release();
}

TEST_F(runtime_lock_test, the_creator_holds_it_from_the_start) {
  svc::RuntimeLock& lock = svc::runtime_lock();
  ASSERT_TRUE(lock.create());
  EXPECT_EQ(lock.owner(), plat::GetCurrentThreadId());
  EXPECT_TRUE(lock.held_by_caller());
  lock.release();
  EXPECT_EQ(lock.owner(), 0u);
  lock.acquire();
  EXPECT_TRUE(lock.held_by_caller());
}

TEST_F(runtime_lock_test, another_thread_gets_it_only_when_it_is_let_go) {
  svc::RuntimeLock& lock = svc::runtime_lock();
  ASSERT_TRUE(lock.create());
  std::atomic<plat::DWORD> other_owner{0};
  std::atomic<bool> asked{false};
  std::thread other([&] {
    asked = true;
    lock.acquire();
    other_owner = lock.owner();
    lock.release();
  });
  while (!asked) std::this_thread::yield();
  EXPECT_EQ(lock.owner(), plat::GetCurrentThreadId());  // still ours while we hold it
  {
    svc::RuntimeLockRelease unlocked;
    other.join();
  }
  EXPECT_NE(other_owner.load(), 0u);
  EXPECT_NE(other_owner.load(), plat::GetCurrentThreadId());
  EXPECT_TRUE(lock.held_by_caller());  // taken back at the end of the release
}

TEST_F(runtime_lock_test, a_window_procedure_takes_the_lock_its_thread_let_go) {
  plat::WNDCLASSA wc{};
  wc.lpfnWndProc = locking_procedure;
  wc.lpszClassName = "Locking";
  plat::RegisterClassA(&wc);
  plat::HWND window =
      plat::CreateWindowExA(0, "Locking", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  svc::RuntimeLock& lock = svc::runtime_lock();
  ASSERT_TRUE(lock.create());
  owner_inside = 0;
  {
    svc::RuntimeLockRelease unlocked;
    plat::SendMessageA(window, plat::WM_USER, 0, 0);
    EXPECT_EQ(owner_inside, plat::GetCurrentThreadId());
    EXPECT_EQ(lock.owner(), 0u);  // let go again when the procedure ends
  }
  plat::SendMessageA(window, plat::WM_USER, 0, 0);  // held already: nothing changes
  EXPECT_EQ(owner_inside, plat::GetCurrentThreadId());
  EXPECT_TRUE(lock.held_by_caller());
}
