// The runtime lock over the platform's semaphore and message wait.
#include "services/runtime_lock.h"

#include "platform/handle.h"
#include "platform/process.h"
#include "platform/sync.h"
#include "platform/window.h"

namespace svc {

bool RuntimeLock::create() {
  if (semaphore_ != nullptr) return true;
  semaphore_ = plat::CreateSemaphoreA(nullptr, 0, 1, nullptr);
  owner_ = semaphore_ != nullptr ? plat::GetCurrentThreadId() : 0;
  return semaphore_ != nullptr;
}

void RuntimeLock::destroy() {
  if (semaphore_ == nullptr) return;
  plat::CloseHandle(semaphore_);
  semaphore_ = nullptr;
  owner_ = 0;
}

void RuntimeLock::acquire() {
  if (semaphore_ == nullptr) return;
  for (;;) {
    plat::DWORD woken = plat::MsgWaitForMultipleObjects(1, &semaphore_, plat::FALSE, plat::INFINITE,
                                                        plat::QS_SENDMESSAGE);
    if (woken == plat::WAIT_OBJECT_0 + 1) {
      // Messages sent to this thread's windows run inside the peek.
      plat::MSG message;
      plat::PeekMessageA(&message, nullptr, 0, 0, plat::PM_NOREMOVE);
      continue;
    }
    // WAIT_OBJECT_0 took the lock; a failed wait means the semaphore is
    // unusable, and running on beats waiting for ever.
    break;
  }
  owner_ = plat::GetCurrentThreadId();
}

void RuntimeLock::release() {
  if (semaphore_ == nullptr) return;
  owner_ = 0;
  plat::ReleaseSemaphore(semaphore_, 1, nullptr);
}

bool RuntimeLock::held_by_caller() const {
  return semaphore_ != nullptr && owner_.load() == plat::GetCurrentThreadId();
}

RuntimeLock& runtime_lock() {
  static RuntimeLock instance;
  return instance;
}

WindowProcedureLock::WindowProcedureLock() {
  RuntimeLock& lock = runtime_lock();
  if (!lock.exists() || lock.held_by_caller() || plat::InSendMessage()) return;
  lock.acquire();
  taken_ = true;
}

WindowProcedureLock::~WindowProcedureLock() {
  if (taken_) runtime_lock().release();
}

RuntimeLockRelease::RuntimeLockRelease() {
  RuntimeLock& lock = runtime_lock();
  if (!lock.held_by_caller()) return;
  lock.release();
  released_ = true;
}

RuntimeLockRelease::~RuntimeLockRelease() {
  if (released_) runtime_lock().acquire();
}

}  // namespace svc
